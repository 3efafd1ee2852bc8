// SPDX-License-Identifier: GPL-3.0-or-later
// veltrin-cli as a user runs it: a real process, files in a temporary folder.
#include "cli_runner.h"

#include "cipher_fixtures.h"
#include "qt_printers.h"
#include "standard_streams.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace veltrin::testing {
namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// Every name in a folder, hidden ones included, with its content.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        files.insert(name, readFile(dir.filePath(name)));
    return files;
}

// A 24-bit BMP of one colour, as another program would write it.
QByteArray plainBmp(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

using Words = std::vector<std::string>;

QStringList arguments(const Words &words)
{
    QStringList list;
    for (const std::string &word : words)
        list << QString::fromStdString(word);
    return list;
}

// The sum of a password's character codes, ASCII being its own code page.
int keyOf(const QString &password)
{
    int key = 0;
    for (const QChar ch : password)
        key += ch.unicode();
    return key;
}

// Inputs shared by every test, made once: texts, pictures from another
// program, and cipher pictures veltrin-cli wrote.
class CliTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        inputs = new QTemporaryDir;
        const auto make = [](const char *name, const QByteArray &bytes) {
            writeFile(input(name), bytes);
        };
        make("12000.txt", unixText(mixedText(12000, 7)));
        make("12001.txt", unixText(mixedText(12001, 7)));
        make("9.txt", unixText(mixedText(9, 9)));
        make("huge.txt", QByteArray(1 << 20, 'a'));
        make("empty.txt", {});
        make("lacking.txt", "ab\xed\x95\x9c"); // Hangul: not in code page 936
        make("emoji.txt", "a\nb\xf0\x9f\x98\x80");
        make("latin1.txt", "caf\xe9");
        make("note.bmp", "just a text file");
        make("blank.bmp", plainBmp(4, 4, qRgb(255, 255, 255)));
        make("black.bmp", plainBmp(4, 4, qRgb(0, 0, 0))); // a header of L = 0
        make("password.txt", "Pass1234\r\nsecond line\n");
        for (const char *text : {"12000", "9"})
            ASSERT_EQ(runCli({QStringLiteral("encrypt"), QStringLiteral("-p"),
                              QStringLiteral("Pass1234"), QStringLiteral("-i"),
                              input(QStringLiteral("%1.txt").arg(QLatin1String(text))),
                              QStringLiteral("-o"),
                              input(QStringLiteral("%1.bmp").arg(QLatin1String(text)))})
                          .status,
                      0);
    }
    static void TearDownTestSuite()
    {
        delete inputs;
        inputs = nullptr;
    }
    static QString input(const QString &name) { return inputs->filePath(name); }
    static QString input(const char *name) { return input(QString::fromUtf8(name)); }

    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    CliRun run(const QStringList &arguments, QByteArray input = {})
    {
        CliOptions options;
        options.input = std::move(input);
        options.folder = dir.path();
        return runCli(arguments, options);
    }

    static inline QTemporaryDir *inputs = nullptr;
    QTemporaryDir dir;
};

// ---- Round trips ----

struct RoundTrip
{
    int length;
    const char *password;
    bool throughPipes; // -o - and decrypt -, else files
};

void PrintTo(const RoundTrip &c, std::ostream *os)
{
    *os << c.length << " characters, password \"" << c.password << '"'
        << (c.throughPipes ? ", pipes" : ", files");
}

class CliRoundTrip : public CliTest, public ::testing::WithParamInterface<RoundTrip>
{};

