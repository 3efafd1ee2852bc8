// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_reference.h"
#include "formats.h"
#include "picture_file_helpers.h"
#include "picture_io.h"
#include "picture_kind.h"
#include "picture_samples.h"
#include "picture_surface.h"
#include "png_reference.h"
#include "qt_adapters.h"
#include "qt_printers.h"
#include "runtime_error.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <random>

namespace veltrin::testing {
namespace {

QString corpora()
{
    return qEnvironmentVariable("VELTRIN_CORPORA");
}

// Without the suites (a checkout on its own) their tests are skipped, not failed.
constexpr const char *noCorpora = "BMP Suite and PngSuite not found (VELTRIN_CORPORA)";

QStringList listing(const QString &folder, const QString &pattern)
{
    const QDir dir(QDir(corpora()).filePath(folder));
    QStringList paths;
    for (const QString &name : dir.entryList({pattern}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

std::string testName(const QString &path)
{
    std::string name = QFileInfo(path).completeBaseName().toStdString();
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

const auto byFileName = [](const ::testing::TestParamInfo<QString> &info) {
    return testName(info.param);
};

// Pixels as the picture surface keeps them: 24-bit colour, transparency over white.
QImage opaque(const QImage &image)
{
    QImage shown(image.size(), QImage::Format_RGB32);
    shown.fill(Qt::white);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            shown.setPixel(x, y, image.pixel(x, y) | 0xFF000000u);
    return shown;
}

// What a picture box shows of a picture: transparency over white.
QImage shown(const QImage &image)
{
    PictureSurface surface(0, 0);
    surface.setPicture(image);
    return surface.qImage();
}

// Where the pixels differ first, for a readable failure.
::testing::AssertionResult samePixels(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << " instead of "
               << expected.width() << "x" << expected.height();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if ((actual.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex
                       << (actual.pixel(x, y) & 0xFFFFFF) << " instead of "
                       << (expected.pixel(x, y) & 0xFFFFFF);
    return ::testing::AssertionSuccess();
}

// --- BMP Suite ---

class GoodBmp : public ::testing::TestWithParam<QString>
{};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoodBmp);

TEST_P(GoodBmp, LoadsWithTheColoursTheFileHolds)
{
    const QString path = GetParam();
    QtPictureLoader loader;
    const auto image = loadImage(loader, path);
    ASSERT_TRUE(image.has_value()) << path.toStdString();
    ASSERT_FALSE(image->isNull());

    // Compressed and OS/2 files show the same picture as their plain sibling.
    QString reference = path;
    const QString name = QFileInfo(path).fileName();
    if (name == QStringLiteral("pal4rle.bmp"))
        reference = QFileInfo(path).dir().filePath(QStringLiteral("pal4.bmp"));
    else if (name == QStringLiteral("pal8rle.bmp"))
        reference = QFileInfo(path).dir().filePath(QStringLiteral("pal8.bmp"));
    const auto expected = referenceDecodeBmp(readAll(reference));
    ASSERT_TRUE(expected.has_value()) << "no reference for " << name.toStdString();
    EXPECT_TRUE(samePixels(opaque(*image), *expected)) << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, GoodBmp,
                         ::testing::ValuesIn(listing(QStringLiteral("bmpsuite/g"),
                                                     QStringLiteral("*.bmp"))),
                         byFileName);

TEST(GoodBmp, SuiteIsThere)
{
    if (corpora().isEmpty())
        GTEST_SKIP() << noCorpora;
    // Without the corpora every table above would pass empty.
    EXPECT_EQ(listing(QStringLiteral("bmpsuite/g"), QStringLiteral("*.bmp")).size(), 27);
    EXPECT_EQ(listing(QStringLiteral("bmpsuite/q"), QStringLiteral("*.bmp")).size(), 43);
    EXPECT_EQ(listing(QStringLiteral("bmpsuite/b"), QStringLiteral("*.bmp")).size(), 20);
    EXPECT_EQ(listing(QStringLiteral("pngsuite"), QStringLiteral("*.png")).size(), 175);
}

TEST(GoodBmp, PaletteAndTrueColourFormsAgree)
{
    if (corpora().isEmpty())
        GTEST_SKIP() << noCorpora;
    // The suite draws one picture in many forms; the exact ones must agree.
    QtPictureLoader loader;
    const QDir g(QDir(corpora()).filePath(QStringLiteral("bmpsuite/g")));
    const auto rgb24 = loadImage(loader, g.filePath(QStringLiteral("rgb24.bmp")));
    ASSERT_TRUE(rgb24.has_value());
    for (const char16_t *name :
         {u"rgb24pal.bmp", u"rgb32.bmp", u"rgb32bf.bmp", u"rgb32bfdef.bmp"}) {
        const auto other = loadImage(loader, g.filePath(QString::fromUtf16(name)));
        ASSERT_TRUE(other.has_value());
        EXPECT_TRUE(samePixels(opaque(*other), opaque(*rgb24)))
            << QString::fromUtf16(name).toStdString();
    }
    const auto pal8 = loadImage(loader, g.filePath(QStringLiteral("pal8.bmp")));
    ASSERT_TRUE(pal8.has_value());
    for (const char16_t *name : {u"pal8-0.bmp", u"pal8os2.bmp", u"pal8rle.bmp", u"pal8topdown.bmp",
                                 u"pal8v4.bmp", u"pal8v5.bmp"}) {
        const auto other = loadImage(loader, g.filePath(QString::fromUtf16(name)));
        ASSERT_TRUE(other.has_value());
        EXPECT_TRUE(samePixels(opaque(*other), opaque(*pal8)))
            << QString::fromUtf16(name).toStdString();
    }
}

class QuestionableBmp : public ::testing::TestWithParam<QString>
{};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(QuestionableBmp);

TEST_P(QuestionableBmp, EitherLoadsOnlyPixelsFromTheFileOrIsRefused)
{
    QtPictureLoader loader;
    const auto image = loadImage(loader, GetParam());
    if (image) {
        EXPECT_FALSE(image->isNull());
        EXPECT_EQ(definedPixels(readAll(GetParam()), "bmp"), true);
    }
    try {
        const QImage fallback = loader.loadPictureFallback(GetParam()).image;
        EXPECT_TRUE(image.has_value());
        EXPECT_EQ(fallback.size(), image ? image->size() : QSize());
    } catch (const RuntimeError &error) {
        EXPECT_FALSE(image.has_value());
        EXPECT_EQ(error.number(), 481);
    }
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, QuestionableBmp,
                         ::testing::ValuesIn(listing(QStringLiteral("bmpsuite/q"),
                                                     QStringLiteral("*.bmp"))),
                         byFileName);

class BadPicture : public ::testing::TestWithParam<QString>
{};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BadPicture);

TEST_P(BadPicture, IsRefusedWithNoneOrTheInvalidPictureError)
{
    QtPictureLoader loader;
    EXPECT_FALSE(loadImage(loader, GetParam()).has_value());
    try {
        loader.loadPictureFallback(GetParam());
        ADD_FAILURE() << "the fallback loader accepted an invalid file";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 481);
        EXPECT_EQ(description(error), QStringLiteral("无效图片"));
    }
}

// The b/ files whose only fault is a header field that does not change the
// pixels, and a run-length file stored top-down whose stream paints every
// pixel; each shows the picture of its g/ twin.
const std::map<QString, QString> readableBadBmps{
    {QStringLiteral("badbitssize.bmp"), QStringLiteral("pal1.bmp")},
    {QStringLiteral("baddens1.bmp"), QStringLiteral("pal1.bmp")},
    {QStringLiteral("baddens2.bmp"), QStringLiteral("pal1.bmp")},
    {QStringLiteral("badfilesize.bmp"), QStringLiteral("pal1.bmp")},
    {QStringLiteral("rletopdown.bmp"), QStringLiteral("pal8.bmp")},
};

std::vector<QString> badBmps(bool readable)
{
    std::vector<QString> paths;
    for (const QString &path : listing(QStringLiteral("bmpsuite/b"), QStringLiteral("*.bmp")))
        if (readableBadBmps.contains(QFileInfo(path).fileName()) == readable)
            paths.push_back(path);
    return paths;
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, BadPicture, ::testing::ValuesIn(badBmps(false)), byFileName);

class HeaderFaultBmp : public ::testing::TestWithParam<QString>
{};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HeaderFaultBmp);

TEST_P(HeaderFaultBmp, ShowsThePictureOfItsGoodTwin)
{
    QtPictureLoader loader;
    const auto image = loadImage(loader, GetParam());
    ASSERT_TRUE(image.has_value());
    const QString twin = QDir(corpora()).filePath(
        QStringLiteral("bmpsuite/g/") + readableBadBmps.at(QFileInfo(GetParam()).fileName()));
    const auto expected = referenceDecodeBmp(readAll(twin));
    ASSERT_TRUE(expected.has_value());
    EXPECT_TRUE(samePixels(opaque(*image), *expected));
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, HeaderFaultBmp, ::testing::ValuesIn(badBmps(true)), byFileName);
INSTANTIATE_TEST_SUITE_P(PngSuiteCorrupt, BadPicture,
                         ::testing::ValuesIn(listing(QStringLiteral("pngsuite"),
                                                     QStringLiteral("x*.png"))),
                         byFileName);

// No picture of another kind passes for a robust one, as it is or blown up
// to a robust picture's size: the suites' stripes, checkers and gradients
// are the black-and-white patterns the locator looks for.
TEST(Suites, NoPictureIsTakenForARobustOne)
{
    QtPictureLoader loader;
    int read = 0;
    for (const QString &folder : {QStringLiteral("bmpsuite/g"), QStringLiteral("bmpsuite/q"),
                                  QStringLiteral("bmpsuite/b"), QStringLiteral("pngsuite")})
        for (const QString &path : listing(folder, QStringLiteral("*.*")))
            if (const auto image = loadImage(loader, path); image && !image->isNull() && ++read) {
                const int times = std::max(1, 1280 / std::max(image->width(), image->height()));
                const QImage shown = opaque(*image);
                for (const QImage &picture : {shown, shown.scaled(shown.size() * times)})
                    EXPECT_NE(recognise(toPicture(picture)).kind, PictureKind::Robust)
                        << path.toStdString() << " at " << picture.width();
            }
    EXPECT_GE(read, corpora().isEmpty() ? 0 : 200);
}

// --- PngSuite ---

class GoodPng : public ::testing::TestWithParam<QString>
{};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoodPng);

TEST_P(GoodPng, LoadsWithTheSizeItsHeaderGives)
{
    const QByteArray bytes = readAll(GetParam());
    ASSERT_GE(bytes.size(), 24);
    const auto be32 = [&bytes](int at) {
        return int(std::uint8_t(bytes[at])) << 24 | int(std::uint8_t(bytes[at + 1])) << 16 |
               int(std::uint8_t(bytes[at + 2])) << 8 | int(std::uint8_t(bytes[at + 3]));
    };
    QtPictureLoader loader;
    const auto image = loadImage(loader, GetParam());
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), QSize(be32(16), be32(20)));

