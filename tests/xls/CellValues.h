#pragma once

#include "xls/Table.h"
#include "xls/Workbook.h"

#include <ostream>
#include <string>

namespace zort::xls {

inline void PrintTo(const Cell &cell, std::ostream *os)
{
    static const char *const kTypes[] = {"empty", "number", "text", "boolean", "error", "date"};
    *os << kTypes[static_cast<int>(cell.type)] << "(" << cell.number << ", \"" << cell.text
        << "\")";
}

} // namespace zort::xls

// Short spellings of expected cell values and areas for the reader's tests.
namespace zort::xls::testvalues {

inline Cell text(std::string t)
{
    return {CellType::Text, 0, std::move(t)};
}

inline Cell number(double n)
{
    return {CellType::Number, n, {}};
}

inline Cell date(double serial)
{
    return {CellType::Date, serial, {}};
}

inline Cell boolean(bool b)
{
    return {CellType::Boolean, b ? 1.0 : 0.0, {}};
}

inline Cell error(std::uint8_t code)
{
    return {CellType::Error, double(code), {}};
}

inline const Cell empty {};

// Rows and columns 0-based, inclusive.
inline Area area(std::uint32_t firstRow, std::uint16_t firstColumn, std::uint32_t lastRow,
                 std::uint16_t lastColumn)
{
    return {firstRow, lastRow, firstColumn, lastColumn, false, false};
}

inline Area columns(std::uint16_t firstColumn, std::uint16_t lastColumn)
{
    return {0, 0xFFFF, firstColumn, lastColumn, true, false};
}

} // namespace zort::xls::testvalues
