#include "SheetCells.h"

#include "BiffRecords.h"
#include "ByteReader.h"
#include "CodePage.h"
#include "ContinuedReader.h"
#include "FormatError.h"

#include <algorithm>
#include <bit>

namespace zort::xls {

namespace {

constexpr std::uint16_t kMaxColumn = 0xFF; // a BIFF sheet has columns A..IV

double rkNumber(std::uint32_t rk)
{
    double value = 0;
    if (rk & 0x02)
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    else
        value = std::bit_cast<double>(std::uint64_t {rk & 0xFFFFFFFCu} << 32);
    if (rk & 0x01)
        value /= 100;
    return value;
}

std::string bytesText(std::uint16_t codePage, std::span<const std::byte> bytes)
{
    return decodeCodePage(codePage, {reinterpret_cast<const char *>(bytes.data()), bytes.size()});
}

// Collects the cells of one area while walking a sheet's records.
class AreaCollector
{
public:
    AreaCollector(std::span<const std::byte> stream, const WorkbookGlobals &globals,
                  const Area &area, std::size_t cellLimit, bool decodeSharedStrings)
        : m_stream(stream)
        , m_globals(globals)
        , m_area(area)
        , m_limit(cellLimit)
        , m_decodeSharedStrings(decodeSharedStrings)
    {
        const std::uint16_t lastColumn = std::min(area.lastColumn, kMaxColumn);
        m_width = area.firstColumn > lastColumn ? 1 : lastColumn - area.firstColumn + 1;
    }

    void read(std::size_t offset, const std::string &sheetName);
    AreaCells finish();

private:
    void handle(const Record &r, RecordReader &reader);
    void cellRecord(const Record &r, RecordReader &reader);
    // Notes a used cell; returns the slot for it when it lies inside the area.
    Cell *use(std::uint32_t row, std::uint16_t column);
    void numberCell(Cell *cell, double value, std::uint16_t xf) const;
    std::string labelText(const Record &r, RecordReader &reader, std::size_t skip);
    void ensureRows(std::size_t count);

