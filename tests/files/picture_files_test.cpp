// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_file_helpers.h"
#include "picture_files.h"
#include "qt_printers.h"
#include "robust_picture.h"
#include "runtime_error.h"
#include "scripted_file_dialogs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace veltrin::testing {
namespace {

// A result surface holding a random picture with k + 1 pixels a side.
void drawRandom(PictureSurface &surface, int pixels, unsigned seed)
{
    surface.setWidth(15.0f * float(pixels - 1) + 50.0f);
    surface.setHeight(15.0f * float(pixels - 1) + 50.0f);
    std::mt19937 random(seed);
    for (int y = 0; y < pixels; ++y)
        for (int x = 0; x < pixels; ++x)
            surface.PSet(15.0f * float(x), 15.0f * float(y), std::int32_t(random() & 0xFFFFFF));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class PictureFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        drawRandom(picture5, 20, 11);
    }

    QString inTemp(const QString &name) const { return QDir(temp.path()).filePath(name); }
    QStringList filesInTemp() const
    {
        return QDir(temp.path())
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir temp;
    FakeTickCounter clock{100};
    ScriptedFileDialogs dialogs{clock};
    RecordingMessageBox messages;
    Module1 module{dialogs, clock, messages};
    QtPictureLoader loader;
    QtPictureWriter writer;
    PictureFiles files{module, loader, writer, messages};
    PictureSurface picture5{1000.0f, 1000.0f};
    PictureSurface picture4{1000.0f, 1000.0f};
};

// --- save ---

constexpr std::uint32_t bmpFilter = 1;
constexpr std::uint32_t pngFilter = 2;

// The format the bytes of a file say, whatever its name.
QByteArray formatOfFile(PictureLoader &loader, const QString &path)
{
    const PictureLoad load = loader.OleLoadPicturePath(path);
    return load ? load.picture->format : QByteArray();
}

struct SaveName
{
    const char *name;
    std::uint32_t filter; // 0: the dialog does not say which
    QString typed;
    QString written;
};

class SaveNames : public PictureFilesTest, public ::testing::WithParamInterface<SaveName>
{};

TEST_P(SaveNames, TheChosenFilterDecidesTheFormatAndItsExtensionIsAddedOnlyWhenMissing)
{
    const auto &c = GetParam();
    dialogs.confirmWithFilter(inTemp(c.typed), c.filter);

    EXPECT_EQ(files.save(picture5), inTemp(c.typed));

    EXPECT_EQ(filesInTemp(), QStringList{c.written});
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_TRUE(dialogs.calls[0].save);
    EXPECT_EQ(dialogs.calls[0].record.lpstrTitle, QStringLiteral("保存图片到"));
    EXPECT_EQ(
        nameFiltersFrom(dialogs.calls[0].record.lpstrFilter),
        (QStringList{QStringLiteral("BMP 图片 (*.bmp)"), QStringLiteral("PNG 图片 (*.png)")}));
    EXPECT_EQ(formatOfFile(loader, inTemp(c.written)), c.filter == pngFilter ? "png" : "bmp");
    const auto reopened = loadImage(loader, inTemp(c.written));
    ASSERT_TRUE(reopened.has_value());
    EXPECT_EQ(reopened->convertToFormat(QImage::Format_RGB32), picture5.qImage());
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveNames,
    ::testing::Values(
        SaveName{"plain", bmpFilter, QStringLiteral("result"), QStringLiteral("result.bmp")},
        SaveName{"notSaid", 0, QStringLiteral("result"), QStringLiteral("result.bmp")},
        SaveName{"withBmp", bmpFilter, QStringLiteral("result.bmp"), QStringLiteral("result.bmp")},
        SaveName{"upperCase", bmpFilter, QStringLiteral("RESULT.BMP"),
                 QStringLiteral("RESULT.BMP")},
        SaveName{"mixedCase", bmpFilter, QStringLiteral("Result.Bmp"),
                 QStringLiteral("Result.Bmp")},
        SaveName{"otherExtension", bmpFilter, QStringLiteral("result.png"),
                 QStringLiteral("result.png.bmp")},
        SaveName{"bmpWithoutDot", bmpFilter, QStringLiteral("resultbmp"),
                 QStringLiteral("resultbmp.bmp")},
        SaveName{"chinese", bmpFilter, QStringLiteral("结果 é\U0001F600"),
                 QStringLiteral("结果 é\U0001F600.bmp")},
        SaveName{"png", pngFilter, QStringLiteral("result"), QStringLiteral("result.png")},
        SaveName{"withPng", pngFilter, QStringLiteral("result.png"), QStringLiteral("result.png")},
        SaveName{"upperCasePng", pngFilter, QStringLiteral("RESULT.PNG"),
                 QStringLiteral("RESULT.PNG")},
        SaveName{"bmpNameAsPng", pngFilter, QStringLiteral("result.bmp"),
                 QStringLiteral("result.bmp.png")},
        SaveName{"chinesePng", pngFilter, QStringLiteral("结果 é\U0001F600"),
                 QStringLiteral("结果 é\U0001F600.png")}),
    [](const auto &info) { return std::string(info.param.name); });

struct ReplaceCase
{
    const char *name;
    std::uint32_t filter;
    int answer;
    bool replaced;
};

class ReplaceAddedName : public PictureFilesTest, public ::testing::WithParamInterface<ReplaceCase>
{};

TEST_P(ReplaceAddedName, AnExistingFileBehindTheAddedExtensionIsReplacedOnlyAfterAYes)
{
    const ReplaceCase &c = GetParam();
    const QString extension = c.filter == pngFilter ? QStringLiteral("png") : QStringLiteral("bmp");
    const QString existing = inTemp(QStringLiteral("name.") + extension);
    writeFile(existing, "the old picture");
    dialogs.confirmWithFilter(inTemp(QStringLiteral("name")), c.filter);
    messages.answers.push_back(c.answer);

    files.save(picture5);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              QDir::toNativeSeparators(existing) + QStringLiteral(" 已存在。\n要替换它吗？"));
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("保存图片到"));
    EXPECT_EQ(messages.shown[0].style, MessageBox::YesNo | MessageBox::Exclamation);
    EXPECT_EQ(filesInTemp(), QStringList{QStringLiteral("name.") + extension});
    if (c.replaced) {
        EXPECT_EQ(formatOfFile(loader, existing), extension.toLatin1());
        const auto reopened = loadImage(loader, existing);
        ASSERT_TRUE(reopened.has_value());
        EXPECT_EQ(reopened->convertToFormat(QImage::Format_RGB32), picture5.qImage());
    } else {
        EXPECT_EQ(readAll(existing), QByteArrayLiteral("the old picture"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ReplaceAddedName,
                         ::testing::Values(ReplaceCase{"yes", bmpFilter, MessageBox::Yes, true},
                                           ReplaceCase{"no", bmpFilter, MessageBox::No, false},
                                           ReplaceCase{"closed", bmpFilter, MessageBox::Ok, false},
                                           ReplaceCase{"pngYes", pngFilter, MessageBox::Yes, true},
                                           ReplaceCase{"pngNo", pngFilter, MessageBox::No, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PictureFilesTest, ANameChosenInTheDialogIsNotAskedAboutTwice)
{
    const QString existing = inTemp(QStringLiteral("chosen.bmp"));
    writeFile(existing, "old");
    dialogs.confirm(existing);

    files.save(picture5);

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(filesInTemp(), QStringList{QStringLiteral("chosen.bmp")});
    EXPECT_NE(readAll(existing), QByteArrayLiteral("old"));
}

TEST_F(PictureFilesTest, ARobustPictureIsOfferedAsPngFirst)
{
    picture5.setPicture(robustPicture::encode(u"经得起转发").image);
    dialogs.confirmWithFilter(inTemp(QStringLiteral("result")), 0);
    files.save(picture5);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(
        nameFiltersFrom(dialogs.calls[0].record.lpstrFilter),
        (QStringList{QStringLiteral("PNG 图片 (*.png)"), QStringLiteral("BMP 图片 (*.bmp)")}));
    EXPECT_EQ(filesInTemp(), QStringList{QStringLiteral("result.png")});
}

TEST_F(PictureFilesTest, CancelWritesNothing)
{
    dialogs.cancel();
    EXPECT_TRUE(files.save(picture5).isEmpty());
    EXPECT_TRUE(filesInTemp().isEmpty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(module.filterExtension, QStringLiteral("bmp"));
}

TEST_F(PictureFilesTest, AFailedWriteIsReportedAndTheProgramGoesOn)
{
    const QString regular = inTemp(QStringLiteral("plain file"));
    writeFile(regular, "x");
    dialogs.confirm(regular + QStringLiteral("/result"));

    EXPECT_EQ(files.save(picture5), regular + QStringLiteral("/result"));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Veltrin"));
    EXPECT_EQ(messages.shown[0].style, MessageBox::Critical);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("无法保存图片到 ")));
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("result.bmp")));
    EXPECT_EQ(readAll(regular), QByteArrayLiteral("x"));
}

class FailingWriter final : public PictureWriter
{
public:
    void SavePicture(const QImage &, QIODevice &, PictureFormat) override
    {
        ++calls;
        throw RuntimeError(61, u"磁盘已满");
    }
    int calls = 0;
};

TEST_F(PictureFilesTest, AWriterFailureKeepsTheOldFileAndNamesTheReason)
{
    FailingWriter failing;
    PictureFiles withFailingWriter{module, loader, failing, messages};
    const QString existing = inTemp(QStringLiteral("keep.bmp"));
    writeFile(existing, "precious");
    dialogs.confirm(existing);

    withFailingWriter.save(picture5);

    EXPECT_EQ(failing.calls, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("磁盘已满")));
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Veltrin"));
    EXPECT_EQ(readAll(existing), QByteArrayLiteral("precious"));
}

