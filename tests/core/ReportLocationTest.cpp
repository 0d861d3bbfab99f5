#include "ReportLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace zort;

namespace {

TEST(ReportLocation, BesideTheProgramWhenItsFolderIsWritable)
{
    QTemporaryDir program, data;
    ASSERT_TRUE(program.isValid() && data.isValid());
    EXPECT_EQ(reportPathFor(program.path(), data.filePath(QStringLiteral("zort"))),
              program.filePath(QStringLiteral("Errors.txt")));
    EXPECT_FALSE(QFileInfo::exists(data.filePath(QStringLiteral("zort"))));
    // The probe leaves nothing behind.
    EXPECT_TRUE(
            QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(ReportLocation, InTheUserDataFolderOtherwise)
{
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QString userFolder = data.filePath(QStringLiteral("share/zort"));
    QStringList unwritable {data.filePath(QStringLiteral("missing")), QString()};
    // A folder that refuses new files even to root.
    const int probe = ::open("/sys/zort-probe", O_WRONLY | O_CREAT, 0644);
    if (probe < 0)
        unwritable << QStringLiteral("/sys");
    else
        ::close(probe), ::unlink("/sys/zort-probe");
    for (const QString &program : unwritable) {
        EXPECT_EQ(reportPathFor(program, userFolder), userFolder + QStringLiteral("/Errors.txt"))
                << program.toStdString();
        EXPECT_TRUE(QFileInfo(userFolder).isDir()); // created on demand
    }
}

TEST(ReportLocation, DefaultIsNamedErrorsTxt)
{
    const QString path = defaultReportPath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Errors.txt")));
    // The tests' own folder is writable, so the report goes beside the program.
    EXPECT_EQ(defaultReportPlace(), ReportPlace::ProgramFolder);
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(path).path() + QStringLiteral("/zort_core_tests")));
}

} // namespace
