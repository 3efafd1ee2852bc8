// SPDX-License-Identifier: GPL-3.0-or-later
#include "module1.h"
#include "qt_printers.h"
#include "scripted_file_dialogs.h"

#include <gtest/gtest.h>

namespace veltrin::testing {
namespace {

const QChar nul(u'\0');

QString nuls(qsizetype count)
{
    return QString(count, nul);
}

class Module1Test : public ::testing::Test
{
protected:
    FakeTickCounter clock{5000};
    ScriptedFileDialogs dialogs{clock};
    RecordingMessageBox messages;
    Module1 module{dialogs, clock, messages};
};

// --- the length check ---

struct InitialNameCase
{
    qsizetype length;
    bool accepted;
};

class InitialNameLength : public Module1Test, public ::testing::WithParamInterface<InitialNameCase>
{};

TEST_P(InitialNameLength, LongestNameFillsTheBufferAndOneMoreIsRefused)
{
    const auto [length, accepted] = GetParam();
    const QString initial(length, u'n');
    module.filterExtension = QStringLiteral("old");
    if (accepted)
        dialogs.cancel();

    const QString result = module.FileDialog(1, QStringLiteral("保存图片到"),
                                             QStringLiteral("bmp格式|*.bmp"), initial);

    EXPECT_TRUE(result.isEmpty());
    if (accepted) {
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(dialogs.calls[0].record.lpstrFile, initial + nuls(260 - length));
        EXPECT_EQ(module.filterExtension, QStringLiteral("bmp"));
    } else {
        EXPECT_TRUE(dialogs.calls.empty());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("Filename Length Overflow"));
        EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Veltrin - FileDialog Function"));
        EXPECT_EQ(messages.shown[0].style, 48);
        EXPECT_EQ(module.filterExtension, QStringLiteral("old"));
    }
}

INSTANTIATE_TEST_SUITE_P(Boundary, InitialNameLength,
                         ::testing::Values(InitialNameCase{0, true}, InitialNameCase{259, true},
                                           InitialNameCase{260, true}, InitialNameCase{261, false},
                                           InitialNameCase{5000, false}));

TEST_F(Module1Test, FullLengthNameLeavesNoNulInTheBuffer)
{
    dialogs.cancel();
    module.FileDialog(0, QStringLiteral("t"), QStringLiteral("a|*.a"), QString(260, u'x'));
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].record.lpstrFile.size(), 260);
    EXPECT_FALSE(dialogs.calls[0].record.lpstrFile.contains(nul));
}

// --- the record ---

struct ProgramCall
{
    std::int16_t isSave;
    const char16_t *title;
    const char16_t *filter;
    QString recordFilter;
};

class ProgramDialogs : public Module1Test, public ::testing::WithParamInterface<ProgramCall>
{};

TEST_P(ProgramDialogs, RecordHoldsWhatTheDialogNeedsAndCancelStillSetsTheExtension)
{
    const auto call = GetParam();
    dialogs.cancel();

    const QString result = module.FileDialog(call.isSave, QString::fromUtf16(call.title),
                                             QString::fromUtf16(call.filter));

    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(module.filterExtension, QStringLiteral("bmp"));
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].save, call.isSave != 0);
    const OPENFILENAME &r = dialogs.calls[0].record;
    EXPECT_EQ(r.lStructSize, 76u);
    EXPECT_EQ(r.hwndOwner, 0u);
    EXPECT_NE(r.hInstance, nullptr);
    EXPECT_EQ(r.lpstrFilter, call.recordFilter);
    EXPECT_TRUE(r.lpstrCustomFilter.isNull());
    EXPECT_EQ(r.nMaxCustFilter, 0u);
    EXPECT_EQ(r.nFilterIndex, 0u);
    EXPECT_EQ(r.lpstrFile, nuls(260));
    EXPECT_EQ(r.nMaxFile, 260u);
    EXPECT_EQ(r.lpstrFileTitle, QString(259, u' '));
    EXPECT_EQ(r.nMaxFileTitle, 260u);
    EXPECT_TRUE(r.lpstrInitialDir.isNull());
    EXPECT_EQ(r.lpstrTitle, QString::fromUtf16(call.title));
    EXPECT_EQ(r.Flags, 0x2006u);
    EXPECT_EQ(r.nFileOffset, 0u);
    EXPECT_EQ(r.nFileExtension, 0u);
    EXPECT_TRUE(r.lpstrDefExt.isNull());
    EXPECT_EQ(r.lCustData, 0);
    EXPECT_EQ(r.lpfnHook, nullptr);
    EXPECT_TRUE(r.lpTemplateName.isNull());
}