TEST_P(CliRoundTrip, DecryptGivesBackTheText)
{
    const RoundTrip c = GetParam();
    const QString text = mixedText(c.length, static_cast<unsigned>(c.length) + 1);
    const QStringList password{QStringLiteral("-p"), QString::fromLatin1(c.password)};
    writeFile(path("text.txt"), unixText(text));

    QByteArray picture;
    if (c.throughPipes) {
        const CliRun encrypted =
            run(QStringList{QStringLiteral("encrypt"), QStringLiteral("-o"), QStringLiteral("-")} +
                    password,
                unixText(text));
        ASSERT_EQ(encrypted.status, 0) << encrypted.err.toStdString();
        picture = encrypted.out;
    } else {
        const CliRun encrypted =
            run(QStringList{QStringLiteral("encrypt"), QStringLiteral("-i"), path("text.txt"),
                            QStringLiteral("-o"), path("picture.bmp")} +
                password);
        ASSERT_EQ(encrypted.status, 0) << encrypted.err.toStdString();
        EXPECT_TRUE(encrypted.out.isEmpty());
        picture = readFile(path("picture.bmp"));
    }
    ASSERT_TRUE(picture.startsWith("BM"));

    const QString source = c.throughPipes ? QStringLiteral("-") : path("picture.bmp");
    for (const bool crlf : {false, true}) {
        QStringList arguments = QStringList{QStringLiteral("decrypt"), source} + password;
        if (crlf)
            arguments << QStringLiteral("--crlf");
        const CliRun decrypted = run(arguments, c.throughPipes ? picture : QByteArray());
        ASSERT_EQ(decrypted.status, 0) << decrypted.err.toStdString();
        EXPECT_EQ(decrypted.out, crlf ? text.toUtf8() : unixText(text));
        EXPECT_TRUE(decrypted.err.isEmpty()) << decrypted.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, CliRoundTrip,
                         ::testing::Values(RoundTrip{1, "", false}, RoundTrip{1, "Pass1234", true},
                                           RoundTrip{3, "", true}, RoundTrip{3, "Pass1234", false},
                                           RoundTrip{9, "", false}, RoundTrip{9, "Pass1234", true},
                                           RoundTrip{16, "", true},
                                           RoundTrip{16, "Pass1234", false},
                                           RoundTrip{12000, "", false},
                                           RoundTrip{12000, "Pass1234", true}));

// ---- Line breaks and byte-order marks, as the window stores them ----

struct Breaks
{
    const char *name;
    QByteArray input;
    QByteArray decrypted; // by default
    QByteArray crlf;      // with --crlf
};

void PrintTo(const Breaks &c, std::ostream *os)
{
    *os << c.name;
}

class CliLineBreaks : public CliTest, public ::testing::WithParamInterface<Breaks>
{};

TEST_P(CliLineBreaks, EachBreakIsStoredAsCrLf)
{
    const Breaks c = GetParam();
    const CliRun encrypted =
        run({QStringLiteral("encrypt"), QStringLiteral("-o"), path("p.bmp")}, c.input);
    ASSERT_EQ(encrypted.status, 0) << encrypted.err.toStdString();
    EXPECT_EQ(run({QStringLiteral("decrypt"), path("p.bmp")}).out, c.decrypted);
    EXPECT_EQ(run({QStringLiteral("decrypt"), QStringLiteral("--crlf"), path("p.bmp")}).out,
              c.crlf);
}

INSTANTIATE_TEST_SUITE_P(Inputs, CliLineBreaks,
                         ::testing::Values(Breaks{"lf", "a\nb\n", "a\nb\n", "a\r\nb\r\n"},
                                           Breaks{"crlf", "a\r\nb", "a\nb", "a\r\nb"},
                                           Breaks{"lone_cr", "a\rb", "a\nb", "a\r\nb"},
                                           Breaks{"bom_dropped", "\xEF\xBB\xBF?\xE4\xB8\xAD",
                                                  "?\xE4\xB8\xAD", "?\xE4\xB8\xAD"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- What is refused, and what only warns ----

struct Outcome
{
    const char *name;
    Words words; // {in} stands for the shared inputs' folder
    QByteArray input;
    int status;
    const char *message; // part of standard error
};

void PrintTo(const Outcome &c, std::ostream *os)
{
    *os << c.name;
}

class CliOutcome : public CliTest, public ::testing::WithParamInterface<Outcome>
{};

TEST_P(CliOutcome, StatusAndMessageAndNothingWritten)
{
    const Outcome c = GetParam();
#ifdef _WIN32
    if (std::string(c.name) == "picture_is_a_device" || std::string(c.name) == "fifo_unread")
        GTEST_SKIP() << "no /dev and no FIFO on Windows";
#else
    ::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600); // nobody reads it
#endif
    writeFile(path("existing.bmp"), "an earlier file");
    const auto before = snapshot(dir.path());
    QStringList words = arguments(c.words);
    words.replaceInStrings(QStringLiteral("{in}"), inputs->path());

    const CliRun result = run(words, c.input);
    EXPECT_EQ(result.status, c.status) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.message))) << result.err.toStdString();
    EXPECT_EQ(result.err.count(u'\n'), 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOutcome,
    ::testing::Values(
        Outcome{"text_of_12001",
                Words{"encrypt", "-i", "{in}/12001.txt", "-o", "out.bmp"},
                {},
                2,
                "each line break counted as two (CR LF); at most its first 12000 fit"},
        Outcome{"robust_text_of_12001",
                Words{"encrypt", "--robust", "-i", "{in}/12001.txt", "-o", "out.png"},
                {},
                2,
                "each line break counted as two (CR LF); at most its first 12000 fit"},
        Outcome{"text_of_a_megabyte",
                Words{"encrypt", "-i", "{in}/huge.txt", "-o", "out.bmp"},
                {},
                2,
                "longer than 12000 characters"},
        Outcome{"empty_text",
                Words{"encrypt", "-i", "{in}/empty.txt", "-o", "out.bmp"},
                {},
                2,
                "the text is empty"},
        Outcome{"character_code_page_lacks",
                Words{"encrypt", "-i", "{in}/lacking.txt", "-o", "out.bmp"},
                {},
                2,
                "cannot store the character \"\xED\x95\x9C\" (U+D55C) at position 3 (line 1, "
                "column 3)"},
        Outcome{"character_beyond_16_bits",
                Words{"encrypt", "-i", "{in}/emoji.txt", "-o", "out.bmp"},
                {},
                2,
                "(U+1F600) at position 4 (line 2, column 2); --protect or --robust store"},
        Outcome{"not_utf8",
                Words{"encrypt", "-i", "{in}/latin1.txt", "-o", "out.bmp"},
                {},
                2,
                "not valid UTF-8: invalid bytes at position 4"},
        Outcome{"jpeg_name", Words{"encrypt", "-o", "out.jpg"}, "text", 2,
                "cannot write out.jpg: JPEG would destroy the picture; use .png or .bmp"},
        Outcome{"jpeg_name_in_capitals", Words{"encrypt", "-o", "OUT.JPEG"}, "text", 2,
                "JPEG would destroy the picture"},
        Outcome{"robust_jpeg_name", Words{"encrypt", "--robust", "-o", "out.jpg"}, "text", 2,
                "JPEG would destroy the picture"},
        Outcome{"robust_password_without_protect",
                Words{"encrypt", "--robust", "-p", "Pass1234", "-o", "out.png"}, "text", 2,
                "a robust picture without --protect keeps no password"},
        Outcome{"webp_name", Words{"encrypt", "-o", "out.webp"}, "text", 2,
                "cannot write out.webp: veltrin-cli does not write WebP pictures; use .png or "
                ".bmp"},
        Outcome{"png_asked_bmp_named", Words{"encrypt", "--format", "png", "-o", "out.bmp"}, "text",
                2, "the name says BMP, but --format asks for PNG; name it .png"},
        Outcome{"bmp_asked_png_named", Words{"encrypt", "--format", "bmp", "-o", "out.png"}, "text",
                2, "the name says PNG, but --format asks for BMP; name it .bmp"},
        Outcome{"format_not_written", Words{"encrypt", "--format", "jpeg", "-o", "-"}, "text", 2,
                "--format takes bmp or png, not 'jpeg'"},
        Outcome{"password_of_21", Words{"encrypt", "-p", "abcdefghij0123456789K", "-o", "out.bmp"},
                "text", 2, "the password has 21 characters"},
        Outcome{"password_with_bang", Words{"encrypt", "-p", "Pass!", "-o", "out.bmp"}, "text", 2,
                "character 5 is \"!\" (U+0021)"},
        Outcome{"password_with_chinese",
                Words{"decrypt", "-p", "ab\xE4\xB8\xAD", "{in}/9.bmp"},
                {},
                2,
                "character 3 is \"\xE4\xB8\xAD\""},
        Outcome{"two_password_options",
                Words{"decrypt", "-p", "a", "--ask-password", "{in}/9.bmp"},
                {},
                2,
                "only one of -p"},
        Outcome{"standard_input_twice",
                Words{"decrypt", "--password-file", "-", "-"},
                {},
                2,
                "standard input ('-') can give only one thing"},
        Outcome{"missing_text_file",
                Words{"encrypt", "-i", "missing.txt", "-o", "out.bmp"},
                {},
                2,
                "cannot read missing.txt"},
        Outcome{"fifo_unread", Words{"encrypt", "-f", "-o", "fifo"}, "text", 2,
                "address; a pipe or a device is written as it is: part of the picture may"},
        Outcome{"output_exists", Words{"encrypt", "-o", "existing.bmp"}, "text", 2,
                "existing.bmp exists; use --force"},
        Outcome{"no_output", Words{"encrypt"}, "text", 2, "give -o PICTURE"},
        Outcome{"output_is_a_folder", Words{"encrypt", "-o", "{in}"}, "text", 2, "it is a folder"},
        Outcome{"missing_picture",
                Words{"decrypt", "missing.bmp"},
                {},
                2,
                "cannot read missing.bmp as a picture: file not found (error 53)"},
        Outcome{"picture_is_a_folder",
                Words{"info", "{in}"},
                {},
                2,
                "as a picture: it is a folder (error 75)"},
        Outcome{"picture_is_a_device",
                Words{"decrypt", "/dev/zero"},
                {},
                2,
                "as a picture: it is not a regular file"},
        Outcome{"paragraph_separator_in_text", Words{"encrypt", "-o", "out.bmp"},
                "a\xE2\x80\xA9"
                "b",
                2, "(U+2029) at position 2"},
        Outcome{"line_separator_in_text", Words{"encrypt", "-o", "out.bmp"},
                "a\xE2\x80\xA8"
                "b",
                2, "(U+2028) at position 2"},
        Outcome{"text_file_named_bmp",
                Words{"decrypt", "{in}/note.bmp"},
                {},
                2,
                "as a picture: invalid picture (error 481)"},
        Outcome{"no_picture_argument", Words{"decrypt"}, {}, 2, "the argument PICTURE is missing"},
        Outcome{"two_pictures",
                Words{"decrypt", "{in}/9.bmp", "{in}/9.bmp"},
                {},
                2,
                "unexpected argument"},
        Outcome{"unknown_command", Words{"hide"}, {}, 2, "unknown command 'hide'"},
        Outcome{"unknown_option", Words{"encrypt", "--colour"}, {}, 2, "Unknown option 'colour'"},
        Outcome{"blank_picture",
                Words{"decrypt", "{in}/blank.bmp"},
                {},
                1,
                "the picture is blank: there is nothing to decrypt"},
        Outcome{"wrong_password_long_text",
                Words{"decrypt", "-p", "zzzzzzzzzz", "{in}/12000.bmp"},
                {},
                1,
                "run-time error 5: invalid procedure call or argument (a wrong password"},
        Outcome{"no_password_for_a_password_picture", Words{"decrypt", "{in}/12000.bmp"}, "", 1,
                "made with a password, which decrypt needs: give it with -p"},
        Outcome{"wrong_password_short_text",
                Words{"decrypt", "-p", "zzzzzzzzzz", "{in}/9.bmp"},
                {},
                1,
                "header gives no text; the password may be wrong"},
        Outcome{"header_of_length_0",
                Words{"decrypt", "{in}/black.bmp"},
                {},
                1,
                "header gives no text, whatever the password"}),
    [](const auto &info) { return std::string(info.param.name); });

struct Written
{
    const char *name;
    Words words; // the options after "encrypt"; "-o -" writes to standard output
    const char *file;
    bool png;
};

void PrintTo(const Written &c, std::ostream *os)
{
    *os << c.name;
}

class CliFormat : public CliTest, public ::testing::WithParamInterface<Written>
{};

TEST_P(CliFormat, TheNameOrFormatOptionDecidesAndThePictureDecrypts)
{
    const Written &c = GetParam();
    const CliRun encrypted =
        run(QStringList{QStringLiteral("encrypt")} + arguments(c.words), "Veltrin 你好\n");
    ASSERT_EQ(encrypted.status, 0) << encrypted.err.toStdString();
    const bool toOutput = std::string(c.file) == "-";
    const QByteArray picture = toOutput ? encrypted.out : readFile(path(c.file));
    EXPECT_TRUE(picture.startsWith(c.png ? "\x89PNG\r\n\x1A\n" : "BM")) << c.file;
    if (!toOutput) {
        EXPECT_EQ(snapshot(dir.path()).keys(), QStringList{QString::fromUtf8(c.file)});
    }
    const CliRun decrypted = run({QStringLiteral("decrypt"), QStringLiteral("-")}, picture);
    EXPECT_EQ(decrypted.status, 0) << decrypted.err.toStdString();
    EXPECT_EQ(decrypted.out, QByteArray("Veltrin 你好\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, CliFormat,
    ::testing::Values(
        Written{"png", Words{"-o", "p.png"}, "p.png", true},
        Written{"png_in_capitals", Words{"-o", "P.PNG"}, "P.PNG", true},
        Written{"bmp", Words{"-o", "p.bmp"}, "p.bmp", false},
        Written{"no_extension", Words{"-o", "p"}, "p", false},
        Written{"extension_of_no_format", Words{"-o", "p.tmp"}, "p.tmp", false},
        Written{"asked_png", Words{"--format", "png", "-o", "p"}, "p", true},
        Written{"asked_and_named", Words{"--format", "PNG", "-o", "p.png"}, "p.png", true},
        Written{"asked_bmp", Words{"--format", "bmp", "-o", "p.bmp"}, "p.bmp", false},
        Written{"standard_output", Words{"-o", "-"}, "-", false},
        Written{"standard_output_png", Words{"--format", "png", "-o", "-"}, "-", true},
        Written{"robust_standard_output", Words{"--robust", "-o", "-"}, "-", true},
        Written{"robust_tmp", Words{"--robust", "-o", "p.tmp"}, "p.tmp", true},
        Written{"robust_bmp", Words{"--robust", "-o", "p.bmp"}, "p.bmp", false},
        Written{"robust_asked_bmp", Words{"--robust", "--format", "bmp", "-o", "-"}, "-", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CliTest, ForceReplacesAnExistingPicture)
{
    writeFile(path("p.bmp"), "an earlier file");
    const CliRun result = run(
        {QStringLiteral("encrypt"), QStringLiteral("-o"), path("p.bmp"), QStringLiteral("--force")},
        "new text");
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(run({QStringLiteral("decrypt"), path("p.bmp")}).out, QByteArray("new text"));
    EXPECT_EQ(snapshot(dir.path()).keys(), QStringList{QStringLiteral("p.bmp")});
}

TEST_F(CliTest, ForceWritesThroughALinkAndUnderTheLongestName)
{
#ifdef _WIN32
    GTEST_SKIP() << "links need privileges on Windows";
#else
    writeFile(path("real.bmp"), "an earlier file");
    ASSERT_TRUE(QFile::link(path("real.bmp"), path("link.bmp")));
    // 83 Chinese characters and ".bmp": 253 bytes of a name's 255.
    const QString longest = dir.filePath(QString(83, QChar(0x6587)) + QStringLiteral(".bmp"));
    writeFile(longest, "an earlier file");

    for (const QString &target : {path("link.bmp"), longest}) {
        const CliRun result =
            run({QStringLiteral("encrypt"), QStringLiteral("-f"), QStringLiteral("-o"), target},
                "new text");
        ASSERT_EQ(result.status, 0) << result.err.toStdString();
        EXPECT_EQ(run({QStringLiteral("decrypt"), target}).out, QByteArray("new text"));
    }
    EXPECT_TRUE(QFileInfo(path("link.bmp")).isSymLink());
    EXPECT_EQ(run({QStringLiteral("decrypt"), path("real.bmp")}).out, QByteArray("new text"));
    EXPECT_EQ(snapshot(dir.path()).size(), 3) << "no temporary left";
#endif
}

TEST_F(CliTest, PasswordFileGivesItsFirstLine)
{
    const CliRun result = run({QStringLiteral("decrypt"), QStringLiteral("--password-file"),
                               input("password.txt"), input("9.bmp")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, readFile(input("9.txt")));
}

// ---- info ----

struct Info
{
    const char *picture;
    const char *lines;
};

class CliInfo : public CliTest, public ::testing::WithParamInterface<Info>
{};

TEST_P(CliInfo, SizeHeaderAndVerdict)
{
    const CliRun result = run({QStringLiteral("info"), input(GetParam().picture)});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(result.out).contains(QString::fromUtf8(GetParam().lines)))
        << result.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, CliInfo,
    ::testing::Values(Info{"blank.bmp",
                           "size: 4 x 4 pixels\nheader: 16777215 16777215 16777215\n"
                           "complete cipher picture for the empty password: no (blank)\n"},
                      Info{"black.bmp",
                           "header: 0 0 0\ncomplete cipher picture for the empty password: no "
                           "(the header is not one Veltrin writes)\n"}));

TEST_F(CliTest, InfoOfCipherPictures)
{
    // 12000 characters fill 110 columns and 110 rows; 9 fill 4 columns and 3 rows.
    const struct
    {
        const char *text;
        const char *password;
        QSize size;
    } cases[] = {{"12000.txt", "", {110, 110}}, {"9.txt", "Pass1234", {4, 3}}};
    for (const auto &c : cases) {
        const QString password = QString::fromLatin1(c.password);
        ASSERT_EQ(run({QStringLiteral("encrypt"), QStringLiteral("-i"), input(c.text),
                       QStringLiteral("-o"), path("p.bmp"), QStringLiteral("-f"),
                       QStringLiteral("-p"), password})
                      .status,
                  0);
        const QString info = QString::fromUtf8(run({QStringLiteral("info"), path("p.bmp")}).out);
        const QStringList lines = info.split(u'\n');
        ASSERT_EQ(lines.size(), 5) << info.toStdString();
        EXPECT_EQ(lines[0],
                  QStringLiteral("size: %1 x %2 pixels").arg(c.size.width()).arg(c.size.height()));
        const qsizetype length =
            QString::fromUtf8(readFile(input(c.text))).size() + readFile(input(c.text)).count('\n');
        EXPECT_EQ(lines[1].startsWith(u"kind: classic, made with a password"), !password.isEmpty());
        EXPECT_TRUE(
            lines[2].startsWith(QStringLiteral("header: %1 ").arg(length + keyOf(password))))
            << lines[2].toStdString();
        EXPECT_EQ(lines[3].endsWith(u": yes"), password.isEmpty()) << lines[3].toStdString();
    }
}

// ---- Languages, as gettext would choose them ----

struct Language
{
    std::vector<std::pair<const char *, const char *>> variables;
    Words words;
    const char *message;
    int status = 2;
};

class CliLanguage : public CliTest, public ::testing::WithParamInterface<Language>
{};

TEST_P(CliLanguage, MessagesFollowTheLocale)
{
    CliOptions options;
    for (const auto &[name, value] : GetParam().variables)
        options.language.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    options.folder = dir.path();
    const CliRun result =
        runCli(arguments(GetParam().words).replaceInStrings(QStringLiteral("{in}"), inputs->path()),
               options);
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_TRUE(result.err.contains(QString::fromUtf8(GetParam().message)))
        << result.err.toStdString();
}

const Words longPassword{"encrypt", "-p", "abcdefghij0123456789K", "-o", "out.bmp"};
INSTANTIATE_TEST_SUITE_P(
    Locales, CliLanguage,
    ::testing::Values(Language{{{"LANG", "zh_CN.UTF-8"}}, longPassword, "密码有 21 个字符"},
                      Language{{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_CN:en"}},
                               longPassword,
                               "密码有 21 个字符"},
                      // gettext ignores LANGUAGE in the C locale.
                      Language{{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "zh_CN"}},
                               longPassword,
                               "the password has 21 characters"},
                      Language{{{"LC_MESSAGES", "zh_TW.UTF-8"}}, longPassword, "密码有 21 个字符"},
                      Language{{{"LC_ALL", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}},
                               longPassword,
                               "密码有 21 个字符"},
                      Language{{{"LC_ALL", "en_US.UTF-8"}, {"LANG", "zh_CN.UTF-8"}},
                               longPassword,
                               "the password has 21"},
                      Language{{{"LANG", "zh_CN.UTF-8"}},
                               {"decrypt", "-p", "zzzzzzzzzz", "{in}/12000.bmp"},
                               "运行时错误 5：无效的过程调用或参数（密码不对",
                               1},
                      // Qt's own texts come from its translations.
                      Language{{{"LANG", "zh_CN.UTF-8"}}, {"encrypt", "--colour"}, "未知选项"}));

TEST_F(CliTest, AClosedStandardStreamTakesNothingMeantForAnother)
{
#ifdef _WIN32
    GTEST_SKIP() << "a Windows process starts with its standard handles";
#else
    const QString picture = inputs->path() + QStringLiteral("/9.bmp");
    CliOptions noOutput;
    noOutput.closedInChild = STDOUT_FILENO;
    // The text or picture would be lost: a failure, not a success.
    const CliRun decrypted = runCli(
        {QStringLiteral("decrypt"), QStringLiteral("-p"), QStringLiteral("Pass1234"), picture},
        noOutput);
    EXPECT_EQ(decrypted.status, 2);
    EXPECT_TRUE(decrypted.err.contains(QStringLiteral("cannot write standard output")))
        << decrypted.err.toStdString();
    noOutput.input = "text";
    const CliRun encrypted =
        runCli({QStringLiteral("encrypt"), QStringLiteral("-o"), QStringLiteral("-")}, noOutput);
    EXPECT_EQ(encrypted.status, 2);
    EXPECT_TRUE(encrypted.err.contains(QStringLiteral("closed"))) << encrypted.err.toStdString();

    CliOptions noInput;
    noInput.closedInChild = STDIN_FILENO;
    const CliRun fromInput = runCli({QStringLiteral("decrypt"), QStringLiteral("-")}, noInput);
    EXPECT_EQ(fromInput.status, 2);
    EXPECT_TRUE(fromInput.err.contains(QStringLiteral("invalid picture (error 481)")))
        << fromInput.err.toStdString();
#endif
}

TEST(ConsoleChunk, NeverEndsBetweenTheHalvesOfASurrogatePair)
{
    struct Case
    {
        QString text;
        qsizetype most;
        qsizetype chunk;
    };
    const QString pair = QStringLiteral("😀");
    const Case cases[] = {
        {QStringLiteral("abc"), 8, 3},
        {QStringLiteral("ab") + pair, 3, 2},
        {QStringLiteral("ab") + pair, 4, 4},
        {QStringLiteral("a") + pair + QStringLiteral("b"), 3, 3},
        {pair + pair, 1, 1}, // a console that takes one unit still makes progress
    };
    for (const Case &c : cases)
        EXPECT_EQ(cli::consoleChunk(c.text, c.most), c.chunk)
            << c.text.toStdString() << " " << c.most;
}

TEST_F(CliTest, WebWritesTheInstalledPageOrSaysWhereItLooked)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Windows zip carries the page beside the program";
#else
    // An installed tree of its own: bin/veltrin-cli and share/veltrin/veltrin.html.
    const QString program = path("prefix/bin/veltrin-cli");
    ASSERT_TRUE(QDir().mkpath(path("prefix/bin")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELTRIN_CLI), program));
    auto web = [&](const QStringList &arguments) {
        QProcess process;
        process.start(program, QStringList{QStringLiteral("web")} + arguments);
        process.waitForFinished(30000);
        return std::pair{process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    };
    const auto [missing, why] = web(QStringList{path("page.html")});
    EXPECT_EQ(missing, 2);
    EXPECT_TRUE(why.contains(path("prefix/share/veltrin/veltrin.html"))) << why.toStdString();
    EXPECT_FALSE(QFile::exists(path("page.html")));

    ASSERT_TRUE(QDir().mkpath(path("prefix/share/veltrin")));
    writeFile(path("prefix/share/veltrin/veltrin.html"), "<!doctype html>page");
    EXPECT_EQ(web(QStringList{path("page.html")}).first, 0);
    EXPECT_EQ(readFile(path("page.html")), QByteArray("<!doctype html>page"));
    writeFile(path("prefix/share/veltrin/veltrin.html"), "<!doctype html>new");
    EXPECT_EQ(web(QStringList{path("page.html")}).first, 2) << "replaced without --force";
    EXPECT_EQ(web(QStringList{QStringLiteral("--force"), path("page.html")}).first, 0);
    EXPECT_EQ(readFile(path("page.html")), QByteArray("<!doctype html>new"));

    // The site: every file of the installed site/ folder, into the folder named.
    const QStringList site{QStringLiteral("--site"), path("site")};
    EXPECT_EQ(web(site).first, 2) << "no site installed";
    ASSERT_TRUE(QDir().mkpath(path("prefix/share/veltrin/site")));
    writeFile(path("prefix/share/veltrin/site/index.html"), "<!doctype html>site");
    writeFile(path("prefix/share/veltrin/site/service-worker.js"), "// worker");
    EXPECT_EQ(web(site).first, 0);
    EXPECT_EQ(readFile(path("site/index.html")), QByteArray("<!doctype html>site"));
    EXPECT_EQ(readFile(path("site/service-worker.js")), QByteArray("// worker"));
#endif
}

TEST_F(CliTest, VersionIsTheProjectVersion)
{
    const CliRun result = run({QStringLiteral("--version")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, QByteArray("veltrin-cli " VELTRIN_VERSION "\n"));
}

// ---- The password prompt ----

// A test cannot type into another process's Windows console.
#ifndef _WIN32
TEST_F(CliTest, AskPasswordReadsTheTerminalWithoutEcho)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const QByteArray terminal = ptsname(master);

    QProcess process;
    process.setChildProcessModifier([terminal] {
        // A session of its own whose controlling terminal is the test's.
        setsid();
        const int fd = open(terminal.constData(), O_RDWR);
        ioctl(fd, TIOCSCTTY, 0);
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELTRIN_CLI),
                  {QStringLiteral("encrypt"), QStringLiteral("--ask-password"),
                   QStringLiteral("-i"), input("9.txt"), QStringLiteral("-o"), path("p.bmp")});
    ASSERT_TRUE(process.waitForStarted());

    QByteArray shown;
    const auto readTerminal = [&](int timeoutMs) {
        pollfd ready{master, POLLIN, 0};
        while (poll(&ready, 1, timeoutMs) > 0 && (ready.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            shown.append(buffer, n);
            if (shown.endsWith(": "))
                break;
        }
    };
    readTerminal(20000);
    ASSERT_TRUE(shown.contains("Password: ")) << shown.toStdString();
    termios settings{};
    ASSERT_EQ(tcgetattr(master, &settings), 0);
    EXPECT_EQ(settings.c_lflag & ECHO, 0u);
    ASSERT_EQ(write(master, "Pass1234\n", 9), 9);
    ASSERT_TRUE(process.waitForFinished(60000));
    readTerminal(100);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(shown.contains("Pass1234")) << shown.toStdString();
    EXPECT_EQ(run({QStringLiteral("decrypt"), QStringLiteral("-p"), QStringLiteral("Pass1234"),
                   path("p.bmp")})
                  .out,
              readFile(input("9.txt")));
    // A protected picture asks twice: a typing mistake would seal the text for good.
    process.start(QStringLiteral(VELTRIN_CLI),
                  {QStringLiteral("encrypt"), QStringLiteral("--protect"),
                   QStringLiteral("--ask-password"), QStringLiteral("-i"), input("9.txt"),
                   QStringLiteral("-o"), path("q.bmp")});
    for (const char *line : {"Pass1234\n", "Pass1235\n"}) {
        readTerminal(20000);
        ASSERT_EQ(write(master, line, 9), 9);
    }
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("the two passwords typed differ"));
    close(master);
}
#endif

TEST_F(CliTest, AskPasswordWithoutTerminalIsRefused)
{
    CliOptions options;
    options.folder = dir.path();
    options.withoutTerminal = true;
    const CliRun result = runCli(
        {QStringLiteral("decrypt"), QStringLiteral("--ask-password"), input("9.bmp")}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.contains(u"--ask-password needs a terminal"))
        << result.err.toStdString();
}

} // namespace
} // namespace veltrin::testing
