#pragma once

#include "BiffWriter.h"
#include "CompoundFileWriter.h"
#include "xls/Workbook.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zort::test {

// BIFF error codes for setError and setFormulaError.
constexpr std::uint8_t kErrorDiv0 = 0x07;
constexpr std::uint8_t kErrorNa = 0x2A;

// The cells of one sheet, written as records in the order they are set.
class SheetBuilder
{
public:
    SheetBuilder(std::string name, xls::BiffVersion version, class WorkbookBuilder &book)
        : m_name(std::move(name))
        , m_version(version)
        , m_book(book)
    { }

    const std::string &name() const { return m_name; }

    // A text cell: LABELSST through the shared strings (BIFF8), LABEL in BIFF5.
    SheetBuilder &setText(std::uint16_t row, std::uint16_t column, std::string_view utf8);
    // A text cell as a LABEL record with the text inline.
    SheetBuilder &setLabel(std::uint16_t row, std::uint16_t column, std::string_view utf8);
    SheetBuilder &setNumber(std::uint16_t row, std::uint16_t column, double value,
                            std::uint16_t xf = 0);
    // A number as an RK record with the raw 32-bit RK value.
    SheetBuilder &setRk(std::uint16_t row, std::uint16_t column, std::uint32_t rk,
                        std::uint16_t xf = 0);
    SheetBuilder &setMulRk(std::uint16_t row, std::uint16_t firstColumn,
                           const std::vector<std::uint32_t> &rks);
    // A number with the built-in date format (the number is the serial).
    SheetBuilder &setDate(std::uint16_t row, std::uint16_t column, double serial);
    SheetBuilder &setBoolean(std::uint16_t row, std::uint16_t column, bool value);
    SheetBuilder &setError(std::uint16_t row, std::uint16_t column, std::uint8_t code);
    SheetBuilder &setBlank(std::uint16_t row, std::uint16_t column);
    SheetBuilder &setMulBlank(std::uint16_t row, std::uint16_t firstColumn,
                              std::uint16_t lastColumn);
    // FORMULA records with a cached result; the formula itself is a constant.
    SheetBuilder &setFormulaNumber(std::uint16_t row, std::uint16_t column, double value);
    // FORMULA + STRING; `between` records (SHRFMLA, ARRAY, TABLE) may stand between them.
    SheetBuilder &setFormulaText(std::uint16_t row, std::uint16_t column, std::string_view utf8,
                                 std::uint16_t between = 0);
    SheetBuilder &setFormulaBoolean(std::uint16_t row, std::uint16_t column, bool value);
    SheetBuilder &setFormulaError(std::uint16_t row, std::uint16_t column, std::uint8_t code);
    SheetBuilder &setFormulaEmpty(std::uint16_t row, std::uint16_t column);
    // Any record, for damaged or unusual cases.
    SheetBuilder &addRecord(std::uint16_t type, const std::vector<std::byte> &body);
    // A record whose header declares `declaredSize` bytes (more than the body, when cut short).
    SheetBuilder &addRawRecord(std::uint16_t type, std::uint16_t declaredSize,
                               const std::vector<std::byte> &body);

    void writeTo(BiffWriter &out) const;

private:
    RecordBody cellStart(std::uint16_t row, std::uint16_t column, std::uint16_t xf = 0) const;
    std::vector<std::byte> formulaBody(std::uint16_t row, std::uint16_t column,
                                       const RecordBody &result) const;

    struct Raw
    {
        std::uint16_t type;
        std::uint16_t declaredSize;
        std::vector<std::byte> body;
    };
    std::string m_name;
    xls::BiffVersion m_version;
    class WorkbookBuilder &m_book;
    std::vector<Raw> m_records;
};