    std::span<const std::byte> m_stream;
    const WorkbookGlobals &m_globals;
    Area m_area;
    std::size_t m_limit;
    bool m_decodeSharedStrings;
    std::size_t m_width = 1;
    std::vector<std::vector<Cell>> m_rows;
    bool m_used = false;
    std::uint32_t m_lastRow = 0;
    std::uint16_t m_lastColumn = 0;
    // The cell of a FORMULA whose text result comes in the next STRING record.
    std::uint32_t m_pendingRow = 0;
    std::uint16_t m_pendingColumn = 0;
    bool m_pending = false;
};

void AreaCollector::read(std::size_t offset, const std::string &sheetName)
{
    RecordReader reader(m_stream, offset);
    Record r;
    if (offset >= m_stream.size() || !reader.next(r) || !r.is(RecordType::Bof))
        throw FormatError(ErrorKind::Corrupt,
                          "The sheet \"" + sheetName + "\" should start at offset "
                                  + std::to_string(offset) + ", but no BOF record is there");
    // Embedded charts bring BOF..EOF substreams of their own; only the outer level has cells.
    int depth = 1;
    while (depth > 0 && reader.next(r)) {
        if (r.is(RecordType::Bof)) {
            ++depth;
        } else if (r.is(RecordType::Eof)) {
            --depth;
        } else if (depth == 1) {
            try {
                handle(r, reader);
            } catch (const FormatError &e) {
                const std::string_view message = e.what();
                if (e.kind() != ErrorKind::Corrupt || message.starts_with("record ")
                    || message.starts_with("The "))
                    throw;
                throw FormatError(ErrorKind::Corrupt, recordPlace(r.type, r.offset) + e.what());
            }
        }
    }
    if (depth > 0)
        throw FormatError(ErrorKind::Corrupt, "Truncated workbook stream: the sheet \"" + sheetName
                                                      + "\" ends at offset "
                                                      + std::to_string(reader.position())
                                                      + " without its EOF record");
}

void AreaCollector::ensureRows(std::size_t count)
{
    if (count <= m_rows.size())
        return;
    if (count > m_limit / m_width)
        throw FormatError(ErrorKind::Corrupt,
                          "The area " + areaToA1(m_area) + " would hold "
                                  + std::to_string(count * m_width)
                                  + " cells, far more than this workbook's size can explain");
    const std::size_t first = m_rows.size();
    m_rows.resize(count);
    for (std::size_t i = first; i < count; ++i)
        m_rows[i].resize(m_width);
}

Cell *AreaCollector::use(std::uint32_t row, std::uint16_t column)
{
    if (!m_used) {
        m_used = true;
        m_lastRow = row;
        m_lastColumn = column;
    } else {
        m_lastRow = std::max(m_lastRow, row);
        m_lastColumn = std::max(m_lastColumn, column);
    }
    if (row < m_area.firstRow || row > m_area.lastRow || column < m_area.firstColumn
        || column > m_area.lastColumn || column > kMaxColumn)
        return nullptr;
    const std::size_t index = row - m_area.firstRow;
    ensureRows(index + 1);
    return &m_rows[index][column - m_area.firstColumn];
}

void AreaCollector::numberCell(Cell *cell, double value, std::uint16_t xf) const
{
    cell->type = m_globals.formats.isDate(xf) ? CellType::Date : CellType::Number;
    cell->number = value;
    cell->text.clear();
}

std::string AreaCollector::labelText(const Record &r, RecordReader &reader, std::size_t skip)
{
    if (m_globals.version == BiffVersion::Biff5) {
        ByteReader in(r.data, r.dataOffset());
        in.skip(skip, "cell position");
        const std::uint16_t length = in.u16("text length");
        return bytesText(m_globals.codePage, in.bytes(length, "text"));
    }
    // A long BIFF8 text may go on in CONTINUE records.
    if (reader.peekType() == static_cast<std::uint16_t>(RecordType::Continue)) {
        const auto fragments = readContinued(reader, r);
        ContinuedReader in(fragments, r.type);
        in.skip(skip, "cell position");
        const std::uint16_t length = in.u16("text length");
        return in.unicodeString(length);
    }
    const Fragment whole {r.data, r.dataOffset()};
    ContinuedReader in(std::span<const Fragment>(&whole, 1), r.type);
    in.skip(skip, "cell position");
    const std::uint16_t length = in.u16("text length");
    return in.unicodeString(length);
}

void AreaCollector::handle(const Record &r, RecordReader &reader)
{
    switch (static_cast<RecordType>(r.type)) {
    case RecordType::String: {
        if (!m_pending)
            return; // a STRING after no text-result FORMULA carries nothing of ours
        m_pending = false;
        const std::uint32_t row = m_pendingRow;
        const std::uint16_t column = m_pendingColumn;
        Cell &cell = m_rows[row - m_area.firstRow][column - m_area.firstColumn];
        cell.type = CellType::Text;
        cell.text = labelText(r, reader, 0);
        return;
    }
    case RecordType::ShrFmla:
    case RecordType::Array:
    case RecordType::Table:
    case RecordType::Continue:
        return; // may stand between a FORMULA and its STRING
    default:
        cellRecord(r, reader);
    }
}

void AreaCollector::cellRecord(const Record &r, RecordReader &reader)
{
    const auto type = static_cast<RecordType>(r.type);
    switch (type) {
    case RecordType::Number:
    case RecordType::Rk:
    case RecordType::Label:
    case RecordType::LabelSst:
    case RecordType::RString:
    case RecordType::BoolErr:
    case RecordType::Blank:
    case RecordType::Formula:
    case RecordType::MulRk:
    case RecordType::MulBlank:
        break;
    default:
        return;
    }
    m_pending = false;
    ByteReader in(r.data, r.dataOffset());
    const std::uint16_t row = in.u16("cell row");
    const std::uint16_t column = in.u16("cell column");

    if (type == RecordType::MulRk || type == RecordType::MulBlank) {
        const std::size_t itemSize = type == RecordType::MulRk ? 6 : 2;
        if (r.data.size() < 6 || (r.data.size() - 6) % itemSize != 0)
            throw FormatError(ErrorKind::Corrupt,
                              "a row of cells has a size of " + std::to_string(r.data.size())
                                      + " bytes, which fits no whole number of cells");
        const std::size_t count = (r.data.size() - 6) / itemSize;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t xf = in.u16("cell format");
            const std::uint32_t rk = type == RecordType::MulRk ? in.u32("RK number") : 0;
            const std::size_t c = std::size_t {column} + i;
            if (c > kMaxColumn)
                break;
            Cell *cell = use(row, static_cast<std::uint16_t>(c));
            if (cell && type == RecordType::MulRk)
                numberCell(cell, rkNumber(rk), xf);
            else if (cell)
                *cell = Cell {};
        }
        return;
    }

