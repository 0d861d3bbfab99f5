#include "ContinuedReader.h"

#include "ByteReader.h"
#include "CodePage.h"
#include "FormatError.h"

namespace zort::xls {

namespace {

constexpr std::uint8_t kHighByte = 0x01; // characters are UTF-16
constexpr std::uint8_t kExtSt = 0x04; // phonetic data follows the characters
constexpr std::uint8_t kRichSt = 0x08; // formatting runs follow the characters

} // namespace

ContinuedReader::ContinuedReader(std::span<const Fragment> fragments, std::uint16_t recordType)
    : m_fragments(fragments)
    , m_type(recordType)
{
    for (const auto &f : fragments)
        m_left += f.data.size();
    settle();
}

ContinuedReader::ContinuedReader(std::span<const Fragment> fragments, std::uint16_t recordType,
                                 const Mark &start)
    : m_fragments(fragments)
    , m_type(recordType)
    , m_fragment(start.fragment)
    , m_pos(start.pos)
    , m_left(start.left)
{ }

std::size_t ContinuedReader::inFragment() const
{
    return m_fragment < m_fragments.size() ? m_fragments[m_fragment].data.size() - m_pos : 0;
}

void ContinuedReader::settle()
{
    while (m_fragment < m_fragments.size() && m_pos == m_fragments[m_fragment].data.size()) {
        ++m_fragment;
        m_pos = 0;
    }
}

std::size_t ContinuedReader::offset() const
{
    if (m_fragment < m_fragments.size())
        return m_fragments[m_fragment].offset + m_pos;
    if (m_fragments.empty())
        return 0;
    return m_fragments.back().offset + m_fragments.back().data.size();
}

void ContinuedReader::fail(const std::string &message) const
{
    const std::size_t start = m_fragments.empty() ? 4 : m_fragments.front().offset;
    throw FormatError(ErrorKind::Corrupt, recordPlace(m_type, start - 4) + message);
}

void ContinuedReader::need(std::size_t n, std::string_view what) const
{
    if (m_left < n)
        fail(std::string(what) + " at offset " + std::to_string(offset()) + " needs "
             + std::to_string(n) + " bytes, " + std::to_string(m_left) + " left");
}

std::uint8_t ContinuedReader::u8(std::string_view what)
{
    need(1, what);
    const auto v = std::to_integer<std::uint8_t>(m_fragments[m_fragment].data[m_pos]);
    ++m_pos;
    --m_left;
    settle();
    return v;
}

std::uint16_t ContinuedReader::u16(std::string_view what)
{
    need(2, what);
    if (inFragment() >= 2) {
        const auto v = loadU16(m_fragments[m_fragment].data.data() + m_pos);
        m_pos += 2;
        m_left -= 2;
        settle();
        return v;
    }
    const std::uint16_t low = u8(what);
    return static_cast<std::uint16_t>(low | (u8(what) << 8));
}

std::uint32_t ContinuedReader::u32(std::string_view what)
{
    const std::uint32_t low = u16(what);
    return low | (std::uint32_t {u16(what)} << 16);
}

void ContinuedReader::skip(std::size_t n, std::string_view what)
{
    need(n, what);
    m_left -= n;
    while (n > 0) {
        const std::size_t step = std::min(n, inFragment());
        m_pos += static_cast<std::uint32_t>(step);
        n -= step;
        settle();
    }
}

namespace {

// Appends n characters at p as UTF-8, writing into space reserved up front (3 bytes per
// character at most) rather than growing the text byte by byte. A surrogate pair may be split
// across calls; `highSurrogate` carries its first half.
void appendChars(std::string &out, const std::byte *p, std::size_t n, bool wide,
                 char16_t &highSurrogate)
{
    const std::size_t start = out.size();
    out.resize(start + n * (wide ? 3 : 2) + (highSurrogate ? 3 : 0));
    char *w = out.data() + start;
    const auto put3 = [&w](char32_t cp) {
        if (cp < 0x80) {
            *w++ = static_cast<char>(cp);
        } else if (cp < 0x800) {
            *w++ = static_cast<char>(0xC0 | (cp >> 6));
            *w++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            *w++ = static_cast<char>(0xE0 | (cp >> 12));
            *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *w++ = static_cast<char>(0x80 | (cp & 0x3F));
        }
    };
    if (!wide) {
        for (std::size_t i = 0; i < n; ++i)
            put3(std::to_integer<unsigned char>(p[i]));
        out.resize(static_cast<std::size_t>(w - out.data()));
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = loadU16(p + 2 * i);
        if (highSurrogate) {
            const char16_t high = highSurrogate;
            highSurrogate = 0;
            if (u >= 0xDC00 && u <= 0xDFFF) {
                const char32_t cp = 0x10000 + ((char32_t {high} - 0xD800) << 10) + (u - 0xDC00);
                // 4 bytes where 3 + 3 were reserved for the pair
                *w++ = static_cast<char>(0xF0 | (cp >> 18));
                *w++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                *w++ = static_cast<char>(0x80 | (cp & 0x3F));
                continue;
            }
            put3(0xFFFD);
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            highSurrogate = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            put3(0xFFFD); // a lone low surrogate
        else
            put3(u);
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
}

} // namespace

void ContinuedReader::readChars(std::size_t count, bool wide, std::string *out)
{
    char16_t highSurrogate = 0;
    // Characters that start at a fragment boundary (their header filled the previous one) also
    // start with a fresh flag.
    bool first = !(m_pos == 0 && m_fragment > 0);
    while (count > 0) {
        if (!first) {
            // The characters go on in the next fragment, which starts with its own width flag.
            wide = (u8("string continuation flags") & kHighByte) != 0;
            // Some writers leave a CONTINUE holding only its flag; the next one has its own.
            if (m_pos == 0)
                continue;
        }
        first = false;
        const std::size_t unit = wide ? 2 : 1;
        std::size_t available = inFragment() / unit;
        if (available == 0) {
            need(unit, "string characters");
            // A UTF-16 character must not straddle fragments; a writer that did so is broken.
            fail("a string character at offset " + std::to_string(offset())
                 + " is split across a CONTINUE record");
        }
        const std::size_t n = std::min(count, available);
        const std::byte *p = m_fragments[m_fragment].data.data() + m_pos;
        if (out)
            appendChars(*out, p, n, wide, highSurrogate);
        m_pos += static_cast<std::uint32_t>(n * unit);
        m_left -= n * unit;
        count -= n;
        if (count > 0 && inFragment() > 0 && inFragment() < unit)
            fail("a string character at offset " + std::to_string(offset())
                 + " is split across a CONTINUE record");
        settle();
    }
    if (highSurrogate && out)
        appendUtf8(*out, 0xFFFD);
}

void ContinuedReader::readFlags(std::string_view what, bool &wide, std::uint16_t &runs,
                                std::uint32_t &ext)
{
    const std::uint8_t flags = u8(what);
    wide = (flags & kHighByte) != 0;
    runs = (flags & kRichSt) ? u16("rich-text run count") : 0;
    ext = (flags & kExtSt) ? u32("phonetic data size") : 0;
}

std::string ContinuedReader::unicodeString(std::size_t count)
{
    bool wide = false;
    std::uint16_t runs = 0;
    std::uint32_t ext = 0;
    readFlags("string flags", wide, runs, ext);
    std::string text;
    text.reserve(std::min(count, m_left));
    readChars(count, wide, &text);
    skip(std::size_t {runs} * 4, "rich-text runs");
    skip(ext, "phonetic data");
    return text;
}

void ContinuedReader::skipUnicodeString(std::size_t count)
{
    bool wide = false;
    std::uint16_t runs = 0;
    std::uint32_t ext = 0;
    readFlags("string flags", wide, runs, ext);
    readChars(count, wide, nullptr);
    skip(std::size_t {runs} * 4, "rich-text runs");
    skip(ext, "phonetic data");
}

void ContinuedReader::seek(const Mark &mark)
{
    m_fragment = mark.fragment;
    m_pos = mark.pos;
    m_left = mark.left;
}

} // namespace zort::xls
