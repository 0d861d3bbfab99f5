#pragma once

#include "FormatError.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zort::xls {

// Throws the Corrupt error for a read of `size` bytes of `what` at `offset` that runs past
// the end of the data (`available` bytes were left).
[[noreturn]] inline void throwTruncated(std::string_view what, std::size_t offset, std::size_t size,
                                        std::size_t available)
{
    std::string message = "Truncated data: ";
    message += what;
    message += " at offset ";
    message += std::to_string(offset);
    message += " needs ";
    message += std::to_string(size);
    message += (size == 1 ? " byte, " : " bytes, ");
    message += std::to_string(available);
    message += " left";
    throw FormatError(ErrorKind::Corrupt, message);
}

// Little-endian reads at a fixed position; the caller has checked the bounds.
inline std::uint16_t loadU16(const std::byte *p)
{
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0])
                                      | (std::to_integer<unsigned>(p[1]) << 8));
}

inline std::uint32_t loadU32(const std::byte *p)
{
    return std::to_integer<std::uint32_t>(p[0]) | (std::to_integer<std::uint32_t>(p[1]) << 8)
           | (std::to_integer<std::uint32_t>(p[2]) << 16)
           | (std::to_integer<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t loadU64(const std::byte *p)
{
    return std::uint64_t {loadU32(p)} | (std::uint64_t {loadU32(p + 4)} << 32);
}

// Bounds-checked free reads at `pos` of `data`; `what` names the field in the error message.
inline std::uint8_t readU8(std::span<const std::byte> data, std::size_t pos,
                           std::string_view what = "byte")
{
    if (pos >= data.size())
        throwTruncated(what, pos, 1, pos > data.size() ? 0 : data.size() - pos);
    return std::to_integer<std::uint8_t>(data[pos]);
}

inline std::uint16_t readU16(std::span<const std::byte> data, std::size_t pos,
                             std::string_view what = "16-bit value")
{
    if (pos > data.size() || data.size() - pos < 2)
        throwTruncated(what, pos, 2, pos > data.size() ? 0 : data.size() - pos);
    return loadU16(data.data() + pos);
}

inline std::uint32_t readU32(std::span<const std::byte> data, std::size_t pos,
                             std::string_view what = "32-bit value")
{
    if (pos > data.size() || data.size() - pos < 4)
        throwTruncated(what, pos, 4, pos > data.size() ? 0 : data.size() - pos);
    return loadU32(data.data() + pos);
}

// A cursor over little-endian data. Every read past the end throws FormatError(Corrupt) saying
// what was being read and where; offsets in messages are `baseOffset` plus the position, so a
// reader over one record can report offsets within the whole stream.
class ByteReader
{
public:
    explicit ByteReader(std::span<const std::byte> data, std::size_t baseOffset = 0)
        : m_data(data)
        , m_base(baseOffset)
    { }

    std::uint8_t u8(std::string_view what = "byte")
    {
        need(1, what);
        return std::to_integer<std::uint8_t>(m_data[m_pos++]);
    }

    std::uint16_t u16(std::string_view what = "16-bit value")
    {
        need(2, what);
        const std::uint16_t v = loadU16(m_data.data() + m_pos);
        m_pos += 2;
        return v;
    }

    std::uint32_t u32(std::string_view what = "32-bit value")
    {
        need(4, what);
        const std::uint32_t v = loadU32(m_data.data() + m_pos);
        m_pos += 4;
        return v;
    }

    std::int32_t i32(std::string_view what = "32-bit value")
    {
        return static_cast<std::int32_t>(u32(what));
    }

    double f64(std::string_view what = "number")
    {
        need(8, what);
        const std::uint64_t bits = loadU64(m_data.data() + m_pos);
        m_pos += 8;
        return std::bit_cast<double>(bits);
    }

    std::span<const std::byte> bytes(std::size_t n, std::string_view what = "bytes")
    {
        need(n, what);
        const auto s = m_data.subspan(m_pos, n);
        m_pos += n;
        return s;
    }

    void skip(std::size_t n, std::string_view what = "bytes")
    {
        need(n, what);
        m_pos += n;
    }

    // Moves to `pos` (relative to the data, not the base offset); the end itself is allowed.
    void seek(std::size_t pos, std::string_view what = "position")
    {
        if (pos > m_data.size())
            throw FormatError(ErrorKind::Corrupt,
                              "Bad position: " + std::string(what) + " at offset "
                                      + std::to_string(m_base + pos) + " lies past the end at "
                                      + std::to_string(m_base + m_data.size()));
        m_pos = pos;
    }

    std::size_t remaining() const { return m_data.size() - m_pos; }
    std::size_t position() const { return m_pos; }
    // Offset of the cursor in the enclosing data: base offset plus position.
    std::size_t offset() const { return m_base + m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }
    std::span<const std::byte> data() const { return m_data; }

private:
    void need(std::size_t n, std::string_view what) const
    {
        if (remaining() < n)
            throwTruncated(what, offset(), n, remaining());
    }

    std::span<const std::byte> m_data;
    std::size_t m_base = 0;
    std::size_t m_pos = 0;
};

} // namespace zort::xls
