#include "CellValues.h"
#include "WorkbookBuilder.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <functional>
#include <gtest/gtest.h>

using namespace zort::xls;
using namespace zort::xls::testvalues;
using zort::test::RecordBody;
using zort::test::WorkbookBuilder;

namespace {

// Two sheets, each with a one-column table whose only value names the sheet.
WorkbookBuilder twoSheets(BiffVersion version = BiffVersion::Biff8)
{
    WorkbookBuilder b(version);
    b.addSheet("Первый").setText(0, 0, "Где").setText(1, 0, "на первом");
    b.addSheet("Второй").setText(0, 0, "Где").setText(1, 0, "на втором");
    return b;
}

TEST(DefinedNames, ASheetLocalNameBesideAGlobalOneOfTheSameName)
{
    for (const auto version : {BiffVersion::Biff8, BiffVersion::Biff5}) {
        WorkbookBuilder b = twoSheets(version);
        b.addName("T_Check", 0, area(0, 0, 1, 0), 0); // local to the first sheet
        b.addName("T_Check", 1, area(0, 0, 1, 0)); // workbook-level, over the second
        const Workbook book = Workbook::fromBytes(b.build());
        ASSERT_EQ(book.names().size(), 2u);
        EXPECT_TRUE(book.names()[0].local());
        EXPECT_EQ(book.names()[0].scopeSheet, 0);
        EXPECT_FALSE(book.names()[1].local());

        // the workbook-level name wins the lookup; the local one is still readable
        EXPECT_EQ(book.findName("t_check"), &book.names()[1]);
        EXPECT_EQ(book.readTable("T_CHECK").rows.at(0).at(0), text("на втором"));
        EXPECT_EQ(book.readTable(book.names()[0]).rows.at(0).at(0), text("на первом"));
    }
}

TEST(DefinedNames, OnlyLocalNamesFoundInWorkbookOrder)
{
    WorkbookBuilder b = twoSheets();
    b.addName("Data_Adr", 1, area(0, 0, 1, 0), 1);
    b.addName("Data_Adr", 0, area(0, 0, 1, 0), 0);
    const Workbook book = Workbook::fromBytes(b.build());
    EXPECT_EQ(book.findName("DATA_ADR"), &book.names()[0]);
    EXPECT_EQ(book.findName("Data_Ad"), nullptr);
}

TEST(DefinedNames, CyrillicNamesMatchIgnoringCase)
{
    WorkbookBuilder b = twoSheets();
    b.addName("Проверки", 1, area(0, 0, 1, 0));
    const Workbook book = Workbook::fromBytes(b.build());
    ASSERT_NE(book.findName("ПРОВЕРКИ"), nullptr);
    EXPECT_EQ(book.findName("ПРОВЕРКИ")->sheet, 1);
}

TEST(DefinedNames, BuiltInNamesAreLeftOut)
{
    WorkbookBuilder b = twoSheets();
    // _FilterDatabase is built-in name 0x0D, stored as one character with the 0x20 flag
    b.addNameFormula(std::string(1, '\x0D'),
                     WorkbookBuilder::area3d(b.externSheet(0, 0, 0), area(0, 0, 1, 0)), 0, 0x0020);
    b.addName("Mine", 0, area(0, 0, 1, 0));
    const Workbook book = Workbook::fromBytes(b.build());
    ASSERT_EQ(book.names().size(), 1u);
    EXPECT_EQ(book.names()[0].name, "Mine");
}

struct NotATableCase
{
    const char *what;
    std::function<std::vector<std::byte>(WorkbookBuilder &)> formula;
    const char *reason;
};

void PrintTo(const NotATableCase &c, std::ostream *os)
{
    *os << c.what;
}

class NotATable : public testing::TestWithParam<NotATableCase>
{
};

TEST_P(NotATable, HasNoAreaAndSaysWhy)
{
    WorkbookBuilder b = twoSheets();
    b.addNameFormula("Odd", GetParam().formula(b));
    const Workbook book = Workbook::fromBytes(b.build());
    ASSERT_EQ(book.names().size(), 1u);
    const DefinedName &name = book.names()[0];
    EXPECT_FALSE(name.area.has_value());
    EXPECT_EQ(name.error, std::string("The name \"Odd\" is not a table: ") + GetParam().reason);
    try {
        book.readTable("Odd");
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::NotATable);
        EXPECT_EQ(std::string(e.what()), name.error);
    }
}