// Writes the real picture, spoiled as a failing disk might spoil it, or in
// the other format, as a writer that ignores what it was asked for would.
class LyingWriter final : public PictureWriter
{
public:
    enum Lie { FlippedByte, ShortWrite, NoPicture, OtherFormat };
    explicit LyingWriter(Lie lie) : lie_(lie) {}
    void SavePicture(const QImage &image, QIODevice &device, PictureFormat format) override
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const PictureFormat other =
            format == PictureFormat::Png ? PictureFormat::Bmp : PictureFormat::Png;
        QtPictureWriter::write(image, buffer, lie_ == OtherFormat ? other : format);
        QByteArray bytes = buffer.data();
        switch (lie_) {
        case FlippedByte: // among the pixels of a BMP, the compressed ones of a PNG
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x10);
            break;
        case ShortWrite:
            bytes.chop(100);
            break;
        case NoPicture:
            bytes.fill('\0');
            break;
        case OtherFormat:
            break;
        }
        device.write(bytes);
    }

private:
    Lie lie_;
};

class LyingDisk : public PictureFilesTest,
                  public ::testing::WithParamInterface<std::tuple<LyingWriter::Lie, std::uint32_t>>
{};

TEST_P(LyingDisk, ASaveThatDoesNotReadBackIsReportedAndReplacesNothing)
{
    const auto [lie, filter] = GetParam();
    LyingWriter lying(lie);
    PictureFiles withLyingWriter{module, loader, lying, messages};
    const QString name =
        filter == pngFilter ? QStringLiteral("keep.png") : QStringLiteral("keep.bmp");
    const QString existing = inTemp(name);
    writeFile(existing, "precious");
    dialogs.confirmWithFilter(existing, filter);

    withLyingWriter.save(picture5);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("无法保存图片到 ")));
    EXPECT_EQ(messages.shown[0].style, MessageBox::Critical);
    EXPECT_EQ(readAll(existing), QByteArrayLiteral("precious"));
    EXPECT_EQ(filesInTemp(), QStringList{name}) << "no temporary file left";
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Hidden | QDir::Files).size() == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Lies, LyingDisk,
    ::testing::Combine(::testing::Values(LyingWriter::FlippedByte, LyingWriter::ShortWrite,
                                         LyingWriter::NoPicture, LyingWriter::OtherFormat),
                       ::testing::Values(bmpFilter, pngFilter)));