INSTANTIATE_TEST_SUITE_P(
    OpenAndSave, ProgramDialogs,
    ::testing::Values(
        ProgramCall{0, u"打开图片", u"bmp格式|*.bmp|",
                    QStringLiteral("bmp格式") + nul + QStringLiteral("*.bmp") + nuls(2)},
        ProgramCall{1, u"保存图片到", u"BMP 图片 (*.bmp)|*.bmp|PNG 图片 (*.png)|*.png",
                    QStringLiteral("BMP 图片 (*.bmp)") + nul + QStringLiteral("*.bmp") + nul +
                        QStringLiteral("PNG 图片 (*.png)") + nul + QStringLiteral("*.png") +
                        nuls(2)}));

TEST_F(Module1Test, InitialFolderAndDefaultExtensionArePassedWhenGiven)
{
    dialogs.cancel();
    module.FileDialog(0, QStringLiteral("t"), QStringLiteral("a|*.a"), QStringLiteral("名字"),
                      QStringLiteral("bmp"), QStringLiteral("/tmp/文件夹"));
    ASSERT_EQ(dialogs.calls.size(), 1u);
    const OPENFILENAME &r = dialogs.calls[0].record;
    EXPECT_EQ(r.lpstrInitialDir, QStringLiteral("/tmp/文件夹"));
    EXPECT_EQ(r.lpstrDefExt, QStringLiteral("bmp"));
    EXPECT_EQ(r.lpstrFile, QStringLiteral("名字") + nuls(258));
}

// --- filterExtension ---

const QString programSaveFilter = QStringLiteral("BMP 图片 (*.bmp)|*.bmp|PNG 图片 (*.png)|*.png");

struct ExtensionCase
{
    const char *name;
    QString filter;
    int chosenFilter; // -1: cancel; 0: confirmed by a dialog that reports no filter
    QString extension;
};

class FilterExtension : public Module1Test, public ::testing::WithParamInterface<ExtensionCase>
{};

