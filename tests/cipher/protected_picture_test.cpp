// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_members.h"
#include "code_page.h"
#include "decryptor.h"
#include "fakes.h"
#include "picture_io.h"
#include "picture_surface.h"
#include "protected_picture.h"
#include "qt_adapters.h"
#include "qt_printers.h"
#include "runtime_error.h"
#include "utf8.h"
#include "window_start.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace veltrin::testing {
namespace {

using namespace protectedPicture;

// The reference picture was written by tests/cipher/data/make_protected_fixture.py
// from the format's description with libsodium alone.
TEST(ProtectedPicture, KnownAnswer)
{
    QFile file(QStringLiteral(VELTRIN_PROTECTED_FIXTURE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray reference = file.readAll();
    const QImage expected = QImage::fromData(reference, "BMP");
    ASSERT_FALSE(expected.isNull());
    const QString text = QStringLiteral("Veltrin 你好\r\n😀 protected");
    const QString password = QStringLiteral("Veltrin2026");

    SequenceRandomBytes random; // salt 0 to 15, nonce 16 to 39
    const Sealed made = seal(toU16(text), toU16(password), random, {2, 64 * 1024});
    ASSERT_EQ(made.failure, Failure::None);
    EXPECT_TRUE(made.image == toPicture(expected));

    // Shown and saved as the window does, it is the reference file to the byte.
    PictureSurface picture1(startSize::picture1Width, startSize::picture1Height);
    PictureSurface picture5(startSize::picture5Width, startSize::picture5Height);
    show(made.image, picture1, picture5);
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    QtPictureWriter::writeBmp(picture5.qImage(), bmp);
    EXPECT_EQ(bmp.data(), reference);

    const Opened opened = open(toPicture(expected), toU16(password));
    EXPECT_EQ(opened.failure, Failure::None);
    EXPECT_EQ(fromU16(opened.text), text);
    const HeaderRead read = readHeader(toPicture(expected));
    EXPECT_EQ(read.header.cost, (KdfCost{2, 64 * 1024}));
    EXPECT_EQ(read.header.paddedBytes(), 256u);
}

// Every protected picture made so far took its text and password through
// Qt's encoder: the core's own must give the same bytes.
TEST(ProtectedPicture, TextsBecomeTheBytesTheyAlwaysDid)
{
    const QString texts[] = {
        QStringLiteral("Veltrin 你好😀"),
        QString(QChar(0xD83D)) + QStringLiteral("lone high"),
        QStringLiteral("lone low") + QString(QChar(0xDE00)),
        QString(QChar(0xFEFF)) + QStringLiteral("BOM"),
    };
    for (const QString &text : texts)
        EXPECT_EQ(QByteArray::fromStdString(utf8::encode(toU16(text))), text.toUtf8())
            << text.toStdString();
}

} // namespace
} // namespace veltrin::testing
