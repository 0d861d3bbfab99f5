#include "PathRules.h"

#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <map>

using namespace zort;

namespace {

struct PathCase
{
    PathStyle style;
    const char16_t *path;
    const char16_t *file;
    const char16_t *folder;
};

class PathParts : public testing::TestWithParam<PathCase>
{
};

TEST_P(PathParts, SplitsAtTheLastSeparator)
{
    const PathCase &c = GetParam();
    const QString path = QString::fromUtf16(c.path);
    EXPECT_EQ(filePart(path, c.style), QString::fromUtf16(c.file)) << path.toStdString();
    EXPECT_EQ(folderPart(path, c.style), QString::fromUtf16(c.folder)) << path.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
        Windows, PathParts,
        testing::Values(PathCase {PathStyle::Windows, u"C:\\Forms\\a.xls", u"a.xls", u"C:\\Forms"},
                        PathCase {PathStyle::Windows, u"C:\\a.xls", u"a.xls", u"C:\\"},
                        PathCase {PathStyle::Windows, u"C:a.xls", u"a.xls", u"C:"},
                        PathCase {PathStyle::Windows, u"\\a.xls", u"a.xls", u"\\"},
                        PathCase {PathStyle::Windows, u"a.xls", u"a.xls", u""},
                        PathCase {PathStyle::Windows, u"", u"", u""},
                        PathCase {PathStyle::Windows, u"C:\\Forms\\", u"", u"C:\\Forms"},
                        PathCase {PathStyle::Windows, u"C:\\\\a.xls", u"a.xls", u"C:\\\\"},
                        PathCase {PathStyle::Windows, u"\\\\srv\\share\\f.xlt", u"f.xlt",
                                  u"\\\\srv\\share"},
                        // "/" is no separator of the Windows rules.
                        PathCase {PathStyle::Windows, u"C:/Forms/a.xls", u"/Forms/a.xls", u"C:"}));

INSTANTIATE_TEST_SUITE_P(Posix, PathParts,
                         testing::Values(PathCase {PathStyle::Posix, u"/home/u/Формы/a.xls",
                                                   u"a.xls", u"/home/u/Формы"},
                                         PathCase {PathStyle::Posix, u"/a.xls", u"a.xls", u"/"},
                                         PathCase {PathStyle::Posix, u"//a.xls", u"a.xls", u"//"},
                                         PathCase {PathStyle::Posix, u"forms/a.xls", u"a.xls",
                                                   u"forms"},
                                         PathCase {PathStyle::Posix, u"a.xls", u"a.xls", u""},
                                         PathCase {PathStyle::Posix, u"/home/u/", u"", u"/home/u"},
                                         PathCase {PathStyle::Posix, u"C:\\Forms\\a.xls",
                                                   u"C:\\Forms\\a.xls", u""}));

struct ConnectCase
{
    PathStyle style;
    const char16_t *path;
    const char16_t *shortDir; // what the file system answers for the folder part
    const char16_t *expected;
};

class ConnectionStrings : public testing::TestWithParam<ConnectCase>
{
};

TEST_P(ConnectionStrings, NameTheShortFolderAndTheFile)
{
    const ConnectCase &c = GetParam();
    QString askedFor;
    const FormLocation location =
            locateForm(QString::fromUtf16(c.path), c.style, [&](const QString &folder) {
                askedFor = folder;
                return QString::fromUtf16(c.shortDir);
            });
    EXPECT_EQ(location.connectString, QString::fromUtf16(c.expected));
    EXPECT_EQ(location.shortDir, QString::fromUtf16(c.shortDir));
    EXPECT_EQ(askedFor, folderPart(QString::fromUtf16(c.path), c.style));
}

INSTANTIATE_TEST_SUITE_P(
        Cases, ConnectionStrings,
        testing::Values(ConnectCase {PathStyle::Windows, u"C:\\Forms\\f1.xls", u"C:\\FORMS",
                                     u"DSN=DataVELT;DBQ=C:\\FORMS\\f1.xls;DefaultDir=C:\\FORMS;"},
                        ConnectCase {PathStyle::Windows, u"C:\\Missing\\f1.xls", u"",
                                     u"DSN=DataVELT;DBQ=\\f1.xls;DefaultDir=;"},
                        ConnectCase {PathStyle::Windows, u"C:\\f1.xls", u"C:\\",
                                     u"DSN=DataVELT;DBQ=C:\\\\f1.xls;DefaultDir=C:\\;"},
                        ConnectCase {PathStyle::Posix, u"/srv/Формы/f1.xls", u"/srv/Формы",
                                     u"DSN=DataVELT;DBQ=/srv/Формы/f1.xls;DefaultDir=/srv/Формы;"},
                        ConnectCase {PathStyle::Posix, u"/missing/f1.xls", u"",
                                     u"DSN=DataVELT;DBQ=/f1.xls;DefaultDir=;"},
                        // A ";" in a value would end it early: such values go in braces.
                        ConnectCase {PathStyle::Posix, u"/tmp/a;b/f.xls", u"/tmp/a;b",
                                     u"DSN=DataVELT;DBQ={/tmp/a;b/f.xls};DefaultDir={/tmp/a;b};"},
                        ConnectCase {PathStyle::Posix, u"/tmp/{x}/f;1.xls", u"/tmp/{x}",
                                     u"DSN=DataVELT;DBQ={/tmp/{x}}/f;1.xls};DefaultDir=/tmp/{x};"},
                        ConnectCase {PathStyle::Posix, u"{x}/f.xls", u"{x}",
                                     u"DSN=DataVELT;DBQ={{x}}/f.xls};DefaultDir={{x}}};"}));

TEST(ShortFolder, IsAnExistingFolderAsGivenAndEmptyOtherwise)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/Формы 2024");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/f1.xls"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    EXPECT_EQ(platform::shortFolder(folder), folder);
    // Kept as given, not canonicalised.
    EXPECT_EQ(platform::shortFolder(folder + QStringLiteral("/../Формы 2024")),
              folder + QStringLiteral("/../Формы 2024"));
    EXPECT_EQ(platform::shortFolder(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(platform::shortFolder(folder + QStringLiteral("/missing")), QString());
    EXPECT_EQ(platform::shortFolder(file.fileName()), QString()); // a file, not a folder
    EXPECT_EQ(platform::shortFolder(QString()), QString());
}

TEST(ExecutableFolder, HoldsThisTestProgram)
{
    const QString folder = platform::executableFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_FALSE(folder.endsWith(u'/'));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/zort_core_tests")));
}

} // namespace
