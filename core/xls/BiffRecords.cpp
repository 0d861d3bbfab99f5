#include "BiffRecords.h"

#include "ByteReader.h"
#include "FormatError.h"

#include <cstdio>

namespace zort::xls {

std::string recordPlace(std::uint16_t type, std::size_t offset)
{
    char text[48];
    std::snprintf(text, sizeof text, "record 0x%04X at offset %zu: ", unsigned {type}, offset);
    return text;
}

RecordReader::RecordReader(std::span<const std::byte> stream, std::size_t start)
    : m_stream(stream)
    , m_pos(start > stream.size() ? stream.size() : start)
{ }

bool RecordReader::next(Record &record)
{
    const std::size_t left = m_stream.size() - m_pos;
    if (left == 0)
        return false;
    if (left < 4)
        throw FormatError(ErrorKind::Corrupt,
                          "Truncated workbook stream: a record header at offset "
                                  + std::to_string(m_pos) + " has only " + std::to_string(left)
                                  + " of its 4 bytes");
    const std::uint16_t type = loadU16(m_stream.data() + m_pos);
    const std::uint16_t size = loadU16(m_stream.data() + m_pos + 2);
    if (left - 4 < size)
        throw FormatError(ErrorKind::Corrupt, recordPlace(type, m_pos) + "declares "
                                                      + std::to_string(size)
                                                      + " bytes, but the stream ends after "
                                                      + std::to_string(left - 4));
    record.type = type;
    record.offset = m_pos;
    record.data = m_stream.subspan(m_pos + 4, size);
    m_pos += 4 + std::size_t {size};
    return true;
}

std::uint16_t RecordReader::peekType() const
{
    if (m_stream.size() - m_pos < 4)
        return 0;
    return loadU16(m_stream.data() + m_pos);
}

std::vector<Fragment> readContinued(RecordReader &reader, const Record &first)
{
    std::vector<Fragment> fragments {{first.data, first.dataOffset()}};
    Record next;
    while (reader.peekType() == static_cast<std::uint16_t>(RecordType::Continue)
           && reader.next(next))
        fragments.push_back({next.data, next.dataOffset()});
    return fragments;
}

std::vector<std::byte> joinFragments(const std::vector<Fragment> &fragments)
{
    std::vector<std::byte> joined;
    for (const auto &f : fragments)
        joined.insert(joined.end(), f.data.begin(), f.data.end());
    return joined;
}

} // namespace zort::xls
