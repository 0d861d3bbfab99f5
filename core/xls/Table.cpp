#include "Table.h"

namespace zort::xls {

std::string_view errorText(std::uint8_t code)
{
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    case 0x2A:
        return "#N/A";
    default:
        return "#N/A";
    }
}

std::string Table::text(const Cell &cell) const
{
    if (cell.sharedString != 0 && strings)
        return strings->text(cell.sharedString - 1);
    return cell.text;
}

} // namespace zort::xls