TEST_P(FilterExtension, IsThatOfTheFilterChosenInTheDialog)
{
    const auto &c = GetParam();
    if (c.chosenFilter < 0)
        dialogs.cancel();
    else
        dialogs.confirmWithFilter(QStringLiteral("/tmp/x"), std::uint32_t(c.chosenFilter));
    module.FileDialog(1, QStringLiteral("t"), c.filter);
    EXPECT_EQ(module.filterExtension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterExtension,
    ::testing::Values(
        ExtensionCase{"cancelKeepsTheFirst", programSaveFilter, -1, QStringLiteral("bmp")},
        ExtensionCase{"notReported", programSaveFilter, 0, QStringLiteral("bmp")},
        ExtensionCase{"first", programSaveFilter, 1, QStringLiteral("bmp")},
        ExtensionCase{"second", programSaveFilter, 2, QStringLiteral("png")},
        ExtensionCase{"noSuchFilter", programSaveFilter, 3, QString()},
        ExtensionCase{"oneFilter", QStringLiteral("bmp格式|*.bmp"), -1, QStringLiteral("bmp")},
        ExtensionCase{"descriptionIsNotTheExtension", QStringLiteral("Bitmap|*.BMP;*.dib"), 1,
                      QStringLiteral("BMP")},
        ExtensionCase{"endedTwice", QStringLiteral("图片|*.png|位图|*.bmp||"), 2,
                      QStringLiteral("bmp")},
        ExtensionCase{"anyName", QStringLiteral("全部|*.*"), 1, QString()},
        ExtensionCase{"noPattern", QStringLiteral("bm"), -1, QString()},
        ExtensionCase{"noFilter", QString(), 0, QString()}),
    [](const auto &info) { return std::string(info.param.name); });

// --- the retry after a dialog that came back at once ---

struct RetryCase
{
    const char *name;
    std::uint32_t t0;
    std::vector<DialogStep> steps;
    std::size_t expectedCalls;
    QString expectedResult;
};

class Retry : public Module1Test, public ::testing::WithParamInterface<RetryCase>
{};

TEST_P(Retry, OnlyADialogClosedWithin20msIsShownOnceMore)
{
    const auto &c = GetParam();
    clock.now = c.t0;
    for (const auto &step : c.steps)
        dialogs.steps.push_back(step);

    const QString result =
        module.FileDialog(0, QStringLiteral("打开图片"), QStringLiteral("bmp格式|*.bmp|"),
                          QStringLiteral("first.bmp"));

    EXPECT_EQ(result, c.expectedResult);
    ASSERT_EQ(dialogs.calls.size(), c.expectedCalls);
    EXPECT_EQ(clock.readings, 2);
    EXPECT_EQ(dialogs.calls[0].record.lpstrFile, QStringLiteral("first.bmp") + nuls(251));
    if (c.expectedCalls == 2) {
        const OPENFILENAME &again = dialogs.calls[1].record;
        EXPECT_FALSE(dialogs.calls[1].save);
        EXPECT_EQ(again.lpstrFile, nuls(260));
        EXPECT_EQ(again.lpstrTitle, QStringLiteral("打开图片"));
        EXPECT_EQ(again.Flags, 0x2006u);
        EXPECT_EQ(again.lpstrFilter, dialogs.calls[0].record.lpstrFilter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Timing, Retry,
    ::testing::Values(
        RetryCase{"slow", 5000, {{1, QStringLiteral("/a.bmp"), 1000}}, 1, QStringLiteral("/a.bmp")},
        RetryCase{
            "exactly20", 5000, {{1, QStringLiteral("/a.bmp"), 20}}, 1, QStringLiteral("/a.bmp")},
        RetryCase{"fast19",
                  5000,
                  {{0, {}, 19}, {1, QStringLiteral("/b.bmp"), 3000}},
                  2,
                  QStringLiteral("/b.bmp")},
        RetryCase{"fastTwiceNoThird", 5000, {{0, {}, 0}, {0, {}, 0}}, 2, QString()},
        RetryCase{"secondResultCounts",
                  5000,
                  {{1, QStringLiteral("/a.bmp"), 2}, {0, {}, 500}},
                  2,
                  QString()},
        RetryCase{"wrapSlow",
                  0xFFFFFFF0u,
                  {{1, QStringLiteral("/w.bmp"), 32}},
                  1,
                  QStringLiteral("/w.bmp")},
        RetryCase{"wrapFast",
                  0xFFFFFFFAu,
                  {{0, {}, 10}, {1, QStringLiteral("/v.bmp"), 100}},
                  2,
                  QStringLiteral("/v.bmp")}),
    [](const auto &info) { return std::string(info.param.name); });

// --- the result ---

class ChosenPath : public Module1Test, public ::testing::WithParamInterface<QString>
{};

TEST_P(ChosenPath, ComesBackExactlyAsChosenWithoutPadding)
{
    const QString path = GetParam();
    dialogs.confirm(path);
    const QString result =
        module.FileDialog(1, QStringLiteral("保存图片到"), QStringLiteral("bmp格式|*.bmp"));
    EXPECT_EQ(result, path);
    EXPECT_FALSE(result.contains(nul));
}

INSTANTIATE_TEST_SUITE_P(
    Characters, ChosenPath,
    ::testing::Values(QStringLiteral("/tmp/result.bmp"), QStringLiteral("/tmp/图片/结果"),
                      QStringLiteral("/tmp/café/résumé.bmp"),
                      QStringLiteral("/tmp/\U0001F600 emoji/\u20AC\u00A0x.bmp"),
                      QStringLiteral("/tmp/\u0E01\u0E02/\u05D0.bmp"),
                      QStringLiteral("/") + QString(258, u'字')));

} // namespace
} // namespace veltrin::testing
