// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_io.h"

#include "file_error_text.h"
#include "formats.h"
#include "qt_adapters.h"
#include "qt_messages.h"
#include "runtime_error.h"
#include "system_error.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <array>

namespace veltrin {

namespace {

constexpr int FileNotFound = 53;
constexpr int DiskFull = 61;
constexpr int PathFileAccessError = 75;
constexpr int InvalidPicture = 481;

PictureLoad failure(int number, QString reason)
{
    return {std::nullopt, number, std::move(reason)};
}

PictureLoad invalidPicture()
{
    return failure(InvalidPicture, say(messages::invalidPicture));
}

// The formats that open, by the names Qt's readers give them, each with its
// decoder; no other reader Qt has (XPM, XBM, WBMP, ICNS, ...) ever decodes a
// file. A signature tells a format from the first bytes; TGA has none, and
// ICO's first bytes are also those of a TGA header, so for a file named *.tga
// the name decides.
struct OpenableFormat
{
    const char *name;
    bool signature;
    pictures::Decoder decode;
};
constexpr std::array<OpenableFormat, 11> openableFormats{{
    {"bmp", true, pictures::decodeBmp},
    {"png", true, pictures::decodePng},
    {"jpeg", true, pictures::decodeJpeg},
    {"gif", true, pictures::decodeGif},
    {"tiff", true, pictures::decodeTiff},
    {"webp", true, pictures::decodeWebp},
    {"pbm", true, pictures::decodePlain},
    {"pgm", true, pictures::decodePlain},
    {"ppm", true, pictures::decodePlain},
    {"ico", false, pictures::decodePlain},
    {"tga", false, pictures::decodeTga},
}};

const OpenableFormat *openable(const QByteArray &format)
{
    const auto found =
        std::find_if(openableFormats.begin(), openableFormats.end(),
                     [&format](const OpenableFormat &f) { return format == f.name; });
    return found == openableFormats.end() ? nullptr : &*found;
}

// The format of these bytes: what their content says, unless the name says
// TGA and the content carries no signature; none when nothing fits.
const OpenableFormat *formatOf(const QByteArray &bytes, const QString &suffix)
{
    QBuffer probe;
    probe.setData(bytes);
    probe.open(QIODevice::ReadOnly);
    const QByteArray content = QImageReader::imageFormat(&probe);
    const OpenableFormat *known = openable(content);
    if (suffix == QStringLiteral("tga") && !(known && known->signature))
        return openable("tga");
    if (!known || content == "tga")
        return nullptr;
    return known;
}

PictureLoad decodeBytes(const QByteArray &bytes, const QString &suffix)
{
    const OpenableFormat *format = formatOf(bytes, suffix);
    if (!format)
        return invalidPicture();
    std::optional<OpenedPicture> picture = format->decode(bytes, format->name);
    if (!picture)
        return invalidPicture();
    return {std::move(picture), 0, {}};
}

PictureLoad decode(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(FileNotFound, say(messages::fileNotFound));
    if (!info.isFile())
        return failure(PathFileAccessError, info.isDir() ? say(messages::folderNotPicture)
                                                         : say(messages::notRegularPictureFile));
    QFile file(path);
    int systemError = 0;
    const auto accessError = [&file, &systemError] {
        return failure(
            PathFileAccessError,
            say(messages::pathFileAccess, {{u"reason", fileErrorText(systemError, file.error())}}));
    };
    clearSystemError();
    if (!file.open(QIODevice::ReadOnly)) {
        systemError = lastSystemError();
        return accessError();
    }
    const qint64 limit = pictureByteLimit();
    if (file.size() > limit)
        return invalidPicture();
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(file.size()) + 1);
    while (bytes.size() <= limit) {
        const qsizetype have = bytes.size();
        const qint64 step = std::min<qint64>(limit + 1 - have, 1 << 20);
        bytes.resize(have + static_cast<qsizetype>(step));
        clearSystemError();
        const qint64 got = file.read(bytes.data() + have, step);
        systemError = lastSystemError();
        bytes.resize(have + static_cast<qsizetype>(std::max<qint64>(got, 0)));
        if (got < 0)
            return accessError();
        if (got == 0)
            break;
    }
    file.close();
    if (bytes.size() > limit)
        return invalidPicture();
    return decodeBytes(bytes, QFileInfo(path).suffix().toLower());
}

} // namespace

PictureLoad QtPictureLoader::OleLoadPicturePath(const QString &path)
{
    return decode(path);
}

OpenedPicture QtPictureLoader::loadPictureFallback(const QString &path)
{
    PictureLoad loaded = decode(path);
    if (!loaded.picture)
        throw runtimeError(loaded.errorNumber, loaded.reason);
    return *std::move(loaded.picture);
}

PictureLoad QtPictureLoader::loadBytes(const QByteArray &bytes, const QString &suffix)
{
    return decodeBytes(bytes, suffix.toLower());
}

QString extensionOf(PictureFormat format)
{
    return format == PictureFormat::Png ? QStringLiteral("png") : QStringLiteral("bmp");
}

std::optional<PictureFormat> writtenFormat(const QString &extension)
{
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Png})
        if (extension.compare(extensionOf(format), Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

void QtPictureWriter::write(const QImage &image, QIODevice &device, PictureFormat format)
{
    if (image.isNull())
        throw runtimeError(InvalidPicture, say(messages::invalidPicture));
    // Qt writes 32-bit RGB pictures as uncompressed 24-bit BMP files and as
    // 8-bit RGB PNG files. A colour space would become an iCCP, sRGB or gAMA
    // chunk, and a reader that applies it changes the colours that are the text.
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    rgb.setColorSpace(QColorSpace());
    QImageWriter writer(&device, extensionOf(format).toLatin1());
    // The system's error right after the failing call says why; Qt's own reason is English.
    clearSystemError();
    if (!writer.write(rgb)) {
        const int error = lastSystemError();
        const auto *file = qobject_cast<const QFileDevice *>(&device);
        const bool failed = file && file->error() != QFileDevice::NoError;
        const bool full = failed && file->error() == QFileDevice::ResourceError;
        throw runtimeError(
            full ? DiskFull : PathFileAccessError,
            say(messages::cannotWritePicture,
                {{u"reason", failed ? writeErrorText(file->fileName(), error, file->error())
                                    : say(messages::cannotEncodePicture)}}));
    }
}

} // namespace veltrin
