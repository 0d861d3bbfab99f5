#include "ConnectionString.h"

#include "WorkbookSource.h"

#include <gtest/gtest.h>

using namespace zort;

namespace {

struct BuildCase
{
    const char *workbook;
    const char *folder;
    const char *text;
};

class ConnectionStringBuild : public testing::TestWithParam<BuildCase>
{
};

TEST_P(ConnectionStringBuild, WritesOrdinaryPathsPlainAndOthersInBraces)
{
    const QString workbook = QString::fromUtf8(GetParam().workbook);
    const QString folder = QString::fromUtf8(GetParam().folder);
    const QString text = ConnectionString::forWorkbook(workbook, folder);
    EXPECT_EQ(text, QString::fromUtf8(GetParam().text));
    // Whatever the path holds, parsing gives it back unchanged.
    const ConnectionString parsed = ConnectionString::parse(text);
    EXPECT_EQ(parsed.value(QStringLiteral("DSN")), QStringLiteral("DataVELT"));
    EXPECT_EQ(parsed.value(QStringLiteral("DBQ")), workbook);
    EXPECT_EQ(parsed.value(QStringLiteral("DefaultDir")), folder);
}

INSTANTIATE_TEST_SUITE_P(
        Table, ConnectionStringBuild,
        testing::Values(
                BuildCase {"C:\\FORMS\\f1.xls", "C:\\FORMS",
                           "DSN=DataVELT;DBQ=C:\\FORMS\\f1.xls;DefaultDir=C:\\FORMS;"},
                BuildCase {"\\f1.xls", "", "DSN=DataVELT;DBQ=\\f1.xls;DefaultDir=;"},
                BuildCase {
                        "/home/ivan/Формы/ф 1.xls", "/home/ivan/Формы",
                        "DSN=DataVELT;DBQ=/home/ivan/Формы/ф 1.xls;DefaultDir=/home/ivan/Формы;"},
                BuildCase {"/data/a=b/f.xls", "/data/a=b",
                           "DSN=DataVELT;DBQ=/data/a=b/f.xls;DefaultDir=/data/a=b;"},
                BuildCase {"/data/a;b/f.xls", "/data/a;b",
                           "DSN=DataVELT;DBQ={/data/a;b/f.xls};DefaultDir={/data/a;b};"},
                BuildCase {"/data/x;}y/f.xls", "/data",
                           "DSN=DataVELT;DBQ={/data/x;}}y/f.xls};DefaultDir=/data;"},
                BuildCase {"{odd}/f.xls", "{odd}",
                           "DSN=DataVELT;DBQ={{odd}}/f.xls};DefaultDir={{odd}}};"},
                BuildCase {"/data/a}b/f.xls", "/data/a}b",
                           "DSN=DataVELT;DBQ=/data/a}b/f.xls;DefaultDir=/data/a}b;"}));

struct ParseCase
{
    const char *text;
    const char *key;
    const char *value;
};

class ConnectionStringParse : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ConnectionStringParse, FindsTheValue)
{
    const ConnectionString parsed = ConnectionString::parse(QString::fromUtf8(GetParam().text));
    EXPECT_EQ(parsed.value(QString::fromUtf8(GetParam().key)), QString::fromUtf8(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
        Table, ConnectionStringParse,
        testing::Values(ParseCase {"DSN=DataVELT;DBQ=/a/f.xls;DefaultDir=/a;", "dbq", "/a/f.xls"},
                        ParseCase {"dsn=DataVELT", "DSN", "DataVELT"}, // no final ";"
                        ParseCase {" DSN = DataVELT ;", "DSN", " DataVELT "}, // values keep blanks
                        ParseCase {"DSN=first;DSN=second;", "DSN", "first"},
                        ParseCase {";;DSN=x;;", "DSN", "x"}, ParseCase {"DSN=x;", "DBQ", ""},
                        ParseCase {"DBQ={a;b}  ;DSN=x", "DBQ", "a;b"},
                        ParseCase {"DBQ={a}}b};DSN=x", "DBQ", "a}b"},
                        ParseCase {"DBQ=;DSN=x", "DBQ", ""}, ParseCase {"", "DSN", ""}));

class ConnectionStringError : public testing::TestWithParam<const char *>
{
};

TEST_P(ConnectionStringError, IsReportedWithTheText)
{
    const QString text = QString::fromUtf8(GetParam());
    try {
        ConnectionString::parse(text);
        FAIL() << "no error for " << GetParam();
    } catch (const DataSourceError &error) {
        EXPECT_TRUE(error.message().contains(text)) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectionStringError,
                         testing::Values("DSN", "DSN=x;DBQ", "=x;", "DBQ={a;b", "DBQ={a}b;",
                                         "DBQ={a}}"));

TEST(ConnectionString, SetReplacesWithoutRegardToCase)
{
    ConnectionString text = ConnectionString::parse(QStringLiteral("DSN=DataVELT;DBQ=/a.xls;"));
    text.set(QStringLiteral("dbq"), QStringLiteral("/b;c.xls"));
    text.set(QStringLiteral("DefaultDir"), QStringLiteral("/"));
    EXPECT_EQ(text.toString(), QStringLiteral("DSN=DataVELT;DBQ={/b;c.xls};DefaultDir=/;"));
}

} // namespace
