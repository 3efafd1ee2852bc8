// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows resource script as CMake configured it from the project version.

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString resourceScript()
{
    QFile file(QStringLiteral(VELTRIN_RC_FILE));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << VELTRIN_RC_FILE;
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

struct Statement
{
    const char *name;
    const char *pattern;
};

void PrintTo(const Statement &s, std::ostream *os)
{
    *os << s.name;
}

class VersionRecord : public ::testing::TestWithParam<Statement>
{};

TEST_P(VersionRecord, HoldsStatement)
{
    const QRegularExpression re(QString::fromUtf8(GetParam().pattern),
                                QRegularExpression::MultilineOption);
    ASSERT_TRUE(re.isValid());
    EXPECT_TRUE(re.match(resourceScript()).hasMatch()) << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, VersionRecord,
    ::testing::Values(
        Statement{"FileVersionNumbers", R"re(^\s*FILEVERSION\s+0\s*,\s*0\s*,\s*0\s*,\s*2\s*$)re"},
        Statement{"ProductVersionNumbers",
                  R"re(^\s*PRODUCTVERSION\s+0\s*,\s*0\s*,\s*0\s*,\s*2\s*$)re"},
        Statement{"ChinesePrcCodePage936Block", R"re(^\s*BLOCK\s+"080403a8"\s*$)re"},
        Statement{"FileVersionText", R"re(^\s*VALUE\s+"FileVersion"\s*,\s*"0\.00\.0002"\s*$)re"},
        Statement{"ProductVersionText",
                  R"re(^\s*VALUE\s+"ProductVersion"\s*,\s*"0\.00\.0002"\s*$)re"},
        Statement{"ProductName", R"re(^\s*VALUE\s+"ProductName"\s*,\s*"Veltrin"\s*$)re"},
        Statement{"InternalName", R"re(^\s*VALUE\s+"InternalName"\s*,\s*"Veltrin"\s*$)re"},
        Statement{"Translation", R"re(^\s*VALUE\s+"Translation"\s*,\s*0x0804\s*,\s*936\s*$)re"},
        Statement{"IconGroup1", R"re(^\s*1\s+ICON\s+"[^"]*veltrin\.ico"\s*$)re"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(VersionRecord, EveryPlaceholderIsFilledIn)
{
    const QString script = resourceScript();
    ASSERT_FALSE(script.isEmpty());
    const auto placeholder = QRegularExpression(QStringLiteral(R"re(@\w*@|\$\{)re")).match(script);
    EXPECT_FALSE(placeholder.hasMatch()) << placeholder.captured().toStdString();
}

TEST(VersionRecord, IconGroup1IsTheApplicationIcon)
{
    const auto match = QRegularExpression(QStringLiteral(R"re(^\s*1\s+ICON\s+"([^"]+)")re"),
                                          QRegularExpression::MultilineOption)
                           .match(resourceScript());
    ASSERT_TRUE(match.hasMatch());
    const QFileInfo named(match.captured(1));
    ASSERT_TRUE(named.exists()) << match.captured(1).toStdString();
    EXPECT_EQ(named.canonicalFilePath(),
              QFileInfo(QStringLiteral(VELTRIN_ICON_FILE)).canonicalFilePath());
}

} // namespace