    // Qt's reader scrambles 16-bit RGB with a transparent colour; those two
    // show as their 8-bit twin does. Every other file keeps the reader's pixels.
    static const std::map<QString, QString> eightBitTwins{
        {QStringLiteral("tbbn2c16.png"), QStringLiteral("tbrn2c08.png")},
        {QStringLiteral("tbgn2c16.png"), QStringLiteral("tbrn2c08.png")},
    };
    const auto twin = eightBitTwins.find(QFileInfo(GetParam()).fileName());
    if (twin == eightBitTwins.end()) {
        EXPECT_EQ(image->convertToFormat(QImage::Format_ARGB32),
                  QImage(GetParam()).convertToFormat(QImage::Format_ARGB32));
    } else {
        const auto other = loadImage(loader, QFileInfo(GetParam()).dir().filePath(twin->second));
        ASSERT_TRUE(other.has_value());
        EXPECT_EQ(shown(*image), shown(*other));
    }
}

std::vector<QString> validPngs()
{
    std::vector<QString> paths;
    for (const QString &path : listing(QStringLiteral("pngsuite"), QStringLiteral("*.png")))
        if (!QFileInfo(path).fileName().startsWith(u'x'))
            paths.push_back(path);
    return paths;
}

INSTANTIATE_TEST_SUITE_P(PngSuite, GoodPng, ::testing::ValuesIn(validPngs()), byFileName);

TEST(GoodPng, InterlacedFilesGiveTheSamePixelsAsTheirPlainTwins)
{
    if (corpora().isEmpty())
        GTEST_SKIP() << noCorpora;
    QtPictureLoader loader;
    int pairs = 0;
    for (const QString &path : validPngs()) {
        const QString name = QFileInfo(path).fileName();
        if (name.size() < 4 || name.at(3) != u'i' || name.startsWith(QStringLiteral("bg")))
            continue;
        QString twinName = name;
        twinName[3] = u'n';
        const QString twin = QFileInfo(path).dir().filePath(twinName);
        if (!QFile::exists(twin))
            continue;
        const auto interlaced = loadImage(loader, path);
        const auto plain = loadImage(loader, twin);
        ASSERT_TRUE(interlaced && plain) << name.toStdString();
        EXPECT_EQ(interlaced->convertToFormat(QImage::Format_ARGB32),
                  plain->convertToFormat(QImage::Format_ARGB32))
            << name.toStdString();
        ++pairs;
    }
    EXPECT_GE(pairs, 20);
}

TEST(GoodPng, EightBitGreyKeepsItsExactLevels)
{
    if (corpora().isEmpty())
        GTEST_SKIP() << noCorpora;
    // basn0g08 runs its grey levels 0, 1, 2, ... along the rows.
    QtPictureLoader loader;
    const auto image =
        loadImage(loader, QDir(corpora()).filePath(QStringLiteral("pngsuite/basn0g08.png")));
    ASSERT_TRUE(image.has_value());
    const QImage rgb = image->convertToFormat(QImage::Format_RGB32);
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(rgb.pixel(x, 0) & 0xFFFFFF, QRgb(x * 0x010101u)) << x;
}

// --- files that are no pictures ---

struct BadFile
{
    const char *name;
    std::function<QString(const QDir &)> make;
    int errorNumber;
};

class NotAPicture : public ::testing::TestWithParam<BadFile>
{};

QString writeFile(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

QByteArray smallBmp()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

TEST_P(NotAPicture, GivesNoneAndTheFallbackReportsWhy)
{
#ifdef _WIN32
    if (std::string(GetParam().name) == "device" || std::string(GetParam().name) == "unreadable")
        GTEST_SKIP() << "no /dev or /proc on Windows";
#endif
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path = GetParam().make(QDir(temp.path()));
    QtPictureLoader loader;
    EXPECT_FALSE(loadImage(loader, path).has_value());
    try {
        loader.loadPictureFallback(path);
        ADD_FAILURE() << "loaded " << GetParam().name;
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), GetParam().errorNumber);
        // The reason is told to the user in Chinese, never in Qt's English.
        EXPECT_FALSE(description(error).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << description(error).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotAPicture,
    ::testing::Values(
        BadFile{"missing", [](const QDir &d) { return d.filePath(QStringLiteral("没有.bmp")); },
                53},
        BadFile{"folder", [](const QDir &d) { return d.path(); }, 75},
        BadFile{"device", [](const QDir &) { return QStringLiteral("/dev/null"); }, 75},
        BadFile{"unreadable", [](const QDir &) { return QStringLiteral("/proc/self/mem"); }, 75},
        BadFile{"empty",
                [](const QDir &d) { return writeFile(d, QStringLiteral("empty.bmp"), {}); }, 481},
        BadFile{"text",
                [](const QDir &d) {
                    return writeFile(d, QStringLiteral("text.bmp"),
                                     QByteArrayLiteral("this is no picture\n"));
                },
                481},
        BadFile{"justTheMagic",
                [](const QDir &d) { return writeFile(d, QStringLiteral("bm.bmp"), "BM"); }, 481},
        BadFile{"truncatedBmp",
                [](const QDir &d) {
                    const QByteArray whole = smallBmp();
                    return writeFile(d, QStringLiteral("cut.bmp"), whole.left(whole.size() / 2));
                },
                481},
        BadFile{"headerOnly",
                [](const QDir &d) {
                    return writeFile(d, QStringLiteral("head.bmp"), smallBmp().left(54));
                },
                481}),
    [](const auto &info) { return std::string(info.param.name); });

// --- small files written here: each defect of the loader, and every format ---

class Sample : public ::testing::TestWithParam<PictureSample>
{};

TEST_P(Sample, OpensAsItsFormatWithItsPixelsOrIsRefused)
{
    const PictureSample &c = GetParam();
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path =
        writeFile(QDir(temp.path()), QStringLiteral("sample.") + c.suffix, c.bytes);
    QtPictureLoader loader;
    for (const PictureLoad &load :
         {loader.OleLoadPicturePath(path), loader.loadBytes(c.bytes, c.suffix)}) {
        if (c.format.isEmpty()) {
            EXPECT_FALSE(load.picture.has_value());
            EXPECT_EQ(load.errorNumber, 481);
            continue;
        }
        ASSERT_TRUE(load.picture.has_value());
        EXPECT_EQ(load.picture->format, c.format);
        EXPECT_EQ(load.picture->lossy, c.lossy);
        EXPECT_EQ(load.picture->incomplete, c.incomplete);
        if (c.shows) {
            EXPECT_TRUE(samePixels(shown(load.picture->image), shown(*c.shows)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Written, Sample, ::testing::ValuesIn(pictureSamples()),
                         [](const auto &info) { return info.param.name; });

TEST(PictureLayout, TiffCompressionOfTheFirstImageInEitherByteOrder)
{
    // A directory of one entry, the compression tag, after an 8-byte header.
    const auto tiff = [](bool big, std::uint16_t compression) {
        QByteArray bytes = big ? QByteArray::fromHex("4d4d002a00000008"
                                                     "0001"
                                                     "0103"
                                                     "0003"
                                                     "00000001")
                               : QByteArray::fromHex("49492a0008000000"
                                                     "0100"
                                                     "0301"
                                                     "0300"
                                                     "01000000");
        const char high = char(compression >> 8), low = char(compression & 0xFF);
        bytes += big ? high : low;
        bytes += big ? low : high;
        return bytes + QByteArray(2, '\0');
    };
    for (const bool big : {false, true}) {
        for (const std::uint16_t compression : {1, 5, 7, 34712}) {
            EXPECT_EQ(pictures::tiffCompression(tiff(big, compression)), compression) << big;
            EXPECT_FALSE(pictures::tiffCompression(tiff(big, compression).chopped(5)).has_value());
        }
    }
    EXPECT_FALSE(pictures::tiffCompression(QByteArrayLiteral("II*\0\xff\xff\xff\xff")).has_value());
}

TEST(PictureLayout, APngChunkCutAnywhereIsNotInside)
{
    // The signature and a 4 x 2 RGB header, then a text chunk claiming 1.6 GB.
    const QByteArray head = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000000040000000208"
                                                "02000000f0caea34");
    const QByteArray text = QByteArray::fromHex("61000000695458740000");
    ASSERT_TRUE(pictures::measurePng(head).has_value());
    EXPECT_TRUE(pictures::measurePng(head)->chunksInside);
    for (const int kept : {1, 4, 8, 10}) {
        const auto png = pictures::measurePng(head + text.left(kept));
        ASSERT_TRUE(png.has_value()) << kept;
        EXPECT_FALSE(png->chunksInside) << kept;
    }
    EXPECT_EQ(QtPictureLoader().loadBytes(head + text.left(8), QStringLiteral("png")).errorNumber,
              481);
}

TEST(PictureLoader, RefusesATiffWhosePixelsTheFileDoesNotHold)
{
    // A 4 x 2 picture without its strips' byte counts: libtiff reckons them
    // from the height, and the rows the file does not hold would keep
    // whatever the memory held.
    const QByteArray tiff = QByteArray::fromBase64(
        "SUkqACAAAAD/AAAA/wAAAP/3//////8AAP8A/wD/AAAOAAABAwABAAAABAAAAAEBAwABAAAAAgAAAAIBAwADAAAA"
        "3gAAAAMBAwABAAAAAQAAAAYBAwABAAAAAgAAABEBBAABAAAACAAAAAGJUE5HDQoaCgAAAA1JSBIBAwABAAAAAQAA"
        "ABUBAwABAABVBQAXAQQAAQAAABgAAAAaAQUAAQAAAM4AAAAbAQUAAQAAANYAAAAcAQMAAQAAAAEAAAAAAAAAAgAA"
        "AAAAKABkAAAAAQAAAAhEUv8AACAAAAAgEAAAAAAGgfn0K5/XAAAIAAgBAAAAgg==");
    const PictureLoad load = QtPictureLoader().loadBytes(tiff, QStringLiteral("tif"));
    EXPECT_FALSE(load.picture.has_value());
    EXPECT_EQ(load.errorNumber, 481);
}

TEST(PictureLoader, ReadsNoFurtherThanTheAllocationLimitWhateverTheSizeSays)
{
    // A file under /proc has size 0 and goes on for hundreds of gigabytes.
    const QString endless = QStringLiteral("/proc/self/pagemap");
    if (!QFileInfo(endless).isReadable())
        GTEST_SKIP() << "no " << endless.toStdString();
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    QtPictureLoader loader;
    const PictureLoad load = loader.OleLoadPicturePath(endless);
    QImageReader::setAllocationLimit(limit);
    EXPECT_FALSE(load.picture.has_value());
    EXPECT_EQ(load.errorNumber, 481);
}

TEST(PictureLoader, RefusesAPictureThatWouldTakeMoreThanTheLimitIn32BitColour)
{
    // 1024 x 1024 pixels of 1 bit: 128 KB in the file, 4 MB in the picture box.
    const QByteArray file = bmpFile({.width = 1024,
                                     .height = 1024,
                                     .bits = 1,
                                     .palette = {0xFF000000, 0xFFFFFFFF},
                                     .pixels = QByteArray(1024 * 1024 / 8, '\x55')});
    QtPictureLoader loader;
    EXPECT_TRUE(loader.loadBytes(file, QStringLiteral("bmp")).picture.has_value());
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(2);
    const PictureLoad load = loader.loadBytes(file, QStringLiteral("bmp"));
    QImageReader::setAllocationLimit(limit);
    EXPECT_FALSE(load.picture.has_value());
}

TEST(PictureLoader, ContentDecidesNotTheName)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QImage png(5, 3, QImage::Format_RGB32);
    png.fill(qRgb(1, 2, 3));
    const QString path = QDir(temp.path()).filePath(QStringLiteral("图.bmp"));
    ASSERT_TRUE(png.save(path, "PNG"));
    QtPictureLoader loader;
    const auto image = loadImage(loader, path);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixel(4, 2) & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFF);
}

// --- writing ---

QImage randomPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    return image;
}

class SavedBmp : public ::testing::TestWithParam<QSize>
{};

TEST_P(SavedBmp, IsAnUncompressed24BitFileWithEveryPixelExact)
{
    const QSize size = GetParam();
    const QImage image = randomPicture(size.width(), size.height(), 7u + size.width());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);

    QtPictureWriter::writeBmp(image, buffer);

    const QByteArray b = buffer.data();
    const auto u16 = [&b](int at) {
        return int(std::uint8_t(b[at])) | int(std::uint8_t(b[at + 1])) << 8;
    };
    const auto u32 = [&u16](int at) {
        return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16;
    };
    const int stride = (size.width() * 3 + 3) / 4 * 4;
    ASSERT_EQ(b.size(), 54 + stride * size.height());
    EXPECT_TRUE(b.startsWith("BM"));
    EXPECT_EQ(u32(2), std::uint32_t(b.size()));
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(std::int32_t(u32(18)), size.width());
    EXPECT_EQ(std::int32_t(u32(22)), size.height()); // bottom-up
    EXPECT_EQ(u16(26), 1);
    EXPECT_EQ(u16(28), 24);
    EXPECT_EQ(u32(30), 0u);
    for (int y = 0; y < size.height(); ++y) {
        const int line = 54 + stride * (size.height() - 1 - y);
        for (int x = 0; x < size.width(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            const int at = line + 3 * x;
            ASSERT_EQ(std::uint8_t(b[at]), qBlue(rgb)) << x << "," << y;
            ASSERT_EQ(std::uint8_t(b[at + 1]), qGreen(rgb)) << x << "," << y;
            ASSERT_EQ(std::uint8_t(b[at + 2]), qRed(rgb)) << x << "," << y;
        }
        for (int pad = 3 * size.width(); pad < stride; ++pad)
            EXPECT_EQ(b[line + pad], '\0');
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SavedBmp,
                         ::testing::Values(QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(4, 4),
                                           QSize(5, 1), QSize(110, 110), QSize(127, 64)));

struct PngCase
{
    const char *name;
    std::function<QImage()> picture;
};

QImage withColourSpace(QImage image, QColorSpace space)
{
    image.setColorSpace(space);
    return image;
}

QImage greys()
{
    QImage image(9, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            image.setPixel(x, y, qRgb(x * 28, x * 28, x * 28));
    return image;
}

QImage halfTransparent()
{
    QImage image = randomPicture(5, 5, 3).convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < 5; ++x)
        image.setPixel(x, 2, qRgba(200, 100, 50, 128));
    return image;
}

class SavedPng : public ::testing::TestWithParam<PngCase>
{};

// Whatever the picture came as, the PNG holds its 24-bit pixels and nothing a
// reader might apply to them, and reads as the BMP of the same picture does.
TEST_P(SavedPng, Is24BitRgbWithoutColourChunksWithThePixelsOfTheBmp)
{
    const QImage image = GetParam().picture();
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);

    QtPictureWriter().SavePicture(image, png, PictureFormat::Png);
    QtPictureWriter::writeBmp(image, bmp);

    const std::optional<ReferencePng> read = referenceReadPng(png.data());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->bitDepth, 8);
    EXPECT_EQ(read->colourType, 2); // RGB, no alpha, no palette
    EXPECT_EQ(read->interlace, 0);
    for (const char *chunk : {"iCCP", "gAMA", "sRGB", "cHRM"})
        EXPECT_FALSE(read->chunks.contains(chunk))
            << chunk << " in " << read->chunks.join(' ').data();
    const std::optional<QImage> fromBmp = referenceDecodeBmp(bmp.data());
    ASSERT_TRUE(fromBmp.has_value());
    ASSERT_TRUE(read->image.has_value());
    EXPECT_EQ(*read->image, fromBmp->convertToFormat(QImage::Format_RGB32));
    // Opened again, it is the picture it was.
    const PictureLoad back = QtPictureLoader().loadBytes(png.data(), QStringLiteral("png"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.picture->format, "png");
    EXPECT_FALSE(back.picture->lossy);
    EXPECT_EQ(back.picture->image.convertToFormat(QImage::Format_RGB32), *read->image);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, SavedPng,
    ::testing::Values(
        PngCase{"onePixel", [] { return randomPicture(1, 1, 1); }},
        PngCase{"fullCipherPicture", [] { return randomPicture(110, 110, 2); }},
        PngCase{"oddWidth", [] { return randomPicture(127, 3, 4); }},
        PngCase{"sRgb", [] { return withColourSpace(randomPicture(4, 4, 5), QColorSpace::SRgb); }},
        PngCase{"displayP3",
                [] { return withColourSpace(randomPicture(4, 4, 6), QColorSpace::DisplayP3); }},
        PngCase{"linear",
                [] { return withColourSpace(randomPicture(4, 4, 7), QColorSpace::SRgbLinear); }},
        PngCase{"greys", greys},
        PngCase{"greyFormat", [] { return greys().convertToFormat(QImage::Format_Grayscale8); }},
        PngCase{"palette", [] { return greys().convertToFormat(QImage::Format_Indexed8); }},
        PngCase{"halfTransparent", halfTransparent}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PictureFormats, ExtensionsNameOnlyTheFormatsWritten)
{
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Png}) {
        EXPECT_EQ(writtenFormat(extensionOf(format)), format);
        EXPECT_EQ(writtenFormat(extensionOf(format).toUpper()), format);
    }
    for (const char *other : {"", "jpg", "bm", "bmpx", ".png"})
        EXPECT_FALSE(writtenFormat(QString::fromLatin1(other)).has_value()) << other;
}

TEST(PictureWriter, NothingToWriteIsAnError)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_THROW(QtPictureWriter::writeBmp(QImage(), buffer), RuntimeError);
    EXPECT_THROW(QtPictureWriter::write(QImage(), buffer, PictureFormat::Png), RuntimeError);
    EXPECT_TRUE(buffer.data().isEmpty());
}

} // namespace
} // namespace veltrin::testing
