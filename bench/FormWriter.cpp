#include "FormWriter.h"

#include "WorkbookBuilder.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace zort::bench {

namespace {

using test::RecordBody;
using test::SheetBuilder;
using test::WorkbookBuilder;

constexpr std::uint16_t kFormula = 0x0006;

// An integer as an RK value, the way spreadsheet programs store small whole numbers.
std::uint32_t rkInteger(int value)
{
    return (static_cast<std::uint32_t>(value) << 2) | 0x2;
}

// The tokens of a check such as IF(D12<>SUM(D13:D15),1,0): about the length of the formulas
// real forms carry. The reader skips them; only their size matters here.
std::vector<std::byte> checkFormulaTokens(std::uint16_t row, std::uint16_t column)
{
    const auto relative = static_cast<std::uint16_t>(0xC000 | column);
    RecordBody t;
    t.u8(0x24).u16(row).u16(relative); // tRef
    t.u8(0x25).u16(static_cast<std::uint16_t>(row + 1)).u16(static_cast<std::uint16_t>(row + 3));
    t.u16(relative).u16(relative); // tArea
    t.u8(0x42).u8(1).u16(4); // tFuncVar SUM, one argument
    t.u8(0x0E); // tNE
    t.u8(0x19).u8(0x02).u16(7); // tAttr IF
    t.u8(0x1E).u16(1); // tInt 1
    t.u8(0x19).u8(0x08).u16(10); // tAttr goto
    t.u8(0x1E).u16(0); // tInt 0
    t.u8(0x19).u8(0x08).u16(3); // tAttr goto
    t.u8(0x42).u8(3).u16(1); // tFuncVar IF, three arguments
    return t.take();
}

// A FORMULA record with its cached number, as a spreadsheet program saves it.
void setFormula(SheetBuilder &sheet, std::uint16_t row, std::uint16_t column, double cached,
                const std::vector<std::byte> &tokens)
{
    RecordBody b;
    b.u16(row).u16(column).u16(0).f64(cached);
    b.u16(0).u32(0).u16(static_cast<std::uint16_t>(tokens.size())).bytes(tokens);
    sheet.addRecord(kFormula, b.take());
}

void writeTitle(WorkbookBuilder &book, const FormContent &form)
{
    SheetBuilder &title = book.addSheet("Титульный");
    title.setText(0, 0, "ID_Element").setText(0, 1, "Name").setText(0, 2, "Val");
    std::uint16_t row = 1;
    for (const Element &e : form.elements) {
        title.setText(row, 0, e.id).setText(row, 1, e.name).setText(row, 2, e.val);
        ++row;
    }
    // The visible part of a title sheet: captions beside the element table.
    title.setText(1, 5, "ГОСУДАРСТВЕННОЕ СТАТИСТИЧЕСКОЕ НАБЛЮДЕНИЕ");
    title.setText(2, 5, "КОНФИДЕНЦИАЛЬНОСТЬ ГАРАНТИРУЕТСЯ ПОЛУЧАТЕЛЕМ ИНФОРМАЦИИ");
    book.addName("Data_Adr", 0,
                 {.firstRow = 0,
                  .lastRow = static_cast<std::uint32_t>(form.elements.size()),
                  .firstColumn = 0,
                  .lastColumn = 2});
}

void writeChecks(WorkbookBuilder &book, const FormContent &form)
{
    SheetBuilder &checks = book.addSheet("Контроль");
    const char *header[] = {"ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"};
    for (std::uint16_t c = 0; c < 6; ++c)
        checks.setText(0, c, header[c]);
    std::uint16_t row = 1;
    for (const Check &check : form.checks) {
        checks.setMulRk(row, 0,
                        {rkInteger(check.form), rkInteger(check.section), rkInteger(check.rule),
                         rkInteger(check.check)});
        checks.setText(row, 4, check.name);
        setFormula(checks, row, 5, check.result,
                   checkFormulaTokens(static_cast<std::uint16_t>(10 + row % 200), 3));
        ++row;
    }
    book.addName("T_Check", 1,
                 {.firstRow = 0,
                  .lastRow = static_cast<std::uint32_t>(form.checks.size()),
                  .firstColumn = 0,
                  .lastColumn = 5});
}

// The data sheets the checks refer to: per row a line label, a line code, whole numbers,
// amounts with kopecks and a total formula.
void writeData(WorkbookBuilder &book, const FormContent &form)
{
    if (form.dataRows == 0)
        return;
    const std::size_t perSheet = (form.dataRows + form.sections - 1) / form.sections;
    std::size_t left = form.dataRows;
    for (std::size_t s = 0; s < form.sections && left > 0; ++s) {
        SheetBuilder &sheet = book.addSheet("Раздел " + std::to_string(s + 1));
        sheet.setText(0, 0, "Наименование показателя").setText(0, 1, "№ строки");
        const std::size_t rows = std::min(perSheet, left);
        left -= rows;
        for (std::size_t r = 1; r <= rows; ++r) {
            const auto row = static_cast<std::uint16_t>(r);
            char code[16];
            std::snprintf(code, sizeof code, "%03zu", r * 10 % 1000);
            sheet.setText(row, 0, "Показатель строки " + std::string(code));
            sheet.setText(row, 1, code);
            std::vector<std::uint32_t> counts;
            for (int c = 0; c < 6; ++c)
                counts.push_back(rkInteger(static_cast<int>((r * 31 + c * 17) % 5000)));
            sheet.setMulRk(row, 2, counts);
            for (std::uint16_t c = 8; c < 8 + FormContent::dataColumns - 6; ++c)
                sheet.setNumber(row, c, static_cast<double>(r * 1000 + c) + 0.37);
            setFormula(sheet, row, 14, static_cast<double>(r * 6), checkFormulaTokens(row, 2));
        }
    }
}

} // namespace

std::vector<std::byte> writeForm(const FormContent &form)
{
    WorkbookBuilder book;
    writeTitle(book, form);
    writeChecks(book, form);
    writeData(book, form);
    return book.build();
}

} // namespace zort::bench
