// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

class QIODevice;

namespace veltrin {

// A picture as it came out of its file: the pixels, and what kind of file held
// them, which tells whether the pixels can still be those that were saved.
struct OpenedPicture
{
    QImage image;
    QByteArray format;       // the reader's name of the format: "bmp", "png", "jpeg", "webp", ...
    bool lossy = false;      // JPEG, lossy WebP or TIFF: compression has changed the pixels
    bool incomplete = false; // the file stops early; the reader filled in the rest
};

// What a load gives: a picture, or none with the run-time error number and the
// reason, in Chinese, for a message to the user.
struct PictureLoad
{
    std::optional<OpenedPicture> picture;
    int errorNumber = 0;
    QString reason;

    explicit operator bool() const { return picture.has_value(); }
};

// The most bytes a picture may take, as a file or in 32-bit colour. A file
// larger cannot be a picture for us, and one whose size reads 0 (those under
// /proc) is read no further.
qint64 pictureByteLimit();

// Whether two pictures have the same size and the same 24-bit colour in every
// pixel, whatever their formats.
bool samePixels(const QImage &a, const QImage &b);

// Loading a picture, the two ways the program has.
class PictureLoader
{
public:
    virtual ~PictureLoader() = default;
    // The path-based system loader: no picture for a missing file or one that
    // is no picture. May throw RuntimeError when the call itself fails.
    virtual PictureLoad OleLoadPicturePath(const QString &path) = 0;
    // The toolkit's loader: throws RuntimeError when it cannot load the file.
    virtual OpenedPicture loadPictureFallback(const QString &path) = 0;
    // A picture that comes as bytes rather than as a file (the clipboard), with
    // the same decisions as for a file; `suffix` stands in for a file name's.
    virtual PictureLoad loadBytes(const QByteArray &bytes, const QString &suffix) = 0;
};

// The formats pictures are written in: both keep every pixel.
enum class PictureFormat { Bmp, Png };

// The format's file name extension, which is also its reader's name.
QString extensionOf(PictureFormat format);

// The format an extension names ("PNG" as "png"), when it is one Veltrin writes.
std::optional<PictureFormat> writtenFormat(const QString &extension);

// Writes a picture file's bytes to an open device (the file itself is put in
// place by a safe write); throws RuntimeError on failure.
class PictureWriter
{
public:
    virtual ~PictureWriter() = default;
    virtual void SavePicture(const QImage &image, QIODevice &device, PictureFormat format) = 0;
};

// Qt's image readers, colours as stored. Files that break their format's rules
// are refused rather than shown half-read; each format's rules are in its own
// file beside this one (bmp.cpp, png.cpp, ...).
class QtPictureLoader final : public PictureLoader
{
public:
    PictureLoad OleLoadPicturePath(const QString &path) override;
    OpenedPicture loadPictureFallback(const QString &path) override;
    PictureLoad loadBytes(const QByteArray &bytes, const QString &suffix) override;
};

// An uncompressed 24-bit BMP, or a 24-bit RGB PNG without colour profile or
// gamma, which no reader could apply to the pixels: every pixel kept exactly.
class QtPictureWriter final : public PictureWriter
{
public:
    void SavePicture(const QImage &image, QIODevice &device, PictureFormat format) override
    {
        write(image, device, format);
    }
    // What SavePicture writes, for callers without a writer (standard output).
    static void write(const QImage &image, QIODevice &device, PictureFormat format);
    static void writeBmp(const QImage &image, QIODevice &device)
    {
        write(image, device, PictureFormat::Bmp);
    }
};

} // namespace veltrin
