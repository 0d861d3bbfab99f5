#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zort::test {

// The body of one BIFF record, built field by field (little-endian).
class RecordBody
{
public:
    RecordBody &u8(std::uint8_t v);
    RecordBody &u16(std::uint16_t v);
    RecordBody &u32(std::uint32_t v);
    RecordBody &f64(double v);
    RecordBody &bytes(const std::vector<std::byte> &b);
    // UTF-8 as 8-bit characters (code points up to U+00FF) or UTF-16, whichever fits.
    RecordBody &biff8Chars(std::string_view utf8, bool &wide);
    // A BIFF8 string: 16-bit count, flags, characters.
    RecordBody &biff8String(std::string_view utf8);
    // A BIFF8 short string (8-bit count), as in BOUNDSHEET.
    RecordBody &biff8ShortString(std::string_view utf8);
    // A BIFF5 string: Windows-1251 bytes after an 8- or 16-bit count.
    RecordBody &biff5String(std::string_view utf8, bool longCount);

    // Overwrites a byte already written.
    void setU8(std::size_t pos, std::uint8_t v) { m_data.at(pos) = std::byte {v}; }

    const std::vector<std::byte> &data() const { return m_data; }
    std::vector<std::byte> take() { return std::move(m_data); }

private:
    std::vector<std::byte> m_data;
};

// UTF-8 to UTF-16 code units, for test data.
std::u16string utf16Of(std::string_view utf8);

// A BIFF stream: records appended one after another.
class BiffWriter
{
public:
    // Appends a record; bodies over 65535 bytes are the caller's error.
    void record(std::uint16_t type, const std::vector<std::byte> &body);
    // A record header that declares `declaredSize` bytes, followed by `body` as it is.
    void rawRecord(std::uint16_t type, std::uint16_t declaredSize,
                   const std::vector<std::byte> &body);
    void patchU32(std::size_t pos, std::uint32_t value);

    std::size_t size() const { return m_data.size(); }
    const std::vector<std::byte> &data() const { return m_data; }

private:
    std::vector<std::byte> m_data;
};

} // namespace zort::test
