#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zort::xls {

// Decodes 8-bit text in a Windows, DOS or Mac code page to UTF-8. Known: 1251, 1252 (also
// 32769), 1250, 1253, 1254, 1257, 1258, 866, Mac Roman (10000, 32768), Mac Cyrillic (10007) and
// Mac Central European (10029). Any other code page is read as Latin-1: a text is never lost.
std::string decodeCodePage(std::uint16_t codePage, std::string_view bytes);

// Encodes UTF-8 as Windows-1251. A character the code page lacks, and every byte of invalid
// UTF-8, becomes "?".
std::string encodeWindows1251(std::string_view utf8);

// Appends one code point as UTF-8; a surrogate or a value past U+10FFFF becomes U+FFFD.
void appendUtf8(std::string &out, char32_t codePoint);

} // namespace zort::xls