// Builds a workbook in memory, BIFF8 by default or BIFF5:
//   WorkbookBuilder b;
//   auto &s = b.addSheet("Титульный");
//   s.setText(0, 0, "ID_Element");
//   b.addName("Data_Adr", 0, {.firstRow = 0, .lastRow = 11, .lastColumn = 2});
//   std::vector<std::byte> file = b.build();
class WorkbookBuilder
{
public:
    explicit WorkbookBuilder(xls::BiffVersion version = xls::BiffVersion::Biff8);

    xls::BiffVersion version() const { return m_version; }
    // Sheets keep their addresses while more are added.
    SheetBuilder &addSheet(std::string name);
    SheetBuilder &sheet(std::size_t index) { return m_sheets.at(index); }

    // A name over an area of a sheet of this workbook, as a 3-D reference (through EXTERNSHEET
    // in BIFF8); scopeSheet >= 0 makes it local to that sheet. Whole columns: set
    // area.wholeColumns (rows are then written as the full height).
    void addName(const std::string &name, int sheet, const xls::Area &area, int scopeSheet = -1);
    // A name with the formula bytes given as they are.
    void addNameFormula(const std::string &name, const std::vector<std::byte> &formula,
                        int scopeSheet = -1, std::uint16_t flags = 0);
    // BIFF8 EXTERNSHEET entry; supBook 0 is this workbook, addExternalBook adds others.
    std::uint16_t externSheet(std::uint16_t supBook, std::uint16_t firstSheet,
                              std::uint16_t lastSheet);
    std::uint16_t addExternalBook();
    // The formula bytes of a 3-D area reference through an EXTERNSHEET entry (BIFF8).
    static std::vector<std::byte> area3d(std::uint16_t externSheet, const xls::Area &area);

    void setCodePage(std::uint16_t codePage) { m_codePage = codePage; }
    // A custom number format; returns the XF index that uses it.
    std::uint16_t addNumberFormat(const std::string &code);
    std::uint16_t addXf(std::uint16_t formatId);
    std::uint16_t dateXf() const { return m_dateXf; }
    // Index of a text in the shared strings (added when new).
    std::uint32_t sharedString(std::string_view utf8);
    // Largest SST/CONTINUE body; small values force strings to be split.
    void setSstRecordLimit(std::size_t limit) { m_sstLimit = limit; }
    // Shared strings written with rich-text runs and phonetic data of these sizes.
    void setSstExtras(std::uint16_t runs, std::uint32_t phoneticBytes);
    // A FILEPASS record in the globals.
    void setEncrypted(bool encrypted) { m_encrypted = encrypted; }
    // Records added at the end of the globals, for damaged or unusual cases.
    void addGlobalRecord(std::uint16_t type, const std::vector<std::byte> &body);

    // The bare workbook stream.
    std::vector<std::byte> buildStream() const;
    // The stream in a compound file ("Workbook" for BIFF8, "Book" for BIFF5).
    std::vector<std::byte> build(const CompoundFileOptions &options = {}) const;
    void writeFile(const std::string &path) const;

private:
    void writeSst(BiffWriter &out) const;

    struct NameEntry
    {
        std::string name;
        std::vector<std::byte> formula;
        int scopeSheet;
        std::uint16_t flags;
    };

    xls::BiffVersion m_version;
    std::deque<SheetBuilder> m_sheets;
    std::vector<NameEntry> m_names;
    std::vector<std::array<std::uint16_t, 3>> m_externSheets;
    std::uint16_t m_externalBooks = 0;
    std::vector<std::pair<std::uint16_t, std::string>> m_formats;
    std::vector<std::uint16_t> m_xfFormats;
    std::uint16_t m_dateXf = 0;
    std::vector<std::string> m_strings;
    std::size_t m_sstLimit = 8224;
    std::uint16_t m_sstRuns = 0;
    std::uint32_t m_sstPhonetic = 0;
    std::uint16_t m_codePage = 1251;
    bool m_encrypted = false;
    std::vector<std::pair<std::uint16_t, std::vector<std::byte>>> m_extraGlobals;
};

} // namespace zort::test
