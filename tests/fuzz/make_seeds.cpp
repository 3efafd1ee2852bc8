// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the fuzzer's seed corpus: every file of the public image suites and
// every picture file the tests write, and the picture files named after the
// corpora folder (the protected picture's reference), each behind the byte
// that picks its suffix, and two robust pictures, one carrying a sealed one.
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

QByteArray png(const veltrin::Picture &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    veltrin::toQImage(picture).save(&buffer, "png");
    return bytes;
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
