#include "CellFormats.h"

namespace zort::xls {

namespace {

bool isDateLetter(char c)
{
    switch (c) {
    case 'd':
    case 'D':
    case 'm':
    case 'M':
    case 'y':
    case 'Y':
    case 'h':
    case 'H':
    case 's':
    case 'S':
        return true;
    default:
        return false;
    }
}

// "[h]", "[mm]", "[ss]": elapsed-time codes, the only brackets that make a format a time.
bool isElapsedTime(std::string_view inside)
{
    if (inside.empty())
        return false;
    for (char c : inside) {
        if (c != 'h' && c != 'H' && c != 'm' && c != 'M' && c != 's' && c != 'S')
            return false;
    }
    return true;
}

// The built-in formats that are dates or times: 14-22 and 45-47.
bool isBuiltInDate(std::uint16_t id)
{
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

} // namespace

bool isDateFormatString(std::string_view format)
{
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '"') {
            const std::size_t close = format.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
        } else if (c == '[') {
            const std::size_t close = format.find(']', i + 1);
            if (close == std::string_view::npos)
                return false;
            if (isElapsedTime(format.substr(i + 1, close - i - 1)))
                return true;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i; // an escaped character, a space as wide as one, a fill character
        } else if (c == ';') {
            // Only the first section decides; "General;[Red]-General" is no date.
            return false;
        } else if (isDateLetter(c)) {
            return true;
        }
    }
    return false;
}

void CellFormats::addFormat(std::uint16_t id, std::string_view format)
{
    m_customIsDate[id] = isDateFormatString(format);
}

void CellFormats::addXf(std::uint16_t formatId)
{
    m_xfFormats.push_back(formatId);
}

void CellFormats::finish()
{
    m_xfIsDate.assign(m_xfFormats.size(), false);
    for (std::size_t i = 0; i < m_xfFormats.size(); ++i)
        m_xfIsDate[i] = isDateFormat(m_xfFormats[i]);
}

bool CellFormats::isDateFormat(std::uint16_t formatId) const
{
    const auto custom = m_customIsDate.find(formatId);
    if (custom != m_customIsDate.end())
        return custom->second;
    return isBuiltInDate(formatId);
}

bool CellFormats::isDate(std::uint16_t xfIndex) const
{
    return xfIndex < m_xfIsDate.size() && m_xfIsDate[xfIndex];
}

} // namespace zort::xls
