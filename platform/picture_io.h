#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace veltrin {

// Loading a picture file, the two ways the program has.
class PictureLoader
{
public:
    virtual ~PictureLoader() = default;
    // The path-based system loader: none for a missing file or one that is no
    // picture. May throw RuntimeError when the call itself fails.
    virtual std::optional<QImage> OleLoadPicturePath(const QString &path) = 0;
    // The toolkit's loader: throws RuntimeError when it cannot load the file.
    virtual QImage loadPictureFallback(const QString &path) = 0;
};

// Writes a picture to a BMP file; throws RuntimeError on failure.
class PictureWriter
{
public:
    virtual ~PictureWriter() = default;
    virtual void SavePicture(const QImage &image, const QString &path) = 0;
};

// Qt's image readers, every format they know, colours as stored. Files that
// break their format's rules are refused rather than shown half-read.
class QtPictureLoader final : public PictureLoader
{
public:
    std::optional<QImage> OleLoadPicturePath(const QString &path) override;
    QImage loadPictureFallback(const QString &path) override;
};

// An uncompressed 24-bit BMP, every pixel kept exactly. The file is replaced
// only once the new one is complete, so a failed write leaves the old intact.
class QtPictureWriter final : public PictureWriter
{
public:
    void SavePicture(const QImage &image, const QString &path) override;
};

} // namespace veltrin
