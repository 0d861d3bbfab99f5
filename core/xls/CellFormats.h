#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zort::xls {

// Whether a number format shows a date or a time: a d, m, y, h or s code outside quoted text
// and brackets ("[h]:mm" counts; "[Red]" and "[$-419]" do not).
bool isDateFormatString(std::string_view format);

// Which cell formats (XF records) show numbers as dates or times, from the FORMAT and XF
// records of the workbook globals.
class CellFormats
{
public:
    void addFormat(std::uint16_t id, std::string_view format);
    void addXf(std::uint16_t formatId);
    // Settles each cell format once all FORMAT and XF records are in.
    void finish();

    // True when the cell format with this index shows a date or a time; false for an unknown
    // index.
    bool isDate(std::uint16_t xfIndex) const;

private:
    bool isDateFormat(std::uint16_t formatId) const;

    std::unordered_map<std::uint16_t, bool> m_customIsDate;
    std::vector<std::uint16_t> m_xfFormats;
    std::vector<bool> m_xfIsDate;
};

} // namespace zort::xls
