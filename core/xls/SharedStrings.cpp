#include "SharedStrings.h"

#include "FormatError.h"

namespace zort::xls {

namespace {

constexpr std::uint16_t kSstType = static_cast<std::uint16_t>(RecordType::Sst);

} // namespace

SharedStrings::SharedStrings(std::vector<Fragment> fragments)
    : m_fragments(std::move(fragments))
{
    ContinuedReader in(m_fragments, kSstType);
    in.skip(8, "string counts");
    // The declared counts are only a hint: strings are read until the data ends, and nothing
    // is sized from them.
    while (in.remaining() >= 3) {
        const std::uint16_t count = in.u16("string length");
        const std::uint8_t flags = in.u8("string flags");
        const std::uint16_t runs = (flags & 0x08) ? in.u16("rich-text run count") : 0;
        const std::uint32_t ext = (flags & 0x04) ? in.u32("phonetic data size") : 0;
        Entry entry {in.mark(), count, (flags & 0x01) != 0};
        in.readChars(count, entry.wide, nullptr);
        in.skip(std::size_t {runs} * 4, "rich-text runs");
        in.skip(ext, "phonetic data");
        m_entries.push_back(entry);
    }
}

void SharedStrings::outOfRange(std::uint32_t index, std::uint16_t recordType,
                               std::size_t recordOffset) const
{
    throw FormatError(ErrorKind::Corrupt, recordPlace(recordType, recordOffset) + "shared string "
                                                  + std::to_string(index)
                                                  + " does not exist (the table holds "
                                                  + std::to_string(m_entries.size()) + ")");
}

std::string SharedStrings::text(std::uint32_t index, std::uint16_t recordType,
                                std::size_t recordOffset) const
{
    requireIndex(index, recordType, recordOffset);
    return decode(index);
}

std::string SharedStrings::text(std::uint32_t index) const
{
    if (index >= m_entries.size())
        throw FormatError(ErrorKind::Corrupt, "shared string " + std::to_string(index)
                                                      + " does not exist (the table holds "
                                                      + std::to_string(m_entries.size()) + ")");
    return decode(index);
}

std::string SharedStrings::decode(std::uint32_t index) const
{
    const Entry &entry = m_entries[index];
    ContinuedReader in(m_fragments, kSstType, entry.chars);
    std::string text;
    text.reserve(entry.count);
    in.readChars(entry.count, entry.wide, &text);
    return text;
}

} // namespace zort::xls
