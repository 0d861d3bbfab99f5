#include "CellValues.h"
#include "WorkbookBuilder.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <gtest/gtest.h>

using namespace zort::xls;
using namespace zort::xls::testvalues;
using zort::test::WorkbookBuilder;

namespace {

// A "Data_Adr" table as our forms carry it, on the first of two sheets.
WorkbookBuilder dataAdrBook()
{
    WorkbookBuilder b;
    auto &title = b.addSheet("Титульный");
    b.addSheet("Контроль");
    title.setText(0, 0, "ID_Element").setText(0, 1, "Name").setText(0, 2, "Val");
    title.setText(1, 0, "P_OKUD").setText(1, 1, "Код формы").setText(1, 2, "0606024");
    title.setText(2, 0, "P_FormName").setText(2, 1, "Форма").setFormulaText(2, 2, "Сведения");
    b.addName("Data_Adr", 0, area(0, 0, 2, 2));
    return b;
}

TEST(WorkbookTable, ReadsANamedAreaWithColumnNamesFromItsFirstRow)
{
    const Workbook book = Workbook::fromBytes(dataAdrBook().build());
    EXPECT_EQ(book.version(), BiffVersion::Biff8);
    EXPECT_EQ(book.sheetNames(), (std::vector<std::string> {"Титульный", "Контроль"}));
    ASSERT_EQ(book.names().size(), 1u);
    EXPECT_EQ(book.names()[0].sheet, 0);
    EXPECT_EQ(areaToA1(*book.names()[0].area), "A1:C3");

    const Table table = book.readTable("data_adr");
    EXPECT_EQ(table.columns, (std::vector<std::string> {"ID_Element", "Name", "Val"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0],
              (std::vector<Cell> {text("P_OKUD"), text("Код формы"), text("0606024")}));
    EXPECT_EQ(table.rows[1],
              (std::vector<Cell> {text("P_FormName"), text("Форма"), text("Сведения")}));
}

TEST(WorkbookTable, HeaderCellsNameTheColumns)
{
    WorkbookBuilder b;
    auto &s = b.addSheet("S");
    // header: text, empty, number, fraction, formula text, blank; one data row
    s.setText(0, 0, "Name").setNumber(0, 2, 2023).setNumber(0, 3, 1.5);
    s.setFormulaText(0, 4, "Итог").setBlank(0, 5);
    s.setNumber(1, 0, 1).setNumber(1, 5, 6);
    b.addName("T", 0, area(0, 0, 1, 5));
    const Table t = Workbook::fromBytes(b.build()).readTable("T");
    EXPECT_EQ(t.columns, (std::vector<std::string> {"Name", "F2", "2023", "1.5", "Итог", "F6"}));
    EXPECT_EQ(t.rows.at(0), (std::vector<Cell> {number(1), empty, empty, empty, empty, number(6)}));
}

TEST(WorkbookTable, KeepsEmptyRowsInsideTheArea)
{
    WorkbookBuilder b;
    auto &s = b.addSheet("S");
    s.setText(0, 0, "A").setText(0, 1, "B");
    s.setNumber(1, 0, 1).setNumber(4, 1, 4);
    b.addName("T", 0, area(0, 0, 4, 1));
    const Table t = Workbook::fromBytes(b.build()).readTable("T");
    ASSERT_EQ(t.rows.size(), 4u);
    EXPECT_EQ(t.rows[0], (std::vector<Cell> {number(1), empty}));
    EXPECT_EQ(t.rows[1], (std::vector<Cell> {empty, empty}));
    EXPECT_EQ(t.rows[2], (std::vector<Cell> {empty, empty}));
    EXPECT_EQ(t.rows[3], (std::vector<Cell> {empty, number(4)}));
}

TEST(WorkbookTable, AnAreaPastTheUsedRangeEndsThere)
{
    for (const auto version : {BiffVersion::Biff8, BiffVersion::Biff5}) {
        WorkbookBuilder b(version);
        auto &s = b.addSheet("S");
        s.setText(0, 0, "ID").setText(0, 1, "Result");
        s.setText(1, 0, "a").setFormulaNumber(1, 1, 0);
        s.setText(2, 0, "b").setFormulaNumber(2, 1, 1);
        s.setText(7, 9, "elsewhere"); // widens and lengthens the used range beyond the table
        b.addName("Whole", 0, columns(0, 5)); // $A:$F
        b.addName("Box", 0, area(0, 0, 30, 1)); // A1:B31
        const Workbook book = Workbook::fromBytes(b.build());
        EXPECT_EQ(areaToA1(*book.findName("Whole")->area), "A:F");

        const Table whole = book.readTable("Whole");
        EXPECT_EQ(whole.columns,
                  (std::vector<std::string> {"ID", "Result", "F3", "F4", "F5", "F6"}));
        ASSERT_EQ(whole.rows.size(), 7u); // rows 2..8: the used range ends at row 8
        EXPECT_EQ(whole.rows[1][1], number(1));
        EXPECT_EQ(whole.rows[6], std::vector<Cell>(6));

        const Table box = book.readTable("Box");
        EXPECT_EQ(box.rows.size(), 7u);
        EXPECT_EQ(box.columns.size(), 2u);
    }
}

TEST(WorkbookTable, AnAreaBeyondEveryCellKeepsItsHeaderRow)
{
    WorkbookBuilder b;
    b.addSheet("S").setText(0, 0, "x");
    b.addName("Far", 0, area(10, 3, 20, 5));
    const Table t = Workbook::fromBytes(b.build()).readTable("Far");
    EXPECT_EQ(t.columns, std::vector<std::string> {"F1"});
    EXPECT_TRUE(t.rows.empty());
}

TEST(WorkbookTable, AHugeAreaFromATinyFileIsRefused)
{
    WorkbookBuilder b;
    auto &s = b.addSheet("S");
    s.setText(0, 0, "x").setBlank(65535, 255);
    b.addName("All", 0, columns(0, 255));
    const Workbook book = Workbook::fromBytes(b.build());
    try {
        book.readTable("All");
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::Corrupt);
        EXPECT_NE(std::string(e.what()).find("A:IV"), std::string::npos) << e.what();
    }
}

TEST(WorkbookTable, ANameThatIsMissingIsReported)
{
    const Workbook book = Workbook::fromBytes(dataAdrBook().build());
    try {
        book.readTable("T_Check");
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::NameNotFound);
        EXPECT_EQ(std::string(e.what()), "The workbook has no name \"T_Check\"");
    }
}

TEST(WorkbookTable, Biff5WithWindows1251Texts)
{
    WorkbookBuilder b(BiffVersion::Biff5);
    auto &s = b.addSheet("Титульный");
    s.setText(0, 0, "ID_Element").setText(0, 1, "Name").setText(0, 2, "Val");
    s.setText(1, 0, "P_OKUD").setText(1, 1, "Код формы").setText(1, 2, "0606024");
    b.addName("Данные", 0, area(0, 0, 1, 2));
    const Workbook book = Workbook::fromBytes(b.build());
    EXPECT_EQ(book.version(), BiffVersion::Biff5);
    EXPECT_EQ(book.sheetNames(), std::vector<std::string> {"Титульный"});
    ASSERT_EQ(book.names().size(), 1u);
    EXPECT_EQ(book.names()[0].name, "Данные");
    const Table t = book.readTable("данные");
    EXPECT_EQ(t.rows.at(0),
              (std::vector<Cell> {text("P_OKUD"), text("Код формы"), text("0606024")}));
}

} // namespace
