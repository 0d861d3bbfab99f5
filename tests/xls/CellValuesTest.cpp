#include "CellValues.h"

#include "WorkbookBuilder.h"
#include "xls/CellFormats.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <functional>
#include <gtest/gtest.h>

using namespace zort::xls;
using namespace zort::xls::testvalues;
using zort::test::SheetBuilder;
using zort::test::WorkbookBuilder;

namespace {

struct CellCase
{
    const char *what;
    std::function<void(SheetBuilder &, WorkbookBuilder &)> write; // writes cell B2
    Cell expected;
    zort::xls::BiffVersion version = BiffVersion::Biff8;
};

void PrintTo(const CellCase &c, std::ostream *os)
{
    *os << c.what;
}

class CellValue : public testing::TestWithParam<CellCase>
{
};

// Reads B2 as the one value of a table A1:B2 whose header row is "Key", "Value".
TEST_P(CellValue, IsReadFromItsRecord)
{
    const CellCase &c = GetParam();
    WorkbookBuilder b(c.version);
    auto &s = b.addSheet("S");
    s.setText(0, 0, "Key").setText(0, 1, "Value").setText(1, 0, "k");
    c.write(s, b);
    b.addName("T", 0, area(0, 0, 1, 1));
    const Table t = Workbook::fromBytes(b.build()).readTable("T");
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(t.rows[0][1], c.expected);
}

// RK values: bit 0 divides by 100, bit 1 marks a 30-bit integer, else the top of a double.
constexpr std::uint32_t rkInt(std::int32_t v)
{
    return (static_cast<std::uint32_t>(v) << 2) | 0x02;
}

INSTANTIATE_TEST_SUITE_P(
        Records, CellValue,
        testing::Values(
                CellCase {"NUMBER", [](auto &s, auto &) { s.setNumber(1, 1, 2.5); }, number(2.5)},
                CellCase {"RK integer", [](auto &s, auto &) { s.setRk(1, 1, rkInt(123456)); },
                          number(123456)},
                CellCase {"RK negative integer", [](auto &s, auto &) { s.setRk(1, 1, rkInt(-7)); },
                          number(-7)},
                CellCase {"RK integer / 100",
                          [](auto &s, auto &) { s.setRk(1, 1, rkInt(1234) | 0x01); },
                          number(12.34)},
                // 1.5 is 0x3FF80000 00000000: the top 30 bits hold it exactly
                CellCase {"RK double", [](auto &s, auto &) { s.setRk(1, 1, 0x3FF80000); },
                          number(1.5)},
                CellCase {"RK double / 100",
                          [](auto &s, auto &) { s.setRk(1, 1, 0x3FF80000 | 0x01); }, number(0.015)},
                CellCase {"MULRK",
                          [](auto &s, auto &) {
                              s.setMulRk(1, 0, {rkInt(1), rkInt(9)});
                          },
                          number(9)},
                CellCase {"LABEL", [](auto &s, auto &) { s.setLabel(1, 1, "Итого"); },
                          text("Итого")},
                CellCase {"LABELSST", [](auto &s, auto &) { s.setText(1, 1, "Итого"); },
                          text("Итого")},
                CellCase {"BOOLERR true", [](auto &s, auto &) { s.setBoolean(1, 1, true); },
                          boolean(true)},
                CellCase {"BOOLERR error",
                          [](auto &s, auto &) { s.setError(1, 1, zort::test::kErrorDiv0); },
                          error(0x07)},
                CellCase {"BLANK", [](auto &s, auto &) { s.setBlank(1, 1); }, empty},
                CellCase {"MULBLANK", [](auto &s, auto &) { s.setMulBlank(1, 1, 3); }, empty},
                CellCase {"FORMULA number", [](auto &s, auto &) { s.setFormulaNumber(1, 1, 3.0); },
                          number(3)},
                CellCase {"FORMULA text", [](auto &s, auto &) { s.setFormulaText(1, 1, "Ошибка"); },
                          text("Ошибка")},
                CellCase {"FORMULA text after SHRFMLA",
                          [](auto &s, auto &) { s.setFormulaText(1, 1, "shared", 0x04BC); },
                          text("shared")},
                CellCase {"FORMULA text after ARRAY",
                          [](auto &s, auto &) { s.setFormulaText(1, 1, "array", 0x0221); },
                          text("array")},
                CellCase {"FORMULA boolean",
                          [](auto &s, auto &) { s.setFormulaBoolean(1, 1, false); },
                          boolean(false)},
                CellCase {"FORMULA error",
                          [](auto &s, auto &) { s.setFormulaError(1, 1, zort::test::kErrorNa); },
                          error(0x2A)},
                CellCase {"FORMULA empty text", [](auto &s, auto &) { s.setFormulaEmpty(1, 1); },
                          text("")},
                // a STRING with no text-result FORMULA before it belongs to no cell
                CellCase {"stray STRING",
                          [](auto &s, auto &) {
                              s.setFormulaNumber(1, 1, 4);
                              s.addRecord(0x0207, zort::test::RecordBody().biff8String("x").take());
                          },
                          number(4)},
                CellCase {"date format", [](auto &s, auto &) { s.setDate(1, 1, 45306); },
                          date(45306)},
                CellCase {"custom date format",
                          [](auto &s, auto &b) {
                              s.setNumber(1, 1, 45306.5,
                                          b.addNumberFormat("[$-419]DD.MM.YYYY h:mm"));
                          },
                          date(45306.5)},
                CellCase {"custom number format",
                          [](auto &s, auto &b) {
                              s.setNumber(1, 1, 7, b.addNumberFormat("#,##0.00\" дн.\";[Red]-0"));
                          },
                          number(7)},
                CellCase {"later record wins",
                          [](auto &s, auto &) { s.setNumber(1, 1, 1).setLabel(1, 1, "second"); },
                          text("second")},
                CellCase {"BIFF5 LABEL in Windows-1251",
                          [](auto &s, auto &) { s.setText(1, 1, "Проверка"); }, text("Проверка"),
                          BiffVersion::Biff5},
                CellCase {"BIFF5 FORMULA text",
                          [](auto &s, auto &) { s.setFormulaText(1, 1, "Сумма"); }, text("Сумма"),
                          BiffVersion::Biff5},
                CellCase {"BIFF5 RK", [](auto &s, auto &) { s.setRk(1, 1, rkInt(42)); }, number(42),
                          BiffVersion::Biff5}),
        [](const auto &info) { return "case" + std::to_string(info.index); });

struct DateFormatCase
{
    const char *format;
    bool isDate;
};

class DateFormat : public testing::TestWithParam<DateFormatCase>
{
};

TEST_P(DateFormat, IsRecognised)
{
    EXPECT_EQ(isDateFormatString(GetParam().format), GetParam().isDate) << GetParam().format;
}

INSTANTIATE_TEST_SUITE_P(
        Formats, DateFormat,
        testing::Values(DateFormatCase {"dd.mm.yyyy", true},
                        DateFormatCase {"[$-419]D MMMM YYYY", true},
                        DateFormatCase {"h:mm:ss", true}, DateFormatCase {"[h]:mm", true},
                        DateFormatCase {"[Red]yyyy", true}, DateFormatCase {"General", false},
                        DateFormatCase {"0.00", false}, DateFormatCase {"#,##0\" руб.\"", false},
                        DateFormatCase {"0.0\"days\"", false}, DateFormatCase {"[Red]0.00", false},
                        DateFormatCase {"[$-419]0", false}, DateFormatCase {"0\\d", false},
                        DateFormatCase {"0.00E+00", false}, DateFormatCase {"@", false},
                        DateFormatCase {"0;[Red]-0;\"d\"", false}));

} // namespace
