// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_files.h"

#include "file_error_text.h"
#include "picture_kind.h"
#include "qt_adapters.h"
#include "qt_messages.h"
#include "safe_write.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace veltrin {

PictureLoad LoadPicture(const QString &strFileName, PictureLoader &loader)
{
    try {
        return loader.OleLoadPicturePath(strFileName);
    } catch (const RuntimeError &) {
        // Only a failing call falls back; "no picture" is an answer, not an error.
    }
    return {loader.loadPictureFallback(strFileName), 0, {}};
}

namespace {

// Save writes PNG too, and a robust picture comes back from a chat program as
// a JPEG: the first filter shows every picture the loader reads, the upper
// case names of cameras and phones included.
QString openFilter()
{
    return say(messages::picturesFilter) +
           QStringLiteral("|*.bmp;*.png;*.jpg;*.jpeg;*.webp;*.gif;*.tif;*.tiff;*.tga;"
                          "*.BMP;*.PNG;*.JPG;*.JPEG|") +
           say(messages::bmpFilter) + QStringLiteral("|*.bmp|");
}

} // namespace

PictureFiles::PictureFiles(Module1 &module, PictureLoader &loader, PictureWriter &writer,
                           MessageBox &messages)
    : module_(module), loader_(loader), writer_(writer), messages_(messages)
{}

OpenedFile PictureFiles::open(PictureSurface &picture4)
{
    OpenedFile opened;
    opened.fileName = module_.FileDialog(0, say(messages::openPictureTitle), openFilter());
    if (opened.fileName.isEmpty())
        return opened;
    opened.load = load(opened.fileName, picture4);
    return opened;
}

PictureLoad PictureFiles::load(const QString &path, PictureSurface &picture4)
{
    PictureLoad loaded = LoadPicture(path, loader_);
    picture4.setPicture(loaded.picture ? std::optional<QImage>(loaded.picture->image)
                                       : std::nullopt);
    return loaded;
}

QString PictureFiles::save(const Surface &picture5)
{
    const QString title = say(messages::savePictureTitle);
    // A robust picture is made to be sent on, and chats pass a PNG as it is
    // where a BMP becomes a JPEG or a file: its dialog starts on PNG.
    const bool robust = recognise(picture5.Image()).kind == PictureKind::Robust;
    const QString bmp = say(messages::bmpPicturesFilter) + QStringLiteral(" (*.bmp)|*.bmp"),
                  png = say(messages::pngPicturesFilter) + QStringLiteral(" (*.png)|*.png");
    const QString fileName =
        module_.FileDialog(1, title, robust ? png + u'|' + bmp : bmp + u'|' + png);
    if (fileName.isEmpty())
        return fileName;
    // The filter the user chose decides the format, and the name always says it.
    const PictureFormat format = writtenFormat(module_.filterExtension)
                                     .value_or(robust ? PictureFormat::Png : PictureFormat::Bmp);

    // The dialog asked about replacing the name it returned; a name that gets
    // the extension added is a different file and needs its own question.
    QString path = fileName;
    const QString suffix = QStringLiteral(".") + extensionOf(format);
    if (!path.endsWith(suffix, Qt::CaseInsensitive)) {
        path += suffix;
        if (QFileInfo::exists(path)) {
            const int answer = messages_.show(
                say(messages::replaceQuestion, {{u"path", QDir::toNativeSeparators(path)}}), title,
                MessageBox::YesNo | MessageBox::Exclamation);
            if (answer != MessageBox::Yes)
                return fileName;
        }
    }

    try {
        saveProven(toQImage(picture5.Image()), path, format);
    } catch (const RuntimeError &error) {
        messages_.show(say(messages::cannotSave, {{u"path", QDir::toNativeSeparators(path)},
                                                  {u"reason", description(error)}}),
                       module_.applicationTitle(), MessageBox::Critical);
    }
    return fileName;
}

void PictureFiles::saveProven(const QImage &image, const QString &path, PictureFormat format)
{
    constexpr int BadFileName = 52;
    constexpr int DeviceIoError = 57;
    constexpr int FileAlreadyExists = 58;
    constexpr int PathFileAccessError = 75;
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    writer_.SavePicture(image, file, format);
    const bool existed = QFileInfo::exists(path);
    const QString extension = extensionOf(format);
    try {
        // A picture is only worth what can be read back from it, in the format its name says.
        writeSafely(path, file.data(), true, [this, &image, &extension](const QByteArray &bytes) {
            const PictureLoad back = loader_.loadBytes(bytes, extension);
            return back && back.picture->format == extension.toLatin1() &&
                   samePixels(back.picture->image, image);
        });
    } catch (const SafeWriteError &error) {
        QString where = existed ? say(messages::oldFileUnchanged) : QString();
        if (error.stream)
            where = say(messages::partWritten);
        if (!error.oldFileAt.isEmpty())
            where = say(messages::filesPartedSentence,
                        {{u"old", QDir::toNativeSeparators(error.oldFileAt)},
                         {u"new", QDir::toNativeSeparators(error.newFileAt)}});
        switch (error.kind) {
        case SafeWriteError::NotProven:
            throw runtimeError(DeviceIoError, say(messages::savedNotProven, {{u"where", where}}));
        case SafeWriteError::Exists:
            throw runtimeError(FileAlreadyExists,
                               say(messages::fileAlreadyExists, {{u"where", where}}));
        case SafeWriteError::NotAFile:
            throw runtimeError(PathFileAccessError,
                               say(messages::pathFileAccess,
                                   {{u"reason", error.systemError == EISDIR
                                                    ? fileErrorText(EISDIR)
                                                    : say(messages::notWritableFileReason)}}));
        case SafeWriteError::BadName:
            throw runtimeError(BadFileName, say(messages::badFileName, {{u"where", where}}));
        case SafeWriteError::System:
            break;
        }
        throw runtimeError(
            PathFileAccessError,
            say(messages::pathFileAccessWhere,
                {{u"reason", writeErrorText(path, error.systemError, QFileDevice::NoError)},
                 {u"where", where}}));
    }
}

} // namespace veltrin
