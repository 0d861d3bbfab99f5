#include "ReportFile.h"

#include "Platform.h"
#include "ReportIoError.h"
#include "xls/CodePage.h"

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zort;
using platform::OpenMode;

namespace {

std::string readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll().toStdString();
}

void writeFile(const QString &path, const std::string &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qint64(bytes.size()));
}

// The error a report operation raises, or code 0 with an empty message when none.
struct Raised
{
    int code = 0;
    QString message;
};

template<typename F> Raised raisedBy(F &&operation)
{
    try {
        operation();
    } catch (const ReportIoError &e) {
        return {e.code(), e.message()};
    }
    return {};
}

class ReportFileTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString &name = QStringLiteral("Errors.txt")) const
    {
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
};

TEST_F(ReportFileTest, WritesWindows1251WithCrLf)
{
    ReportFile file(path(), OpenMode::StartAfresh);
    file.writeLine(QStringLiteral("Файл: /tmp/f.xls"));
    file.writeLine(QString());
    file.writeLine(QStringLiteral("№ ✓ 中")); // "№" is in the code page, the others are not
    file.close();
    EXPECT_EQ(readAll(path()), "\xD4\xE0\xE9\xEB: /tmp/f.xls\r\n"
                               "\r\n"
                               "\xB9 ? ?\r\n");
}

TEST(ReportEncoding, AgreesWithTheReadersCodePageForEveryCharacter)
{
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString text = QString(QChar(char16_t(c)));
        ASSERT_EQ(ReportFile::encode(text), xls::encodeWindows1251(text.toStdString()))
                << "U+" << std::hex << unsigned(c);
    }
    // Outside the basic plane, and a lone surrogate: one "?" per character.
    EXPECT_EQ(ReportFile::encode(QStringLiteral("a😀b")), "a?b");
    EXPECT_EQ(ReportFile::encode(QString(QChar(u'\xD800')) + u'z'), "?z");
}

TEST_F(ReportFileTest, StartAfreshEmptiesAndAppendAdds)
{
    writeFile(path(), "an older report, longer than the new one\r\n");
    {
        ReportFile first(path(), OpenMode::StartAfresh);
        first.writeLine(QStringLiteral("one"));
        first.close();
    }
    {
        ReportFile second(path(), OpenMode::Append);
        second.writeLine(QStringLiteral("two"));
        second.close();
    }
    EXPECT_EQ(readAll(path()), "one\r\ntwo\r\n");
}

TEST_F(ReportFileTest, AppendNeverCreatesTheFile)
{
    // The file removed between two blocks of a run.
    {
        ReportFile first(path(), OpenMode::StartAfresh);
        first.writeLine(QStringLiteral("one"));
        first.close();
    }
    ASSERT_TRUE(QFile::remove(path()));
    const Raised raised = raisedBy([&] { ReportFile second(path(), OpenMode::Append); });
    EXPECT_EQ(raised.code, 2);
    EXPECT_EQ(raised.message, QStringLiteral("File not found"));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ReportFileTest, OpenFailuresCarryTheirCodeAndMessage)
{
    writeFile(path(QStringLiteral("plain")), "x");
    ASSERT_EQ(::mkdir(QFile::encodeName(path(QStringLiteral("folder"))).constData(), 0755), 0);

    struct Case
    {
        QString path;
        OpenMode mode;
        int code;
        const char *message;
    };
    const Case cases[] = {
            {path(QStringLiteral("missing/Errors.txt")), OpenMode::StartAfresh, 3,
             "Invalid filename"},
            {path(QStringLiteral("missing/Errors.txt")), OpenMode::Append, 3, "Invalid filename"},
            // A path through a regular file.
            {path(QStringLiteral("plain/Errors.txt")), OpenMode::StartAfresh, 3,
             "Invalid filename"},
            {QString(), OpenMode::StartAfresh, 3, "Invalid filename"},
            {path(QStringLiteral("folder")), OpenMode::StartAfresh, 5, "File access denied"},
            {path(QString(300, u'x')), OpenMode::StartAfresh, 3, "Invalid filename"},
    };
    for (const Case &c : cases) {
        const Raised raised = raisedBy([&] { ReportFile file(c.path, c.mode); });
        EXPECT_EQ(raised.code, c.code) << c.path.toStdString();
        EXPECT_EQ(raised.message, QString::fromUtf8(c.message)) << c.path.toStdString();
    }
}

TEST(ReportFileFaults, ReadOnlyFolderIsAccessDenied)
{
    // Tests may run as root, which writes into any folder of a writable file system: sysfs
    // refuses to create files for everyone.
    const int probe = ::open("/sys/zort-probe", O_WRONLY | O_CREAT, 0644);
    const int error = errno;
    if (probe >= 0) {
        ::close(probe);
        ::unlink("/sys/zort-probe");
    }
    if (probe >= 0 || (error != EACCES && error != EROFS && error != EPERM))
        GTEST_SKIP() << "no folder here refuses to create a file";
    const Raised raised = raisedBy(
            [] { ReportFile file(QStringLiteral("/sys/Errors.txt"), OpenMode::StartAfresh); });
    EXPECT_EQ(raised.code, 5);
    EXPECT_EQ(raised.message, QStringLiteral("File access denied"));
}