    const std::uint16_t xf = in.u16("cell format");
    if (column > kMaxColumn)
        return; // past column IV: no sheet of this format has it
    Cell *cell = use(row, column);
    if (!cell)
        return;
    switch (type) {
    case RecordType::Number:
        numberCell(cell, in.f64("number"), xf);
        break;
    case RecordType::Rk:
        numberCell(cell, rkNumber(in.u32("RK number")), xf);
        break;
    case RecordType::Label:
    case RecordType::RString:
        *cell = Cell {CellType::Text, 0, labelText(r, reader, 6)};
        break;
    case RecordType::LabelSst:
        if (m_globals.version != BiffVersion::Biff8)
            throw FormatError(ErrorKind::Corrupt, "a shared-string cell in a BIFF5 sheet");
        {
            const std::uint32_t index = in.u32("shared string index");
            if (m_decodeSharedStrings) {
                *cell = Cell {CellType::Text, 0, m_globals.strings.text(index, r.type, r.offset)};
            } else {
                m_globals.strings.requireIndex(index, r.type, r.offset);
                *cell = Cell {CellType::Text, 0, {}, index + 1};
            }
            break;
        }
    case RecordType::BoolErr: {
        const std::uint8_t value = in.u8("cell value");
        const bool isError = in.u8("cell value kind") != 0;
        *cell = Cell {isError ? CellType::Error : CellType::Boolean,
                      isError ? double(value) : double(value != 0),
                      {}};
        break;
    }
    case RecordType::Blank:
        *cell = Cell {};
        break;
    case RecordType::Formula: {
        const auto result = in.bytes(8, "formula result");
        if (loadU16(result.data() + 6) != 0xFFFF) {
            numberCell(cell, std::bit_cast<double>(loadU64(result.data())), xf);
            break;
        }
        const auto kind = std::to_integer<std::uint8_t>(result[0]);
        const auto value = std::to_integer<std::uint8_t>(result[2]);
        switch (kind) {
        case 0: // the text follows in a STRING record
            *cell = Cell {CellType::Text, 0, {}};
            m_pending = true;
            m_pendingRow = row;
            m_pendingColumn = column;
            break;
        case 1:
            *cell = Cell {CellType::Boolean, double(value != 0), {}};
            break;
        case 2:
            *cell = Cell {CellType::Error, double(value), {}};
            break;
        case 3:
            *cell = Cell {CellType::Text, 0, {}};
            break;
        default:
            *cell = Cell {};
        }
        break;
    }
    default:
        break;
    }
}

AreaCells AreaCollector::finish()
{
    std::size_t rows = 1;
    std::size_t width = 1;
    if (m_used) {
        if (m_lastRow >= m_area.firstRow)
            rows = std::min(m_lastRow, m_area.lastRow) - m_area.firstRow + 1;
        if (m_lastColumn >= m_area.firstColumn)
            width = std::min<std::size_t>(
                    std::min(m_lastColumn, m_area.lastColumn) - m_area.firstColumn + 1, m_width);
    }
    ensureRows(rows);
    m_rows.resize(rows);
    for (auto &row : m_rows)
        row.resize(width);
    return {std::move(m_rows), width};
}

} // namespace

AreaCells readAreaCells(std::span<const std::byte> stream, const WorkbookGlobals &globals,
                        int sheet, const Area &area, std::size_t cellLimit,
                        bool decodeSharedStrings)
{
    AreaCollector collector(stream, globals, area, cellLimit, decodeSharedStrings);
    const SheetEntry &entry = globals.sheets.at(static_cast<std::size_t>(sheet));
    collector.read(entry.offset, entry.name);
    return collector.finish();
}

} // namespace zort::xls
