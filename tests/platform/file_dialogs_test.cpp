// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_dialogs.h"
#include "qt_file_dialogs.h"
#include "qt_printers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace veltrin {
namespace {

const QChar nul(u'\0');

struct FilterCase
{
    QString list;
    QStringList expected;
};

class NameFilters : public ::testing::TestWithParam<FilterCase>
{};

TEST_P(NameFilters, PairsBecomeQtFilterEntries)
{
    EXPECT_EQ(nameFiltersFrom(GetParam().list), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, NameFilters,
    ::testing::Values(
        FilterCase{QStringLiteral("bmp格式") + nul + QStringLiteral("*.bmp") + nul + nul,
                   {QStringLiteral("bmp格式 (*.bmp)")}},
        FilterCase{QStringLiteral("图片") + nul + QStringLiteral("*.bmp;*.png") + nul +
                       QStringLiteral("全部") + nul + QStringLiteral("*.*") + nul + nul,
                   {QStringLiteral("图片 (*.bmp *.png)"), QStringLiteral("全部 (*.*)")}},
        // Whatever follows the double NUL is not part of the list.
        FilterCase{QStringLiteral("a") + nul + QStringLiteral("*.a") + nul + nul +
                       QStringLiteral("b") + nul + QStringLiteral("*.b") + nul + nul,
                   {QStringLiteral("a (*.a)")}},
        // A description that shows its patterns is shown as it is.
        FilterCase{QStringLiteral("BMP 图片 (*.bmp)") + nul + QStringLiteral("*.bmp") + nul +
                       QStringLiteral("PNG 图片 (*.png)") + nul + QStringLiteral("*.png") + nul +
                       nul,
                   {QStringLiteral("BMP 图片 (*.bmp)"), QStringLiteral("PNG 图片 (*.png)")}},
        FilterCase{QStringLiteral("只有 (*.bmp)") + nul + QStringLiteral("*.png") + nul + nul,
                   {QStringLiteral("只有 (*.bmp) (*.png)")}},
        FilterCase{QStringLiteral("only a description") + nul + nul, {}},
        FilterCase{QString(2, nul), {}}, FilterCase{QString(), {}}));

TEST(NameFilters, BothProgramFilterFormsGiveOneEntry)
{
    // What Module1 hands over for "bmp格式|*.bmp|" and "bmp格式|*.bmp".
    for (const QString &filter :
         {QStringLiteral("bmp格式|*.bmp|"), QStringLiteral("bmp格式|*.bmp")}) {
        QString list = filter;
        list.replace(u'|', nul);
        while (!list.endsWith(QString(2, nul)))
            list += nul;
        EXPECT_EQ(nameFiltersFrom(list), QStringList{QStringLiteral("bmp格式 (*.bmp)")});
    }
}

const QString twoFilters = QStringLiteral("BMP 图片 (*.bmp)") + nul + QStringLiteral("*.bmp") +
                           nul + QStringLiteral("PNG 图片 (*.png)") + nul +
                           QStringLiteral("*.png") + QString(2, nul);

TEST(FilterIndex, CountsTheRecordsPairsFromOne)
{
    const QString blankPatternFirst = QStringLiteral("blank") + nul + QStringLiteral(" ") + nul +
                                      QStringLiteral("b") + nul + QStringLiteral("*.b") +
                                      QString(2, nul);
    const struct
    {
        QString list;
        QString nameFilter;
        std::uint32_t index;
        QString pattern;
    } cases[] = {
        {twoFilters, QStringLiteral("BMP 图片 (*.bmp)"), 1, QStringLiteral("*.bmp")},
        {twoFilters, QStringLiteral("PNG 图片 (*.png)"), 2, QStringLiteral("*.png")},
        {twoFilters, QStringLiteral("GIF (*.gif)"), 0, QString()},
        {twoFilters, QString(), 0, QString()},
        // A pair the dialog cannot show still counts.
        {blankPatternFirst, QStringLiteral("b (*.b)"), 2, QStringLiteral("*.b")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(filterIndexOf(c.list, c.nameFilter), c.index) << c.nameFilter.toStdString();
        EXPECT_EQ(filterPattern(c.list, c.index), c.pattern) << c.index;
    }
    EXPECT_EQ(filterPattern(twoFilters, 3), QString());
}

struct StoreCase
{
    qsizetype pathLength;
    int expected;
};

class StoreChosenPath : public ::testing::TestWithParam<StoreCase>
{};

TEST_P(StoreChosenPath, PathAndItsNulMustFitTheBuffer)
{
    OPENFILENAME ofn;
    ofn.nMaxFile = 260;
    ofn.lpstrFile = QStringLiteral("initial") + QString(253, nul);
    const QString path = QStringLiteral("/") + QString(GetParam().pathLength - 1, u'é');

    EXPECT_EQ(storeChosenPath(ofn, path), GetParam().expected);
    if (GetParam().expected == 1) {
        EXPECT_EQ(ofn.lpstrFile.size(), 260);
        EXPECT_EQ(textBeforeNul(ofn.lpstrFile), path);
    } else {
        EXPECT_EQ(textBeforeNul(ofn.lpstrFile), QStringLiteral("initial"));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, StoreChosenPath,
                         ::testing::Values(StoreCase{1, 1}, StoreCase{259, 1}, StoreCase{260, 0},
                                           StoreCase{400, 0}));

TEST(TextBeforeNul, StopsAtTheFirstNulOrTakesAll)
{
    EXPECT_EQ(textBeforeNul(QStringLiteral("ab") + nul + QStringLiteral("cd")),
              QStringLiteral("ab"));
    EXPECT_EQ(textBeforeNul(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(textBeforeNul(QString(3, nul)), QString());
}

QFileDialog *shownFileDialog();
QMessageBox *shownMessageBox();

// Drives the real dialog from a timer while it shows; nothing waits on a person.
// The step returns true when it is done. A dialog still open after five
// seconds is a failure and is closed, so a fault cannot hang the run.
std::unique_ptr<QTimer> whenShown(std::function<bool()> step)
{
    auto timer = std::make_unique<QTimer>();
    QTimer *raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, raw,
                     [raw, ticks = 0, step = std::move(step)]() mutable {
                         if (++ticks > 500) {
                             ADD_FAILURE() << "the dialog did not close";
                             if (QMessageBox *box = shownMessageBox())
                                 box->reject();
                             else if (QFileDialog *d = shownFileDialog())
                                 d->reject();
                             return;
                         }
                         if (step())
                             raw->stop();
                     });
    timer->start(10);
    return timer;
}

// Types a name into the dialog's name field, as a user would; selectFile()
// would drop a name the dialog's folder listing does not hold yet.
bool typeName(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!edit) {
        ADD_FAILURE() << "the dialog has no file name field";
        return false;
    }
    edit->setText(name);
    return true;
}

QFileDialog *shownFileDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
            return d;
    return nullptr;
}

QMessageBox *shownMessageBox()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<QMessageBox *>(w); m && m->isVisible())
            return m;
    return nullptr;
}

OPENFILENAME programRecord(const QString &title, const QString &initialDir)
{
    OPENFILENAME ofn;
    ofn.lStructSize = 76;
    ofn.lpstrFilter = QStringLiteral("bmp格式") + nul + QStringLiteral("*.bmp") + QString(2, nul);
    ofn.lpstrFile = QString(260, nul);
    ofn.nMaxFile = 260;
    ofn.lpstrTitle = title;
    ofn.lpstrInitialDir = initialDir;
    ofn.Flags = OPENFILENAME::OFN_OVERWRITEPROMPT | OPENFILENAME::OFN_HIDEREADONLY |
                OPENFILENAME::OFN_CREATEPROMPT;
    return ofn;
}

TEST(QtFileDialogs, SaveDialogShowsTheRecordAndReturnsTheFullPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    OPENFILENAME ofn = programRecord(QStringLiteral("保存图片到"), dir.path());
    QString caption;
    QStringList filters;
    bool modal = true;
    bool confirmsOverwrite = false;
    const auto driver = whenShown([&] {
        QFileDialog *d = shownFileDialog();
        if (!d)
            return false;
        caption = d->windowTitle();
        filters = d->nameFilters();
        modal = d->isModal() || d->windowModality() != Qt::NonModal;
        confirmsOverwrite = !d->testOption(QFileDialog::DontConfirmOverwrite);
        if (!typeName(d, QStringLiteral("结果 é")))
            return false;
        static_cast<QDialog *>(d)->accept();
        return !d->isVisible();
    });

    QtFileDialogs dialogs;
    ASSERT_EQ(dialogs.GetSaveFileNameA(ofn), 1);
    // The record holds the path as the system writes it (backslashes on Windows).
    EXPECT_EQ(textBeforeNul(ofn.lpstrFile),
              QDir::toNativeSeparators(QDir(dir.path()).filePath(QStringLiteral("结果 é"))));
    EXPECT_EQ(caption, QStringLiteral("保存图片到"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("bmp格式 (*.bmp)")});
    EXPECT_FALSE(modal);
    EXPECT_TRUE(confirmsOverwrite);
}

struct ChosenFilter
{
    const char *name;
    std::uint32_t given; // the record's nFilterIndex
    qsizetype choose;    // the filter the user picks, or -1
    QString shownFirst;  // the filter the dialog starts with
    std::uint32_t reported;
};

class SaveDialogFilter : public ::testing::TestWithParam<ChosenFilter>
{};

TEST_P(SaveDialogFilter, StartsWithTheRecordsFilterAndReportsTheOneChosen)
{
    const ChosenFilter &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    OPENFILENAME ofn = programRecord(QStringLiteral("保存图片到"), dir.path());
    ofn.lpstrFilter = twoFilters;
    ofn.nFilterIndex = c.given;
    QStringList filters;
    QString shownFirst;
    const auto driver = whenShown([&] {
        QFileDialog *d = shownFileDialog();
        if (!d)
            return false;
        filters = d->nameFilters();
        shownFirst = d->selectedNameFilter();
        if (c.choose >= 0)
            d->selectNameFilter(filters.value(c.choose));
        if (!typeName(d, QStringLiteral("结果")))
            return false;
        static_cast<QDialog *>(d)->accept();
        return !d->isVisible();
    });

    ASSERT_EQ(QtFileDialogs().GetSaveFileNameA(ofn), 1);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("BMP 图片 (*.bmp)"),
                                    QStringLiteral("PNG 图片 (*.png)")}));
    EXPECT_EQ(shownFirst, c.shownFirst);
    EXPECT_EQ(ofn.nFilterIndex, c.reported);
    // The dialog adds no extension of its own; Save does.
    EXPECT_EQ(textBeforeNul(ofn.lpstrFile),
              QDir::toNativeSeparators(QDir(dir.path()).filePath(QStringLiteral("结果"))));
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SaveDialogFilter,
    ::testing::Values(ChosenFilter{"kept", 0, -1, QStringLiteral("BMP 图片 (*.bmp)"), 1},
                      ChosenFilter{"png", 0, 1, QStringLiteral("BMP 图片 (*.bmp)"), 2},
                      ChosenFilter{"givenPng", 2, -1, QStringLiteral("PNG 图片 (*.png)"), 2},
                      ChosenFilter{"backToBmp", 2, 0, QStringLiteral("PNG 图片 (*.png)"), 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(QtFileDialogs, CancelReturnsZeroAndLeavesTheBuffer)
{
    OPENFILENAME ofn = programRecord(QStringLiteral("打开图片"), QString());
    const auto driver = whenShown([] {
        QFileDialog *d = shownFileDialog();
        if (d)
            d->reject();
        return d != nullptr;
    });
    QtFileDialogs dialogs;
    EXPECT_EQ(dialogs.GetOpenFileNameA(ofn), 0);
    EXPECT_EQ(ofn.lpstrFile, QString(260, nul));
}

class OpenMissingName : public ::testing::TestWithParam<bool>
{};

TEST_P(OpenMissingName, AsksToCreateAndAYesReturnsTheNameWithoutCreatingIt)
{
    const bool yes = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("没有.bmp"));
    OPENFILENAME ofn = programRecord(QStringLiteral("打开图片"), dir.path());
    int dialogsShown = 0;
    QString question;
    // First dialog: the missing name; after a no the dialog comes back and is cancelled.
    const auto driver = whenShown([&] {
        if (QMessageBox *box = shownMessageBox()) {
            question = box->text();
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            return false;
        }
        QFileDialog *d = shownFileDialog();
        if (!d)
            return false;
        ++dialogsShown;
        if (dialogsShown == 1) {
            if (!typeName(d, missing))
                return false;
            static_cast<QDialog *>(d)->accept();
            return false;
        }
        d->reject();
        return true;
    });
    QtFileDialogs dialogs;
    const int r = dialogs.GetOpenFileNameA(ofn);
    EXPECT_TRUE(question.contains(QStringLiteral("要创建该文件吗")));
    EXPECT_FALSE(QFile::exists(missing));
    if (yes) {
        EXPECT_EQ(r, 1);
        EXPECT_EQ(textBeforeNul(ofn.lpstrFile), QDir::toNativeSeparators(missing));
        EXPECT_EQ(dialogsShown, 1);
    } else {
        EXPECT_EQ(r, 0);
        EXPECT_EQ(dialogsShown, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, OpenMissingName, ::testing::Bool());

} // namespace
} // namespace veltrin
