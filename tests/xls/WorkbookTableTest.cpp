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

} // namespace
