#include "SqlDialect.h"

#include "WorkbookSource.h"

#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

using namespace zort;

namespace {

// --- numbers as texts --------------------------------------------------------------------------

struct NumberCase
{
    double value;
    const char *text;
};

class NumberText : public testing::TestWithParam<NumberCase>
{
};

TEST_P(NumberText, IsTheShortestGeneralForm)
{
    EXPECT_EQ(numberText(GetParam().value), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, NumberText,
                         testing::Values(NumberCase {606024, "606024"}, NumberCase {12.5, "12.5"},
                                         NumberCase {0.1, "0.1"}, NumberCase {0.1 + 0.2, "0.3"},
                                         NumberCase {-3, "-3"}, NumberCase {-0.0, "0"},
                                         NumberCase {1e14, "100000000000000"},
                                         NumberCase {123456789012345, "123456789012345"},
                                         NumberCase {1234567890123456, "1.23456789012346E+15"},
                                         NumberCase {1e15, "1E+15"}, NumberCase {0.0001, "0.0001"},
                                         NumberCase {0.00001, "1E-05"},
                                         NumberCase {1.0 / 3, "0.333333333333333"},
                                         NumberCase {2.0 / 3 * 1e6, "666666.666666667"}));

struct ParseCase
{
    const char *text;
    std::optional<double> number;
};

class NumberFromText : public testing::TestWithParam<ParseCase>
{
};

TEST_P(NumberFromText, AcceptsOnlyWholeNumbers)
{
    EXPECT_EQ(numberFromText(QString::fromUtf8(GetParam().text)), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
        Table, NumberFromText,
        testing::Values(ParseCase {"12", 12}, ParseCase {" -3.5 ", -3.5}, ParseCase {"1e3", 1000},
                        ParseCase {"+7", 7}, ParseCase {".5", 0.5}, ParseCase {"0606024", 606024},
                        ParseCase {"", std::nullopt}, ParseCase {"  ", std::nullopt},
                        ParseCase {"abc", std::nullopt}, ParseCase {"12abc", std::nullopt},
                        ParseCase {"1 2", std::nullopt}, ParseCase {"1,5", std::nullopt},
                        ParseCase {"inf", std::nullopt}, ParseCase {"nan", std::nullopt},
                        ParseCase {"0x10", std::nullopt}, ParseCase {"-", std::nullopt},
                        ParseCase {"1e999", std::nullopt}, ParseCase {"1.2.3", std::nullopt}));

// --- date serials ------------------------------------------------------------------------------

struct DateCase
{
    double serial;
    const char *text;
};

class SerialDate : public testing::TestWithParam<DateCase>
{
};

TEST_P(SerialDate, FollowsTheRegionalFormat)
{
    RegionalSettings settings; // dd.MM.yyyy, H:mm:ss with leading zero, 24 hours
    settings.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    EXPECT_EQ(serialDateText(GetParam().serial, settings), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, SerialDate,
                         testing::Values(DateCase {1, "01.01.1900"}, DateCase {59, "28.02.1900"},
                                         DateCase {60, "60"}, // the 1900 leap day that never was
                                         DateCase {61, "01.03.1900"},
                                         DateCase {45292, "01.01.2024"},
                                         DateCase {45292.5, "01.01.2024 12:00:00"},
                                         DateCase {0.75, "18:00:00"}, DateCase {-1, "-1"},
                                         DateCase {2958465, "31.12.9999"},
                                         DateCase {2958466, "2958466"}));

TEST(SerialDate, UsesTheSettingsGiven)
{
    RegionalSettings settings;
    settings.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    EXPECT_EQ(serialDateText(45292, settings), QStringLiteral("2024-01-01"));
}

// --- translation -------------------------------------------------------------------------------

struct TranslationCase
{
    const char *statement;
    const char *sql;
};

class Translation : public testing::TestWithParam<TranslationCase>
{
};

TEST_P(Translation, RewritesTheDialect)
{
    EXPECT_EQ(translateStatement(QString::fromUtf8(GetParam().statement)),
              QString::fromUtf8(GetParam().sql));
}

INSTANTIATE_TEST_SUITE_P(
        Table, Translation,
        testing::Values(
                // The statements the program runs.
                TranslationCase {"Select Val from Data_Adr Where ID_Element = 'P_OKUD'",
                                 "Select Val from Data_Adr Where ID_Element = 'P_OKUD' COLLATE "
                                 "zort_nocase"},
                TranslationCase {"Select (Name &  Val) as CaptionInForm, ID_Element from Data_Adr",
                                 "Select (zort_concat(Name, Val)) as CaptionInForm, ID_Element "
                                 "from Data_Adr"},
                TranslationCase {"Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from "
                                 "T_Check where Result>0 Order by ID_Form, ID_Section, ID_Rule, "
                                 "ID_Check",
                                 "Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from "
                                 "T_Check where zort_num(Result)>0 Order by ID_Form, ID_Section, "
                                 "ID_Rule, ID_Check"},
                // Chains, groups, calls and arithmetic, which binds more tightly than "&".
                TranslationCase {"select a & b & c from t", "select zort_concat(a, b, c) from t"},
                TranslationCase {"select (a & b) & c from t",
                                 "select zort_concat((zort_concat(a, b)), c) from t"},
                TranslationCase {"select upper(a & 'x'), b from t",
                                 "select upper(zort_concat(a, 'x')), b from t"},
                TranslationCase {"select a & b + 1 & c from t",
                                 "select zort_concat(a, b + 1, c) from t"},
                TranslationCase {"select 'a & b' & [x & y] from t",
                                 "select zort_concat('a & b', [x & y]) from t"},
                TranslationCase {"select a from t where a & b = 'xy'",
                                 "select a from t where zort_concat(a, b) = 'xy' COLLATE "
                                 "zort_nocase"},
                TranslationCase {"select case when a > 1 then a & b else c end from t",
                                 "select case when zort_num(a) > 1 then zort_concat(a, b) else c "
                                 "end from t"},
                // Numeric literals on either side, signed, in groups, with AND and NOT.
                TranslationCase {"select a from t where 0 < Result",
                                 "select a from t where 0 < zort_num(Result)"},
                TranslationCase {
                        "select a from t where Result >= -1 and not (b <> 2)",
                        "select a from t where zort_num(Result) >= -1 and not (zort_num(b) <> 2)"},
                TranslationCase {"select a from t where x + 1 > 2.5",
                                 "select a from t where zort_num(x + 1) > 2.5"},
                TranslationCase {"select a from t where a > b", "select a from t where a > b"},
                TranslationCase {"select a from t where a > 1 + b",
                                 "select a from t where a > 1 + b"},
                // Quoted texts, names and comments stay as they are.
                TranslationCase {"select 'it''s & 1>0' from t -- a & b\n",
                                 "select 'it''s & 1>0' from t -- a & b\n"}));

class TranslationError : public testing::TestWithParam<const char *>
{
};

TEST_P(TranslationError, IsReportedWithTheStatement)
{
    const QString statement = QString::fromUtf8(GetParam());
    try {
        translateStatement(statement);
        FAIL() << "no error for " << GetParam();
    } catch (const DataSourceError &error) {
        EXPECT_TRUE(error.message().contains(statement)) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TranslationError,
                         testing::Values("select & b from t", "select a & from t",
                                         "select a & & b from t", "select (a &) from t",
                                         "select 'open from t", "select [open from t",
                                         "select a /* open"));

// --- the translated statements on SQLite -------------------------------------------------------

struct DatabaseDeleter
{
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};

class Dialect : public testing::Test
{
protected:
    void SetUp() override
    {
        sqlite3 *raw = nullptr;
        ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
        m_db.reset(raw);
        registerDialect(raw);
        // Columns without a type keep every value as it is, as the workbook tables do.
        exec("create table t(id, a collate zort_nocase, b collate zort_nocase)");
        exec("insert into t values (1, 'Код', 'формы'), (2, null, 'x'), (3, 'y', null), "
             "(4, null, null), (5, 12.5, 3), (6, '7', 1), (7, 'abc', 0), (8, ' 2 ', -1)");
    }

    void exec(const char *sql)
    {
        ASSERT_EQ(sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr), SQLITE_OK)
                << sqlite3_errmsg(m_db.get());
    }

    // The rows of a statement in the driver's dialect, fields joined by "|", null as "NULL".
    QStringList rows(const char *statement)
    {
        const QByteArray sql = translateStatement(QString::fromUtf8(statement)).toUtf8();
        sqlite3_stmt *raw = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db.get(), sql.constData(), -1, &raw, nullptr), SQLITE_OK)
                << sqlite3_errmsg(m_db.get()) << " in " << sql.constData();
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
        QStringList result;
        while (raw && sqlite3_step(raw) == SQLITE_ROW) {
            QStringList fields;
            for (int i = 0; i < sqlite3_column_count(raw); ++i) {
                fields << (sqlite3_column_type(raw, i) == SQLITE_NULL
                                   ? QStringLiteral("NULL")
                                   : QString::fromUtf8(reinterpret_cast<const char *>(
                                           sqlite3_column_text(raw, i))));
            }
            result << fields.join(QLatin1Char('|'));
        }
        return result;
    }

    std::unique_ptr<sqlite3, DatabaseDeleter> m_db;
};

TEST_F(Dialect, JoinsTextsWithNullAsEmptyUnlessBothAreNull)
{
    EXPECT_EQ(rows("select a & b from t where id <= 6 order by id"),
              (QStringList {"Кодформы", "x", "y", "NULL", "12.53", "71"}));
    EXPECT_EQ(rows("select a & '-' & b from t where id = 4"), QStringList {"-"});
}

TEST_F(Dialect, ComparesTextsHoldingNumbersAsNumbers)
{
    // 12.5 and ' 2 ' and '7' hold numbers; 'abc' and the Cyrillic texts never pass.
    EXPECT_EQ(rows("select id from t where a > 0 order by id"), (QStringList {"5", "6", "8"}));
    EXPECT_EQ(rows("select id from t where a = 7"), QStringList {"6"});
    EXPECT_EQ(rows("select id from t where b>0 order by id"), (QStringList {"5", "6"}));
    EXPECT_EQ(rows("select id from t where 0 > b"), QStringList {"8"});
}

TEST_F(Dialect, ComparesTextsWithoutRegardToCase)
{
    EXPECT_EQ(rows("select id from t where a = 'КОД'"), QStringList {"1"});
    EXPECT_EQ(rows("select id from t where a & b = 'КОДФОРМЫ'"), QStringList {"1"});
    EXPECT_EQ(rows("select id from t where 'ABC' = a"), QStringList {"7"});
    EXPECT_EQ(rows("select id from t where a = 'ab'"), QStringList {});
}

TEST_F(Dialect, LikeIgnoresCaseInEveryScript)
{
    EXPECT_EQ(rows("select id from t where a like 'КО%'"), QStringList {"1"});
    EXPECT_EQ(rows("select id from t where b like '%О_М%'"), QStringList {"1"});
    EXPECT_EQ(rows("select id from t where a like 'A_C'"), QStringList {"7"});
    EXPECT_EQ(rows("select id from t where a like '%b'"), QStringList {});
    EXPECT_EQ(rows("select id from t where a like '%' order by id"),
              (QStringList {"1", "3", "5", "6", "7", "8"}));
    exec("insert into t values (9, '50%', 'a_b')");
    EXPECT_EQ(rows("select id from t where a like '%!%' escape '!'"), QStringList {"9"});
    EXPECT_EQ(rows("select id from t where b like 'a!_b' escape '!'"), QStringList {"9"});
    EXPECT_EQ(rows("select id from t where b like 'a!_' escape '!'"), QStringList {});
}

} // namespace
