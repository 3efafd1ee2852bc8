// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the fuzzer's seed corpus: every file of the public image suites and
// every picture file the tests write, and the picture files named after the
// corpora folder (the protected picture's reference), each behind the byte
// that picks its suffix, two robust pictures, one carrying a sealed one, and
// a small screenshot showing one on a dark background, as PNG and as JPEG.
#include "core_fakes.h"
#include "fuzz_suffixes.h"
#include "picture_samples.h"
#include "protected_picture.h"
#include "qt_adapters.h"
#include "robust_picture.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

bool writeSeed(const QDir &out, const QString &name, const QString &suffix, const QByteArray &bytes)
{
    QFile file(out.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.putChar(static_cast<char>(fuzzSelector(suffix)));
    return file.write(bytes) == bytes.size();
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 80);
    return bytes;
}

QByteArray png(const veltrin::Picture &picture)
{
    return encoded(veltrin::toQImage(picture), "png");
}

// The locator's way in: the picture scaled, rounded, among lines of text.
QImage screenshot(const veltrin::Picture &picture)
{
    QImage screen(480, 640, QImage::Format_RGB32);
    screen.fill(QColor(17, 17, 17));
    QPainter painter(&screen);
    for (int y = 20; y < 600; y += 24)
        if (y < 100 || y > 540)
            painter.fillRect(20, y, 300 + y % 140, 12, QColor(230, 230, 230));
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(40, 120, 400, 400), 12, 12);
    painter.setClipPath(corners);
    painter.drawImage(QRect(40, 120, 400, 400), veltrin::toQImage(picture));
    return screen;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <seed folder> <corpora folder> [picture...]\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    int written = 0;
    // An empty folder means no suites, not the current directory.
    const QString corpora = QString::fromLocal8Bit(argv[2]);
    if (!corpora.isEmpty()) {
        QDirIterator files(corpora, {QStringLiteral("*.bmp"), QStringLiteral("*.png")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QFileInfo info(files.next());
            QFile file(info.filePath());
            if (!file.open(QIODevice::ReadOnly))
                return 1;
            const QString name = info.dir().dirName() + u'-' + info.fileName();
            written += writeSeed(out, name, info.suffix(), file.readAll());
        }
    }
    if (written == 0)
        std::fprintf(stderr, "no picture found in \"%s\": seeding with our own files only\n",
                     argv[2]);
    for (const veltrin::testing::PictureSample &sample : veltrin::testing::pictureSamples())
        written += writeSeed(out, QString::fromStdString(sample.name), sample.suffix, sample.bytes);
    // Sealed within the fuzzer's cost bound.
    veltrin::testing::SequenceRandomBytes random;
    const veltrin::Picture sealed =
        veltrin::protectedPicture::seal(u"封", u"Veltrin2026", random, {1, 8 * 1024}).image;
    written += writeSeed(out, QStringLiteral("robust.png"), QStringLiteral("png"),
                         png(veltrin::robustPicture::encode(u"经得起转发").image));
    written += writeSeed(out, QStringLiteral("robust-sealed.png"), QStringLiteral("png"),
                         png(veltrin::robustPicture::encodeSealed(sealed).image));
    const QImage shot = screenshot(veltrin::robustPicture::encode(u"截图").image);
    written += writeSeed(out, QStringLiteral("robust-screenshot.png"), QStringLiteral("png"),
                         encoded(shot, "png"));
    written += writeSeed(out, QStringLiteral("robust-screenshot.jpg"), QStringLiteral("jpg"),
                         encoded(shot, "jpg"));
    for (int i = 3; i < argc; ++i) {
        const QFileInfo info(QString::fromLocal8Bit(argv[i]));
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        written += writeSeed(out, info.fileName(), info.suffix(), file.readAll());
    }
    std::printf("%d seeds in %s\n", written, argv[1]);
    return 0;
}
