#include "RowFilter.h"

#include "WorkbookSource.h"

#include <gtest/gtest.h>

using namespace zort;

namespace {

// A result as the caption statement gives it, with a numeric column beside it.
const QStringList kColumns = {QStringLiteral("CaptionInForm"), QStringLiteral("ID_Element"),
                              QStringLiteral("Amount")};

const std::vector<std::vector<SqlValue>> &rows()
{
    static const std::vector<std::vector<SqlValue>> data = {
            {SqlValue::fromText("Код 0606024"), SqlValue::fromText("P_OKUD"), SqlValue::real(1)},
            {SqlValue::fromText("Форма №1"), SqlValue::fromText("P_FormName"), SqlValue::real(2.5)},
            {SqlValue::fromText("Организация"), SqlValue::fromText("P_Name"),
             SqlValue::fromText("10")},
            {SqlValue::fromText("O'Brien"), SqlValue::fromText("p_name"),
             SqlValue::fromText("n/a")},
            {SqlValue::null(), SqlValue::null(), SqlValue::null()},
            {SqlValue::fromText("Форма №2"), SqlValue::fromText("P_FormName"),
             SqlValue::integer(-4)},
    };
    return data;
}

struct FilterCase
{
    const char *filter;
    std::vector<int> matching; // row numbers, 0-based
};

class RowFilterMatch : public testing::TestWithParam<FilterCase>
{
};

TEST_P(RowFilterMatch, KeepsTheMatchingRows)
{
    const RowFilter filter(QString::fromUtf8(GetParam().filter), kColumns);
    std::vector<int> matching;
    for (std::size_t i = 0; i < rows().size(); ++i) {
        if (filter.matches(rows()[i]))
            matching.push_back(static_cast<int>(i));
    }
    EXPECT_EQ(matching, GetParam().matching) << GetParam().filter;
}

INSTANTIATE_TEST_SUITE_P(
        Table, RowFilterMatch,
        testing::Values(
                // The filters the program sets, with their leading blank.
                FilterCase {" ID_Element = 'P_FormName'", {1, 5}},
                FilterCase {" ID_Element = 'P_Name'", {2, 3}}, // texts ignore case
                FilterCase {"", {0, 1, 2, 3, 4, 5}}, FilterCase {"   ", {0, 1, 2, 3, 4, 5}},
                FilterCase {"ID_Element='P_OKUD'", {0}}, FilterCase {"id_element = 'p_okud'", {0}},
                FilterCase {"[ID_Element] = 'P_OKUD'", {0}},
                FilterCase {"CaptionInForm = 'ФОРМА №1'", {1}}, // Cyrillic case as well
                FilterCase {"CaptionInForm = 'O''Brien'", {3}},
                FilterCase {"ID_Element <> 'P_FormName'", {0, 2, 3}}, // null matches nothing
                FilterCase {"ID_Element = NULL", {4}},
                FilterCase {"ID_Element <> NULL", {0, 1, 2, 3, 5}},
                // Numbers compare as numbers; a text holding a number counts as that number.
                FilterCase {"Amount > 2", {1, 2}}, FilterCase {"Amount >= 1", {0, 1, 2}},
                FilterCase {"Amount < 0", {5}}, FilterCase {"Amount <= 1", {0, 5}},
                FilterCase {"Amount = 10", {2}}, FilterCase {"Amount = 2.5", {1}},
                FilterCase {"Amount = '2.5'", {1}},
                // Texts order without regard to case.
                FilterCase {"ID_Element < 'P_N'", {1, 5}},
                FilterCase {"ID_Element > 'p_n'", {0, 2, 3}},
                // LIKE with "*" or "%" for any characters.
                FilterCase {"ID_Element LIKE 'P_*'", {0, 1, 2, 3, 5}},
                FilterCase {"CaptionInForm like '%форма%'", {1, 5}},
                FilterCase {"CaptionInForm LIKE 'Код 0606024'", {0}},
                FilterCase {"ID_Element LIKE 'P.Name'", {}}, // no pattern characters but * and %
                // AND binds more tightly than OR; parentheses and NOT group.
                FilterCase {"ID_Element = 'P_OKUD' OR ID_Element = 'P_Name' AND Amount > 5",
                            {0, 2}},
                FilterCase {"(ID_Element = 'P_OKUD' OR ID_Element = 'P_Name') AND Amount > 0",
                            {0, 2}},
                FilterCase {"NOT ID_Element = 'P_FormName'", {0, 2, 3, 4}},
                FilterCase {"ID_Element = 'P_FormName' and Amount > 0", {1}}));

class RowFilterError : public testing::TestWithParam<const char *>
{
};

TEST_P(RowFilterError, IsReportedWithTheFilter)
{
    const QString text = QString::fromUtf8(GetParam());
    try {
        RowFilter filter(text, kColumns);
        FAIL() << "no error for " << GetParam();
    } catch (const DataSourceError &error) {
        EXPECT_TRUE(error.message().contains(text)) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RowFilterError,
                         testing::Values("Missing = 'x'", "ID_Element 'P_OKUD'",
                                         "ID_Element = 'P_OKUD", "ID_Element =",
                                         "ID_Element = P_OKUD", "= 'x'", "ID_Element = 'a' AND",
                                         "(ID_Element = 'a'", "ID_Element = 'a' junk",
                                         "Amount > NULL", "Amount LIKE 5", "[ID_Element = 'a'"));

TEST(RowFilter, NamesTheUnknownField)
{
    try {
        RowFilter filter(QStringLiteral(" ID_Element = 'P_FormName'"), {QStringLiteral("Val")});
        FAIL();
    } catch (const DataSourceError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("\"ID_Element\""))) << error.what();
    }
}

TEST(RowFilter, DeepNestingIsAnErrorNotACrash)
{
    const QString deep = QString(5000, QLatin1Char('(')) + QStringLiteral("Amount = 1")
                         + QString(5000, QLatin1Char(')'));
    EXPECT_THROW(RowFilter(deep, kColumns), DataSourceError);
}

} // namespace
