#include "BiffWriter.h"

#include "xls/CodePage.h"

#include <bit>
#include <stdexcept>

namespace zort::test {

std::u16string utf16Of(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xF0) {
            cp = lead & 0x07;
            length = 4;
        } else if (lead >= 0xE0) {
            cp = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xC0) {
            cp = lead & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

RecordBody &RecordBody::u8(std::uint8_t v)
{
    m_data.push_back(std::byte {v});
    return *this;
}

RecordBody &RecordBody::u16(std::uint16_t v)
{
    return u8(static_cast<std::uint8_t>(v)).u8(static_cast<std::uint8_t>(v >> 8));
}

RecordBody &RecordBody::u32(std::uint32_t v)
{
    return u16(static_cast<std::uint16_t>(v)).u16(static_cast<std::uint16_t>(v >> 16));
}

RecordBody &RecordBody::f64(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
}

RecordBody &RecordBody::bytes(const std::vector<std::byte> &b)
{
    m_data.insert(m_data.end(), b.begin(), b.end());
    return *this;
}

RecordBody &RecordBody::biff8Chars(std::string_view utf8, bool &wide)
{
    const std::u16string units = utf16Of(utf8);
    wide = false;
    for (char16_t u : units)
        wide = wide || u > 0xFF;
    for (char16_t u : units) {
        if (wide)
            u16(u);
        else
            u8(static_cast<std::uint8_t>(u));
    }
    return *this;
}

RecordBody &RecordBody::biff8String(std::string_view utf8)
{
    RecordBody chars;
    bool wide = false;
    chars.biff8Chars(utf8, wide);
    u16(static_cast<std::uint16_t>(utf16Of(utf8).size())).u8(wide ? 1 : 0);
    return bytes(chars.data());
}

RecordBody &RecordBody::biff8ShortString(std::string_view utf8)
{
    RecordBody chars;
    bool wide = false;
    chars.biff8Chars(utf8, wide);
    u8(static_cast<std::uint8_t>(utf16Of(utf8).size())).u8(wide ? 1 : 0);
    return bytes(chars.data());
}

RecordBody &RecordBody::biff5String(std::string_view utf8, bool longCount)
{
    const std::string encoded = xls::encodeWindows1251(utf8);
    if (longCount)
        u16(static_cast<std::uint16_t>(encoded.size()));
    else
        u8(static_cast<std::uint8_t>(encoded.size()));
    for (char c : encoded)
        u8(static_cast<std::uint8_t>(c));
    return *this;
}

void BiffWriter::record(std::uint16_t type, const std::vector<std::byte> &body)
{
    if (body.size() > 0xFFFF)
        throw std::length_error("a BIFF record body holds at most 65535 bytes");
    rawRecord(type, static_cast<std::uint16_t>(body.size()), body);
}

void BiffWriter::rawRecord(std::uint16_t type, std::uint16_t declaredSize,
                           const std::vector<std::byte> &body)
{
    RecordBody header;
    header.u16(type).u16(declaredSize);
    m_data.insert(m_data.end(), header.data().begin(), header.data().end());
    m_data.insert(m_data.end(), body.begin(), body.end());
}

void BiffWriter::patchU32(std::size_t pos, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        m_data.at(pos + i) = std::byte {static_cast<std::uint8_t>(value >> (8 * i))};
}

} // namespace zort::test