TEST_F(PictureFilesTest, ASavedFileKeepsThePermissionsOfTheOneItReplaces)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no Unix permissions";
#endif
    const QString existing = inTemp(QStringLiteral("shared.bmp"));
    writeFile(existing, "old");
    const auto wide = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                      QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(existing, wide));
    dialogs.confirm(existing);

    files.save(picture5);

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(QFile::permissions(existing), wide);
    EXPECT_EQ(loadImage(loader, existing)->convertToFormat(QImage::Format_RGB32),
              picture5.qImage());
}

// --- open ---

TEST_F(PictureFilesTest, CancelledOpenKeepsThePicture)
{
    drawRandom(picture4, 7, 3);
    const QImage before = picture4.qImage();
    dialogs.cancel();

    EXPECT_TRUE(files.open(picture4).fileName.isEmpty());

    EXPECT_EQ(picture4.qImage(), before);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_FALSE(dialogs.calls[0].save);
    EXPECT_EQ(dialogs.calls[0].record.lpstrTitle, QStringLiteral("打开图片"));
    // The filter shown first lists what Save writes and what chat programs send.
    const QStringList first =
        dialogs.calls[0].record.lpstrFilter.split(QChar(u'\0')).at(1).split(u';');
    for (const char *pattern : {"*.bmp", "*.png", "*.jpg", "*.JPG", "*.webp"})
        EXPECT_TRUE(first.contains(QLatin1String(pattern))) << pattern;
}

TEST_F(PictureFilesTest, AFullSizeCipherPictureSurvivesSaveAndOpen)
{
    // 12000 characters and three header cells fit in 110 x 110 pixels.
    drawRandom(picture5, 110, 12000);
    dialogs.confirm(inTemp(QStringLiteral("round trip")));
    files.save(picture5);
    const QString saved = inTemp(QStringLiteral("round trip.bmp"));
    dialogs.confirm(saved);

    EXPECT_EQ(files.open(picture4).fileName, saved);

    EXPECT_EQ(picture4.outerSize(), QSize(112, 112));
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 110; ++x)
            ASSERT_EQ(picture4.Point(15.0f * x, 15.0f * y), picture5.Point(15.0f * x, 15.0f * y))
                << x << "," << y;
    EXPECT_EQ(picture4.Point(15.0f * 110, 0), -1);
    EXPECT_TRUE(messages.shown.empty());
}

