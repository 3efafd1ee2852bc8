// SPDX-License-Identifier: GPL-3.0-or-later
// The command line and the window write and read the same pictures.
#include "cli_runner.h"

#include "cipher_fixtures.h"
#include "form1_fixture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <utility>

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

struct Sample
{
    int length;
    QString password;
};

void PrintTo(const Sample &s, std::ostream *os)
{
    *os << s.length << " characters, password \"" << s.password.toStdString() << '"';
}

class CliAndWindow : public Form1Test, public ::testing::WithParamInterface<Sample>
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Encrypts on the window's first encryption with the given draws and saves
    // Picture5 with the Save dialog's filter `filter` (1 BMP, 2 PNG).
    void encryptAndSave(const QString &text, const QString &password, const QString &file,
                        std::uint32_t filter = 1)
    {
        text1()->setText(text);
        text3()->setText(password);
        click(u"Command1"_s);
        dialogs.confirmWithFilter(file, filter);
        click(u"Command7"_s);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    }

    QTemporaryDir dir;
};

TEST_P(CliAndWindow, CliWritesWhatSaveWritesForTheSameFactors)
{
    const Sample s = GetParam();
    const QString text = mixedText(s.length, 11);
    QFile textFile(path(u"text.txt"_s));
    ASSERT_TRUE(textFile.open(QIODevice::WriteOnly));
    textFile.write(unixText(text));
    textFile.close();
    int key = 0;
    for (const QChar ch : s.password)
        key += ch.unicode();

    for (const auto &[extension, filter] : {std::pair{u"bmp"_s, 1u}, std::pair{u"png"_s, 2u}}) {
        SCOPED_TRACE(extension.toStdString());
        const QString fromCli = path(u"cli."_s + extension);
        const CliRun cli = runCli(
            {u"encrypt"_s, u"-p"_s, s.password, u"-i"_s, textFile.fileName(), u"-o"_s, fromCli});
        ASSERT_EQ(cli.status, 0) << cli.err.toStdString();

        // The factors the command line drew, read back from its header.
        const QImage picture(fromCli);
        ASSERT_FALSE(picture.isNull());
        const auto cell = [&picture](int x) {
            const QRgb rgb = picture.pixel(x, 0);
            return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16;
        };
        const int factorA = cell(1) - key;
        const int factorB = cell(2) - key;
        ASSERT_GE(factorA, 1000000);
        ASSERT_LE(factorA, 1999999);
        ASSERT_TRUE(factorB == 2 || factorB == 3) << factorB;

        messages.shown.clear();
        random = ScriptedRandom{uForFactorA(factorA), uForFactorB(factorB)};
        encryptAndSave(text, s.password, path(u"window"_s), filter);
        EXPECT_EQ(random.remaining(), 0u);
        const QByteArray saved = bytesOf(path(u"window."_s + extension));
        ASSERT_FALSE(saved.isEmpty());
        if (filter == 1) {
            EXPECT_TRUE(saved == bytesOf(fromCli));
        } else {
            // Compressed bytes depend on the zlib of the build (Windows has Qt's
            // own); the pixels do not.
            EXPECT_TRUE(saved.startsWith("\x89PNG") && bytesOf(fromCli).startsWith("\x89PNG"));
            EXPECT_EQ(QImage::fromData(saved).convertToFormat(QImage::Format_RGB32),
                      picture.convertToFormat(QImage::Format_RGB32));
        }
    }
}

TEST_P(CliAndWindow, CliDecryptsWhatTheWindowSaved)
{
    const Sample s = GetParam();
    const QString text = mixedText(s.length, 12);
    encryptAndSave(text, s.password, path(u"window.bmp"_s));
    const CliRun cli =
        runCli({u"decrypt"_s, u"--crlf"_s, u"-p"_s, s.password, path(u"window.bmp"_s)});
    ASSERT_EQ(cli.status, 0) << cli.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(cli.out), text);
}

INSTANTIATE_TEST_SUITE_P(Samples, CliAndWindow,
                         ::testing::Values(Sample{3, u""_s}, Sample{16, u"Pass1234"_s},
                                           Sample{12000, u"abcdefghij0123456789"_s}));

} // namespace
} // namespace veltrin::testing