TEST(ReportFileFaults, FullDiskIsError112)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    ReportFile file(QStringLiteral("/dev/full"), OpenMode::StartAfresh);
    file.writeLine(QStringLiteral("Файл: f.xls"));
    const Raised raised = raisedBy([&] { file.close(); });
    EXPECT_EQ(raised.code, 112);
    EXPECT_EQ(raised.message, QStringLiteral("I/O error 112"));
}

// Runs in a child process: with no descriptor left, opening the report fails. Exits with the
// code raised (99 for a wrong message).
[[noreturn]] void openWithoutDescriptors()
{
    // The sanitizers' type checks look a class up once, which needs a descriptor of their own;
    // one error raised beforehand lets them check the real one with none left.
    try {
        throw ReportIoError(0, QStringLiteral("warm-up"));
    } catch (const ReportIoError &e) {
        (void)e.code();
    }
    const rlimit limit {3, 3};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    int code = 0;
    try {
        ReportFile file(QStringLiteral("/tmp/zort-rlimit-Errors.txt"), OpenMode::StartAfresh);
    } catch (const ReportIoError &e) {
        code = e.message() == QStringLiteral("Too many open files") ? e.code() : 99;
    }
    std::_Exit(code);
}

TEST(ReportFileFaults, TooManyOpenFilesIsError4)
{
    EXPECT_EXIT(openWithoutDescriptors(), testing::ExitedWithCode(4), "");
}

TEST_F(ReportFileTest, ASecondWriterIsRefusedAndReadersAreNot)
{
    writeFile(path(), "kept\r\n");
    platform::ExclusiveFile other; // another program writing the report
    ASSERT_TRUE(other.open(path(), OpenMode::Append).ok());

    for (const OpenMode mode : {OpenMode::StartAfresh, OpenMode::Append}) {
        const Raised raised = raisedBy([&] { ReportFile file(path(), mode); });
        EXPECT_EQ(raised.code, 32);
        EXPECT_EQ(raised.message, QStringLiteral("I/O error 32"));
    }
    EXPECT_EQ(readAll(path()), "kept\r\n"); // not emptied by the refused open

    ASSERT_TRUE(other.close().ok());
    ReportFile file(path(), OpenMode::StartAfresh);
    file.writeLine(QStringLiteral("new"));
    EXPECT_EQ(readAll(path()), ""); // readable while we hold it
    file.close();
    EXPECT_EQ(readAll(path()), "new\r\n");
}

TEST_F(ReportFileTest, AFailedBlockKeepsItsLinesAndReleasesTheFile)
{
    {
        ReportFile file(path(), OpenMode::StartAfresh);
        file.writeLine(QStringLiteral("Файл: a.xls"));
        // Leaves without close(), as an error between two lines does.
    }
    EXPECT_EQ(readAll(path()), "\xD4\xE0\xE9\xEB: a.xls\r\n");
    platform::ExclusiveFile next;
    EXPECT_TRUE(next.open(path(), OpenMode::Append).ok());
}

TEST_F(ReportFileTest, ManyLinesArriveComplete)
{
    std::string expected;
    {
        ReportFile file(path(), OpenMode::StartAfresh);
        for (int i = 0; i < 60000; ++i) {
            const QString line = QStringLiteral("Проверка %1 не выполнена").arg(i);
            file.writeLine(line);
            expected += "\xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0 " + std::to_string(i)
                        + " \xED\xE5 \xE2\xFB\xEF\xEE\xEB\xED\xE5\xED\xE0\r\n";
        }
        file.close();
    }
    EXPECT_EQ(readAll(path()), expected);
}

TEST(ReportIoErrorMessages, FollowTheErrorNumber)
{
    EXPECT_EQ(ReportIoError::messageFor(2), QStringLiteral("File not found"));
    EXPECT_EQ(ReportIoError::messageFor(3), QStringLiteral("Invalid filename"));
    EXPECT_EQ(ReportIoError::messageFor(4), QStringLiteral("Too many open files"));
    EXPECT_EQ(ReportIoError::messageFor(5), QStringLiteral("File access denied"));
    EXPECT_EQ(ReportIoError::messageFor(32), QStringLiteral("I/O error 32"));
    EXPECT_EQ(ReportIoError::messageFor(112), QStringLiteral("I/O error 112"));
    // An OS number that is not one of ours never borrows one of our messages.
    EXPECT_EQ(ReportIoError::messageFor(5, false), QStringLiteral("I/O error 5"));
}

} // namespace