struct UnreadableCase
{
    const char *name;
    QByteArray content; // empty with create = false: the file does not exist
    bool create;
};

class OpenUnreadable : public PictureFilesTest, public ::testing::WithParamInterface<UnreadableCase>
{};

TEST_P(OpenUnreadable, ClearsThePictureQuietly)
{
    drawRandom(picture4, 7, 5);
    const QString path = inTemp(QStringLiteral("unreadable.bmp"));
    if (GetParam().create)
        writeFile(path, GetParam().content);
    dialogs.confirm(path);

    EXPECT_EQ(files.open(picture4).fileName, path);

    EXPECT_TRUE(messages.shown.empty());
    const QImage shown = picture4.qImage();
    ASSERT_FALSE(shown.isNull());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(picture4.Point(15.0f * x, 15.0f * y), PictureSurface::white);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenUnreadable,
    ::testing::Values(UnreadableCase{"missing", {}, false}, UnreadableCase{"empty", {}, true},
                      UnreadableCase{"text", QByteArrayLiteral("no picture here"), true},
                      UnreadableCase{"truncated", QByteArrayLiteral("BM\x36\x00\x00\x00"), true}),
    [](const auto &info) { return std::string(info.param.name); });

// --- LoadPicture's two loaders ---

class ScriptedLoader final : public PictureLoader
{
public:
    enum class First { Picture, None, Throws };

    PictureLoad OleLoadPicturePath(const QString &) override
    {
        ++firstCalls;
        if (first == First::Throws)
            throw RuntimeError(7, u"内存不足");
        if (first == First::None)
            return {std::nullopt, 481, QStringLiteral("无效图片")};
        QImage image(2, 1, QImage::Format_RGB32);
        image.fill(qRgb(1, 1, 1));
        return {OpenedPicture{image, "bmp", false}, 0, {}};
    }
    OpenedPicture loadPictureFallback(const QString &) override
    {
        ++fallbackCalls;
        if (fallbackThrows)
            throw RuntimeError(481, u"无效图片");
        QImage image(3, 1, QImage::Format_RGB32);
        image.fill(qRgb(2, 2, 2));
        return {image, "bmp", false};
    }
    PictureLoad loadBytes(const QByteArray &, const QString &) override { return {}; }

    First first = First::Picture;
    bool fallbackThrows = false;
    int firstCalls = 0;
    int fallbackCalls = 0;
};

struct LoaderCase
{
    const char *name;
    ScriptedLoader::First first;
    bool fallbackThrows;
    int expectedWidth; // 0: none, -1: the fallback's error
    int fallbackCalls;
};

class LoadPictureOrder : public ::testing::TestWithParam<LoaderCase>
{};

TEST_P(LoadPictureOrder, FallbackRunsOnlyAfterTheFirstLoaderFails)
{
    const auto &c = GetParam();
    ScriptedLoader loader;
    loader.first = c.first;
    loader.fallbackThrows = c.fallbackThrows;
    if (c.expectedWidth < 0) {
        EXPECT_THROW(LoadPicture(QStringLiteral("p"), loader), RuntimeError);
    } else {
        const PictureLoad load = LoadPicture(QStringLiteral("p"), loader);
        EXPECT_EQ(load.picture.has_value(), c.expectedWidth > 0);
        if (load.picture) {
            EXPECT_EQ(load.picture->image.width(), c.expectedWidth);
        }
    }
    EXPECT_EQ(loader.firstCalls, 1);
    EXPECT_EQ(loader.fallbackCalls, c.fallbackCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, LoadPictureOrder,
    ::testing::Values(LoaderCase{"loaded", ScriptedLoader::First::Picture, true, 2, 0},
                      LoaderCase{"none", ScriptedLoader::First::None, true, 0, 0},
                      LoaderCase{"fallback", ScriptedLoader::First::Throws, false, 3, 1},
                      LoaderCase{"fallbackFails", ScriptedLoader::First::Throws, true, -1, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PictureFilesTest, TheFallbackErrorReachesTheCallerOfOpen)
{
    ScriptedLoader failing;
    failing.first = ScriptedLoader::First::Throws;
    failing.fallbackThrows = true;
    PictureFiles withFailingLoader{module, failing, writer, messages};
    dialogs.confirm(inTemp(QStringLiteral("a.bmp")));
    try {
        withFailingLoader.open(picture4);
        ADD_FAILURE() << "the error was swallowed";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 481);
    }
}

} // namespace
} // namespace veltrin::testing
