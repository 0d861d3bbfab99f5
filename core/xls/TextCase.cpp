#include "TextCase.h"

#include <cstddef>

namespace zort::xls {

namespace {

// Reads one code point leniently: a malformed byte stands for itself, so that comparison
// still works (byte by byte) on texts that are not valid UTF-8.
char32_t nextCodePoint(std::string_view text, std::size_t &pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = lead < 0x80             ? 1
                         : (lead & 0xE0) == 0xC0 ? 2
                         : (lead & 0xF0) == 0xE0 ? 3
                         : (lead & 0xF8) == 0xF0 ? 4
                                                 : 0;
    if (length <= 1 || text.size() - pos < length) {
        ++pos;
        return lead < 0x80 ? lead : 0x110000 + lead;
    }
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return 0x110000 + lead;
        }
        value = (value << 6) | (next & 0x3F);
    }
    pos += length;
    return value;
}

char32_t foldCase(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) // А..Я
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) // Ѐ..Џ, Ё among them
        return c + 0x50;
    return c;
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

} // namespace zort::xls
