#include "Workbook.h"

#include "FormatError.h"
#include "SheetCells.h"
#include "TextCase.h"
#include "WorkbookGlobalsReader.h"

#include <algorithm>
#include <charconv>

namespace zort::xls {

namespace {

// A table may hold at most this many cells, or one per byte of a larger workbook stream: a
// small file cannot make us build a huge, mostly empty table.
constexpr std::size_t kMinCellLimit = 1 << 16;

std::string columnLetters(std::uint32_t column)
{
    std::string letters;
    ++column;
    while (column > 0) {
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
        column = (column - 1) / 26;
    }
    return letters;
}

// The shortest text that reads back as the same number ("3", "0.1", "1e+21").
std::string shortestNumber(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string columnName(const Cell &cell, std::size_t position)
{
    switch (cell.type) {
    case CellType::Text:
        if (!cell.text.empty())
            return cell.text;
        break;
    case CellType::Number:
    case CellType::Date:
        return shortestNumber(cell.number);
    case CellType::Boolean:
        return cell.number != 0 ? "TRUE" : "FALSE";
    case CellType::Error:
        return std::string(errorText(static_cast<std::uint8_t>(cell.number)));
    case CellType::Empty:
        break;
    }
    // Built up in two steps: GCC 12 warns falsely about "F" + std::to_string at -O3.
    std::string name = "F";
    name += std::to_string(position + 1);
    return name;
}

} // namespace

std::string areaToA1(const Area &area)
{
    if (area.wholeColumns)
        return columnLetters(area.firstColumn) + ":" + columnLetters(area.lastColumn);
    if (area.wholeRows)
        return std::to_string(area.firstRow + 1) + ":" + std::to_string(area.lastRow + 1);
    std::string first = columnLetters(area.firstColumn) + std::to_string(area.firstRow + 1);
    if (area.firstRow == area.lastRow && area.firstColumn == area.lastColumn)
        return first;
    return first + ":" + columnLetters(area.lastColumn) + std::to_string(area.lastRow + 1);
}

struct Workbook::Impl
{
    std::vector<std::byte> storage; // the stream, or the whole file the stream lies in
    std::span<const std::byte> stream;
    WorkbookGlobals globals;
    std::vector<std::string> sheetNames;
};

Workbook::Workbook(std::shared_ptr<Impl> impl)
    : m_impl(std::move(impl))
{ }

Workbook::Workbook(Workbook &&) noexcept = default;
Workbook &Workbook::operator=(Workbook &&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::fromWorkbookStream(std::vector<std::byte> stream)
{
    const std::size_t size = stream.size();
    return fromStorage(std::move(stream), 0, size);
}

Workbook Workbook::fromStorage(std::vector<std::byte> storage, std::size_t offset, std::size_t size)
{
    auto impl = std::make_shared<Impl>();
    impl->storage = std::move(storage);
    impl->stream = std::span<const std::byte>(impl->storage).subspan(offset, size);
    impl->globals = readWorkbookGlobals(impl->stream);
    for (const auto &sheet : impl->globals.sheets)
        impl->sheetNames.push_back(sheet.name);
    return Workbook(std::move(impl));
}

BiffVersion Workbook::version() const
{
    return m_impl->globals.version;
}

const std::vector<std::string> &Workbook::sheetNames() const
{
    return m_impl->sheetNames;
}

const std::vector<DefinedName> &Workbook::names() const
{
    return m_impl->globals.names;
}

const DefinedName *Workbook::findName(std::string_view name) const
{
    const DefinedName *local = nullptr;
    for (const auto &defined : m_impl->globals.names) {
        if (!equalsIgnoreCase(defined.name, name))
            continue;
        if (!defined.local())
            return &defined;
        if (!local)
            local = &defined;
    }
    return local;
}

Table Workbook::readTable(const DefinedName &name, TextReading reading) const
{
    const auto &globals = m_impl->globals;
    if (!name.area || name.sheet < 0
        || static_cast<std::size_t>(name.sheet) >= globals.sheets.size())
        throw FormatError(ErrorKind::NotATable,
                          name.error.empty() ? "The name \"" + name.name + "\" is not a table"
                                             : name.error);
    const std::size_t limit = std::max(kMinCellLimit, m_impl->stream.size());
    const bool decode = reading == TextReading::Decode;
    AreaCells cells = readAreaCells(m_impl->stream, globals, name.sheet, *name.area, limit, decode);

    Table table;
    if (!decode)
        table.strings = std::shared_ptr<const TextSource>(m_impl, &m_impl->globals.strings);
    table.columns.reserve(cells.width);
    for (std::size_t c = 0; c < cells.width; ++c) {
        Cell &header = cells.rows[0][c];
        if (header.sharedString != 0) {
            header.text = table.text(header);
            header.sharedString = 0;
        }
        table.columns.push_back(columnName(header, c));
    }
    table.rows.reserve(cells.rows.size() - 1);
    std::move(cells.rows.begin() + 1, cells.rows.end(), std::back_inserter(table.rows));
    return table;
}

Table Workbook::readTable(std::string_view name, TextReading reading) const
{
    const DefinedName *defined = findName(name);
    if (!defined)
        throw FormatError(ErrorKind::NameNotFound,
                          "The workbook has no name \"" + std::string(name) + "\"");
    return readTable(*defined, reading);
}

} // namespace zort::xls
