#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zort::xls {

enum class CellType : std::uint8_t {
    Empty,
    Number,
    Text, // text is UTF-8
    Boolean, // number is 0 or 1
    Error, // number is the BIFF error code (0x07 is #DIV/0!)
    Date, // a number whose cell format is a date or time; number is the serial
};

struct Cell
{
    CellType type = CellType::Empty;
    double number = 0;
    std::string text;
    // A text cell whose text was left in the workbook's shared strings (a table read with
    // TextReading::OnDemand): 1 + the string's index, and `text` is empty. 0 otherwise.
    std::uint32_t sharedString = 0;

    friend bool operator==(const Cell &, const Cell &) = default;
};

// The spreadsheet's own text for a BIFF error code ("#DIV/0!"), "#N/A" for unknown codes.
std::string_view errorText(std::uint8_t code);

// Decodes the shared strings a table read with TextReading::OnDemand left in the workbook.
class TextSource
{
public:
    virtual ~TextSource() = default;
    // Throws FormatError Corrupt for an index past the strings.
    virtual std::string text(std::uint32_t index) const = 0;
};

// A named area read as a table: the first row names the columns, every further row of the
// area is a record (empty rows included); an area past the sheet's used range ends there.
struct Table
{
    std::vector<std::string> columns; // UTF-8; an empty header cell is "F<n>", n 1-based
    std::vector<std::vector<Cell>> rows; // every row has columns.size() cells
    // What decodes the cells with sharedString set; it keeps the workbook's data alive.
    std::shared_ptr<const TextSource> strings {};

    // A text cell's text, decoded from the shared strings when it was left there; empty for
    // other cells.
    std::string text(const Cell &cell) const;
};

} // namespace zort::xls
