// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_printers.h"
#include "safe_write.h"
#include "windows_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace veltrin::testing {
namespace {

const QByteArray newBytes = QByteArrayLiteral("the new picture");
const QByteArray oldBytes = QByteArrayLiteral("the old file");

bool anything(const QByteArray &)
{
    return true;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SafeWrite : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }
    QString at(const QString &name) const { return QDir(temp.path()).filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(at(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QStringList entries() const
    {
        return QDir(temp.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    SafeWriteError failure(const QString &path, bool replace = true,
                           FileMoves &moves = systemFileMoves())
    {
        try {
            writeSafely(path, newBytes, replace, anything, moves);
        } catch (const SafeWriteError &error) {
            return error;
        }
        ADD_FAILURE() << "the write to " << path.toStdString() << " succeeded";
        return {};
    }

    QTemporaryDir temp;
};

TEST_F(SafeWrite, RefusalsLeaveEverythingAsItWas)
{
    const QString file = write(QStringLiteral("file"), oldBytes);
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("taken.bmp")));
    const QStringList before = entries();

    EXPECT_EQ(failure(file + QStringLiteral("/x.bmp")).kind, SafeWriteError::System);
    EXPECT_EQ(failure(at(QStringLiteral("no/such/x.bmp"))).systemError, ENOENT);
    const SafeWriteError folder = failure(at(QStringLiteral("taken.bmp")));
    EXPECT_EQ(folder.kind, SafeWriteError::NotAFile);
    EXPECT_EQ(folder.systemError, EISDIR);
    EXPECT_EQ(failure(file, false).kind, SafeWriteError::Exists);
    try {
        writeSafely(file, newBytes, true, [](const QByteArray &) { return false; });
        ADD_FAILURE() << "bytes that are not the picture were written";
    } catch (const SafeWriteError &error) {
        EXPECT_EQ(error.kind, SafeWriteError::NotProven);
    }

    EXPECT_EQ(entries(), before) << "no temporary left behind";
    EXPECT_EQ(readAll(file), oldBytes);
}

TEST_F(SafeWrite, TheTemporaryNameDoesNotGrowWithTheTarget)
{
    // 83 Chinese characters and ".bmp" are 253 bytes, just within a name's 255.
    const QString path = at(QString(83, QChar(0x6587)) + QStringLiteral(".bmp"));
    write(QFileInfo(path).fileName(), oldBytes);
    ASSERT_NO_THROW(writeSafely(path, newBytes, true, anything));
    EXPECT_EQ(readAll(path), newBytes);
    EXPECT_LT(nameBeside(path).size() - QFileInfo(path).absolutePath().size(), 20);
}

TEST(LongPathForm, NoPathIsTooLongForTheSystemCalls)
{
    const struct
    {
        QString path, expected;
    } rows[] = {
        {QStringLiteral("C:\\图片\\a.bmp"), QStringLiteral("\\\\?\\C:\\图片\\a.bmp")},
        {QStringLiteral("\\\\server\\share\\a.bmp"),
         QStringLiteral("\\\\?\\UNC\\server\\share\\a.bmp")},
        {QStringLiteral("\\\\?\\C:\\a.bmp"), QStringLiteral("\\\\?\\C:\\a.bmp")},
        {QStringLiteral("\\\\.\\pipe\\p"), QStringLiteral("\\\\.\\pipe\\p")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(longPathForm(row.path), row.expected) << row.path.toStdString();
}

TEST(WindowsPath, NamesWindowsCannotHoldAreRefused)
{
    // UTF-8; COM¹ and 图.bmp
    const char *const refused[] = {"CON",    "aux.bmp",         "nul.tar.gz",  "Com1.png",
                                   "lpt9",   "COM\xC2\xB9.bmp", "conout$.bmp", "aux .bmp",
                                   "x.bmp.", "x.bmp "};
    const char *const allowed[] = {"x.bmp",           "console.bmp", "COM10.bmp",
                                   "auxiliary.bmp",   "nul_1.bmp",   ".veltrin-0a1b2c3d",
                                   "\xE5\x9B\xBE.bmp"};
    for (const char *name : refused)
        EXPECT_TRUE(windowsPath::cannotHold(QString::fromUtf8(name))) << name;
    for (const char *name : allowed)
        EXPECT_FALSE(windowsPath::cannotHold(QString::fromUtf8(name))) << name;
}

TEST(WindowsPath, OnlyAPathOfMaxPathOrMoreGetsTheLongForm)
{
    // As GetFullPathNameW does: relative paths from C:\w; nothing for "?".
    const auto fullPath = [](const QString &path) {
        return path == u"?" ? QString() : path.startsWith(u'\\') ? path : u"C:\\w\\"_s + path;
    };
    const QString name254(254, u'x'), name255(255, u'x');
    const std::pair<QString, QString> rows[] = {
        {u"a.bmp"_s, u"C:\\w\\a.bmp"_s},
        {name254, u"C:\\w\\"_s + name254}, // 259 characters
        {name255, u"\\\\?\\C:\\w\\"_s + name255},
        {u"\\\\s\\share\\"_s + name255, u"\\\\?\\UNC\\s\\share\\"_s + name255},
        {u"?"_s, QString()},
    };
    for (const auto &[path, expected] : rows)
        EXPECT_EQ(windowsPath::systemForm(path, fullPath), expected) << path.size();
}

#ifdef _WIN32
TEST_F(SafeWrite, NoNameWindowsCannotHandleIsMade)
{
    for (const char *name : {"NUL", "aux.bmp", "x.bmp.", "x.bmp "}) {
        EXPECT_EQ(failure(at(QString::fromLatin1(name))).kind, SafeWriteError::BadName) << name;
        EXPECT_EQ(entries(), QStringList()) << name;
    }
}
#endif

// The system's moves, made to fail the ways the system may fail them.
class BrokenMoves final : public FileMoves
{
public:
    enum Way { Refused, OldMovedAside };
    BrokenMoves(Way way, int laterFailures, bool backupStays = false)
        : way_(way), laterFailures_(laterFailures), backupStays_(backupStays)
    {}

    MoveResult move(const QString &from, const QString &to, bool replace, const QString &backup,
                    int &systemError) override
    {
        if (++calls == 1) {
            systemError = EBUSY;
            if (way_ == Refused)
                return MoveResult::Failed;
            EXPECT_TRUE(replace);
            backup_ = backup;
            EXPECT_EQ(systemFileMoves().move(to, backup, false, {}, systemError),
                      MoveResult::Moved);
            return MoveResult::OldAtBackup;
        }
        if (laterFailures_-- > 0)
            return MoveResult::Failed;
        return systemFileMoves().move(from, to, replace, backup, systemError);
    }
    bool remove(const QString &path) override
    {
        return !(backupStays_ && path == backup_) && systemFileMoves().remove(path);
    }
    int calls = 0;

private:
    Way way_;
    int laterFailures_;
    bool backupStays_;
    QString backup_;
};

TEST_F(SafeWrite, AFailedMoveLeavesTheOldFileOrTheNewOneAtThePath)
{
    const struct
    {
        const char *name;
        BrokenMoves::Way way;
        int laterFailures;
        QByteArray atPath; // empty: neither, both kept elsewhere
        bool fails;
        bool backupStays = false;
    } rows[] = {
        {"the move is refused", BrokenMoves::Refused, 0, oldBytes, true},
        {"the old file is put back", BrokenMoves::OldMovedAside, 0, oldBytes, true},
        {"the new file moves in after all", BrokenMoves::OldMovedAside, 1, newBytes, false},
        {"neither can move", BrokenMoves::OldMovedAside, 2, {}, true},
        {"the new file moves in, the old will not go", BrokenMoves::OldMovedAside, 1, newBytes,
         true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = write(QStringLiteral("picture.bmp"), oldBytes);
        BrokenMoves moves(row.way, row.laterFailures, row.backupStays);
        SafeWriteError error;
        bool failed = true;
        try {
            writeSafely(path, newBytes, true, anything, moves);
            failed = false;
        } catch (const SafeWriteError &caught) {
            error = caught;
        }
        EXPECT_EQ(failed, row.fails);
        if (row.atPath.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(path));
            EXPECT_EQ(readAll(error.oldFileAt), oldBytes);
            EXPECT_EQ(readAll(error.newFileAt), newBytes);
            QFile::remove(error.oldFileAt);
            QFile::remove(error.newFileAt);
        } else if (row.backupStays) { // said, with where the old file is
            EXPECT_EQ(readAll(path), newBytes);
            EXPECT_EQ(error.newFileAt, path);
            EXPECT_EQ(readAll(error.oldFileAt), oldBytes);
            QFile::remove(error.oldFileAt);
        } else {
            EXPECT_EQ(readAll(path), row.atPath);
            EXPECT_TRUE(error.oldFileAt.isEmpty());
            EXPECT_EQ(entries(), QStringList{QStringLiteral("picture.bmp")});
        }
        QFile::remove(path);
    }
}

#ifndef _WIN32

TEST_F(SafeWrite, AReplacingTemporaryIsPrivateWhateverTheUmask)
{
    const mode_t before = ::umask(0);
    QFile file;
    int systemError = 0;
    const bool made = createFileBeside(at(QStringLiteral("a.bmp")), file, systemError, true);
    ::umask(before);
    ASSERT_TRUE(made) << systemError;
    struct stat status
    {};
    ASSERT_EQ(::fstat(file.handle(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(SafeWrite, WritesThroughLinksToTheirTargets)
{
    ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("real/x")));
    const QString real = write(QStringLiteral("real/picture.bmp"), oldBytes);
    ASSERT_EQ(::symlink("real/x", QFile::encodeName(at(QStringLiteral("x"))).constData()), 0);
    const struct
    {
        const char *link;
        QString target;
        QString reached;
    } rows[] = {
        {"absolute.bmp", real, real},
        {"relative.bmp", QStringLiteral("real/picture.bmp"), real},
        {"chain.bmp", QStringLiteral("absolute.bmp"), real},
        {"dotdot.bmp", QStringLiteral("x/../picture.bmp"), real}, // x/.. is real
        {"x/up.bmp", QStringLiteral("../picture.bmp"), real},
        {"dangling.bmp", QStringLiteral("real/new.bmp"), at(QStringLiteral("real/new.bmp"))},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.link);
        const QString link = at(QString::fromUtf8(row.link));
        ASSERT_EQ(::symlink(QFile::encodeName(row.target).constData(),
                            QFile::encodeName(link).constData()),
                  0);
        write(QStringLiteral("real/picture.bmp"), oldBytes);

        ASSERT_NO_THROW(writeSafely(link, newBytes, true, anything));

        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(readAll(row.reached), newBytes);
        EXPECT_EQ(QDir(at(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden).size(),
                  QFileInfo(row.reached) == QFileInfo(real) ? 1 : 2);
    }
    ASSERT_EQ(::symlink("loop.bmp", QFile::encodeName(at(QStringLiteral("loop.bmp"))).constData()),
              0);
    EXPECT_EQ(failure(at(QStringLiteral("loop.bmp"))).systemError, ELOOP);
}

TEST_F(SafeWrite, AStreamIsWrittenAsItIsAndNeverReplaced)
{
    const QString fifo = at(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Nobody reads: an error at once, never a wait.
    EXPECT_EQ(failure(fifo).systemError, ENXIO);
    EXPECT_EQ(failure(fifo, false).kind, SafeWriteError::Exists);

    QByteArray received;
    std::thread reader([&] {
        QFile file(fifo);
        if (file.open(QIODevice::ReadOnly))
            received = file.readAll();
    });
    // The reader may not have opened yet; then ENXIO, and we try again.
    for (int attempt = 0; attempt < 500; ++attempt) {
        try {
            writeSafely(fifo, newBytes, true, anything);
            break;
        } catch (const SafeWriteError &error) {
            ASSERT_EQ(error.systemError, ENXIO);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    reader.join();
    EXPECT_EQ(received, newBytes);
    EXPECT_EQ(kindOf(fifo), FileKind::Stream);
    int ends[2]; // a pipe behind a link only the system follows, as /dev/stdout is
    ASSERT_EQ(::pipe(ends), 0);
    writeSafely(QStringLiteral("/proc/self/fd/%1").arg(ends[1]), newBytes, true, anything);
    QByteArray piped(newBytes.size() + 1, '\0');
    piped.resize(::read(ends[0], piped.data(), size_t(piped.size())));
    EXPECT_EQ(piped, newBytes);
}

TEST_F(SafeWrite, DevicesAndSocketsOfOurOwn)
{
    const QString socketPath = at(QStringLiteral("socket"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(name.size()), sizeof address.sun_path);
    std::copy(name.begin(), name.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    EXPECT_EQ(failure(socketPath).kind, SafeWriteError::NotAFile);
    ::close(fd);

    if (::geteuid() != 0)
        GTEST_SKIP() << "only root makes device nodes";
    // The same device numbers as the system's null device, under our own name.
    const QString null = at(QStringLiteral("null"));
    ASSERT_EQ(::mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_NO_THROW(writeSafely(null, newBytes, true, anything));
    EXPECT_EQ(kindOf(null), FileKind::Stream) << "the node stays a device";
    const QString block = at(QStringLiteral("block"));
    ASSERT_EQ(::mknod(QFile::encodeName(block).constData(), S_IFBLK | 0600, makedev(7, 0)), 0);
    EXPECT_EQ(failure(block).kind, SafeWriteError::NotAFile);
}

TEST_F(SafeWrite, AReplacedFileKeepsItsModeOwnerAndGroup)
{
    const QString path = write(QStringLiteral("picture.bmp"), oldBytes);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(temp.path()).constData(), 0777), 0);
    // Root writes whatever the mode says: try it as somebody else.
    const auto replace = [&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            _exit(3);
        try {
            writeSafely(path, newBytes, true, anything);
        } catch (const SafeWriteError &error) {
            _exit(10 + error.kind);
        }
        struct stat status
        {};
        _exit(::stat(QFile::encodeName(path).constData(), &status) == 0 &&
                      (status.st_mode & 0777) == 0444
                  ? 0
                  : 2);
    };
    EXPECT_EXIT(replace(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readAll(path), newBytes);
    // Root keeps the owner and group too; a change of owner clears set-id bits: mode after.
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() != 0)
        return;
    ASSERT_EQ(::chown(name.constData(), 1, 2) | ::chmod(name.constData(), 06754), 0);
    writeSafely(path, newBytes, true, anything);
    struct stat status = {};
    EXPECT_TRUE(::stat(name.constData(), &status) == 0 && (status.st_mode & 07777) == 06754 &&
                status.st_uid == 1 && status.st_gid == 2);
}

#endif

} // namespace
} // namespace veltrin::testing