std::vector<std::byte> constant(WorkbookBuilder &)
{
    return RecordBody().u8(0x1E).u16(5).take(); // =5
}

INSTANTIATE_TEST_SUITE_P(
        Formulas, NotATable,
        testing::Values(NotATableCase {"a constant", constant,
                                       "its formula is not a single area or cell reference"},
                        NotATableCase {"no formula",
                                       [](auto &) { return std::vector<std::byte> {}; },
                                       "it has no formula"},
                        NotATableCase {"two areas",
                                       [](auto &b) {
                                           auto f = WorkbookBuilder::area3d(b.externSheet(0, 0, 0),
                                                                            area(0, 0, 1, 0));
                                           auto g = WorkbookBuilder::area3d(b.externSheet(0, 1, 1),
                                                                            area(0, 0, 1, 0));
                                           f.insert(f.end(), g.begin(), g.end());
                                           f.push_back(std::byte {0x10}); // union
                                           return f;
                                       },
                                       "its formula is not a single area or cell reference"},
                        NotATableCase {"another workbook",
                                       [](auto &b) {
                                           const auto book = b.addExternalBook();
                                           return WorkbookBuilder::area3d(b.externSheet(book, 0, 0),
                                                                          area(0, 0, 1, 0));
                                       },
                                       "it refers to another workbook"},
                        NotATableCase {"a deleted sheet",
                                       [](auto &b) {
                                           return WorkbookBuilder::area3d(
                                                   b.externSheet(0, 0xFFFF, 0xFFFF),
                                                   area(0, 0, 1, 0));
                                       },
                                       "it refers to a deleted sheet"},
                        NotATableCase {"several sheets",
                                       [](auto &b) {
                                           return WorkbookBuilder::area3d(b.externSheet(0, 0, 1),
                                                                          area(0, 0, 1, 0));
                                       },
                                       "it spans several sheets"},
                        NotATableCase {"a sheet past the last",
                                       [](auto &b) {
                                           return WorkbookBuilder::area3d(b.externSheet(0, 5, 5),
                                                                          area(0, 0, 1, 0));
                                       },
                                       "it refers to sheet 5, which does not exist"},
                        NotATableCase {"a missing EXTERNSHEET entry",
                                       [](auto &b) {
                                           b.externSheet(0, 0, 0);
                                           return WorkbookBuilder::area3d(9, area(0, 0, 1, 0));
                                       },
                                       "its reference points to a missing EXTERNSHEET entry 9"},
                        NotATableCase {"#REF!",
                                       [](auto &) {
                                           return RecordBody().u8(0x3D).u16(0).u32(0).u32(0).take();
                                       },
                                       "its reference is invalid (#REF!)"},
                        NotATableCase {"cut short",
                                       [](auto &) { return RecordBody().u8(0x3B).u16(0).take(); },
                                       "its formula is cut short"}),
        [](const auto &info) { return "case" + std::to_string(info.index); });

TEST(DefinedNames, PlainAndCellReferences)
{
    WorkbookBuilder b = twoSheets();
    // ptgArea (value class) without a sheet: on the name's own sheet
    b.addNameFormula("Plain", RecordBody().u8(0x45).u16(0).u16(1).u16(0).u16(0).take(), 1);
    b.addName("Cell", 1, area(1, 0, 1, 0));
    const Workbook book = Workbook::fromBytes(b.build());
    ASSERT_EQ(book.names().size(), 2u);
    EXPECT_EQ(book.names()[0].sheet, 1);
    EXPECT_EQ(areaToA1(*book.names()[0].area), "A1:A2");
    EXPECT_EQ(areaToA1(*book.names()[1].area), "A2");
    const Table cell = book.readTable("Cell");
    EXPECT_EQ(cell.columns, std::vector<std::string> {"на втором"});
    EXPECT_TRUE(cell.rows.empty());
}

TEST(AreaToA1, SpellsAreasAsTheSpreadsheetDoes)
{
    EXPECT_EQ(areaToA1(area(0, 0, 11, 2)), "A1:C12");
    EXPECT_EQ(areaToA1(area(2, 1, 2, 1)), "B3");
    EXPECT_EQ(areaToA1(area(0, 26, 65535, 255)), "AA1:IV65536");
    EXPECT_EQ(areaToA1(columns(0, 5)), "A:F");
    EXPECT_EQ(areaToA1({2, 4, 0, 255, false, true}), "3:5");
}

} // namespace
