#pragma once

#include "BiffRecords.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zort::xls {

// A cursor over a record and its CONTINUE fragments, read as one body. Characters of a BIFF8
// string are the exception: where they cross into a new fragment, that fragment starts with a
// fresh width flag, which readChars honours. Every read past the end throws Corrupt naming the
// record.
class ContinuedReader
{
public:
    // A place in the body, to come back to (the shared strings decode lazily).
    struct Mark
    {
        std::uint32_t fragment = 0;
        std::uint32_t pos = 0;
        std::size_t left = 0;
    };

    ContinuedReader(std::span<const Fragment> fragments, std::uint16_t recordType);
    // Starts at a place marked earlier over the same fragments, without walking them all:
    // the shared strings come back to one place per cell.
    ContinuedReader(std::span<const Fragment> fragments, std::uint16_t recordType,
                    const Mark &start);

    std::uint8_t u8(std::string_view what);
    std::uint16_t u16(std::string_view what);
    std::uint32_t u32(std::string_view what);
    void skip(std::size_t n, std::string_view what);

    // Reads `count` BIFF8 characters, 8-bit ("compressed", code points 0-255) or UTF-16 as
    // `wide` says, re-reading the width flag at each fragment boundary. Appends UTF-8 to `out`
    // unless it is null (then the characters are only skipped).
    void readChars(std::size_t count, bool wide, std::string *out);
    // A BIFF8 string after its character count: flags, rich-text run and phonetic sizes,
    // characters; runs and phonetic data are skipped.
    std::string unicodeString(std::size_t count);
    // Skips the same without decoding it.
    void skipUnicodeString(std::size_t count);

    std::size_t remaining() const { return m_left; }
    bool atEnd() const { return m_left == 0; }
    // Stream offset of the next byte, for messages.
    std::size_t offset() const;

    Mark mark() const { return {m_fragment, m_pos, m_left}; }
    void seek(const Mark &mark);

    [[noreturn]] void fail(const std::string &message) const;

private:
    void need(std::size_t n, std::string_view what) const;
    // Moves past exhausted fragments, so the current one has bytes (unless at the end).
    void settle();
    std::size_t inFragment() const;
    void readFlags(std::string_view what, bool &wide, std::uint16_t &runs, std::uint32_t &ext);

    std::span<const Fragment> m_fragments;
    std::uint16_t m_type = 0;
    std::uint32_t m_fragment = 0;
    std::uint32_t m_pos = 0;
    std::size_t m_left = 0;
};

} // namespace zort::xls
