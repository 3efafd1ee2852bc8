// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_files.h"

#include "file_error_text.h"
#include "picture_kind.h"
#include "qt_adapters.h"
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
const QString openFilter =
    QStringLiteral("图片|*.bmp;*.png;*.jpg;*.jpeg;*.webp;*.gif;*.tif;*.tiff;*.tga;"
                   "*.BMP;*.PNG;*.JPG;*.JPEG|bmp格式|*.bmp|");

} // namespace

PictureFiles::PictureFiles(Module1 &module, PictureLoader &loader, PictureWriter &writer,
                           MessageBox &messages)
    : module_(module), loader_(loader), writer_(writer), messages_(messages)
{}

OpenedFile PictureFiles::open(PictureSurface &picture4)
{
    OpenedFile opened;
    opened.fileName = module_.FileDialog(0, QStringLiteral("打开图片"), openFilter);
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
    const QString title = QStringLiteral("保存图片到");
    // A robust picture is made to be sent on, and chats pass a PNG as it is
    // where a BMP becomes a JPEG or a file: its dialog starts on PNG.
    const bool robust = recognise(picture5.Image()).kind == PictureKind::Robust;
    const QString bmp = QStringLiteral("BMP 图片 (*.bmp)|*.bmp"),
                  png = QStringLiteral("PNG 图片 (*.png)|*.png");
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
                QStringLiteral("%1 已存在。\n要替换它吗？").arg(QDir::toNativeSeparators(path)),
                title, MessageBox::YesNo | MessageBox::Exclamation);
            if (answer != MessageBox::Yes)
                return fileName;
        }
    }

    try {
        saveProven(toQImage(picture5.Image()), path, format);
    } catch (const RuntimeError &error) {
        messages_.show(QStringLiteral("无法保存图片到 %1。\n%2")
                           .arg(QDir::toNativeSeparators(path), description(error)),
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
        QString where = existed ? QStringLiteral("原来的文件没有改动。") : QString();
        if (error.stream)
            where = QStringLiteral("管道或设备只能直接写入：图片的一部分可能已经写了进去。");
        if (!error.oldFileAt.isEmpty())
            where = QStringLiteral("原来的文件现在是 %1，新图片是 %2。")
                        .arg(QDir::toNativeSeparators(error.oldFileAt),
                             QDir::toNativeSeparators(error.newFileAt));
        switch (error.kind) {
        case SafeWriteError::NotProven:
            throw runtimeError(DeviceIoError,
                               QStringLiteral("设备 I/O 错误：写到磁盘上的图片读回来和原图不一样，"
                                              "所以没有保存。%1")
                                   .arg(where));
        case SafeWriteError::Exists:
            throw runtimeError(FileAlreadyExists, QStringLiteral("文件已存在。%1").arg(where));
        case SafeWriteError::NotAFile:
            throw runtimeError(
                PathFileAccessError,
                QStringLiteral("路径/文件访问错误：%1")
                    .arg(error.systemError == EISDIR
                             ? fileErrorText(EISDIR)
                             : QStringLiteral("这不是普通文件，而是块设备或套接字")));
        case SafeWriteError::BadName:
            throw runtimeError(
                BadFileName,
                QStringLiteral("文件名或文件号错误：Windows 不能用这个名字。CON、PRN、AUX、"
                               "NUL、COM1 到 COM9、LPT1 到 LPT9 是设备的名字（加上扩展名也是），"
                               "名字也不能以点或空格结尾；这样的文件资源管理器删不掉。"
                               "请换一个名字。%1")
                    .arg(where));
        case SafeWriteError::System:
            break;
        }
        throw runtimeError(
            PathFileAccessError,
            QStringLiteral("路径/文件访问错误：%1。%2")
                .arg(writeErrorText(path, error.systemError, QFileDevice::NoError), where));
    }
}

} // namespace veltrin
