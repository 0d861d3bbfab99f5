#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zort::xls {

// The record types we read; every other record is skipped.
enum class RecordType : std::uint16_t {
    Formula = 0x0006,
    Eof = 0x000A,
    ExternSheet = 0x0017,
    Name = 0x0018,
    DateMode = 0x0022,
    FilePass = 0x002F,
    Continue = 0x003C,
    CodePage = 0x0042,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    RString = 0x00D6,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    SupBook = 0x01AE,
    Blank = 0x0201,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    String = 0x0207,
    Bof2 = 0x0009,
    Bof3 = 0x0209,
    Bof4 = 0x0409,
    Bof = 0x0809,
    Rk = 0x027E,
    Format = 0x041E,
    Array = 0x0221,
    Table = 0x0236,
    ShrFmla = 0x04BC,
};

// One record of a BIFF stream: its type, the stream offset of its header and its body.
struct Record
{
    std::uint16_t type = 0;
    std::size_t offset = 0;
    std::span<const std::byte> data;

    bool is(RecordType t) const { return type == static_cast<std::uint16_t>(t); }
    // Stream offset of the first body byte.
    std::size_t dataOffset() const { return offset + 4; }
};

// "record 0x00FC at offset 1234: " for messages that say where a fault lies.
std::string recordPlace(std::uint16_t type, std::size_t offset);

// Walks the records of a stream from a start offset. Checks each header and body length
// against the bytes left, so a record cut short is reported rather than read past.
class RecordReader
{
public:
    explicit RecordReader(std::span<const std::byte> stream, std::size_t start = 0);

    // Reads the next record; false at the end of the stream. Throws Corrupt for a record cut
    // short.
    bool next(Record &record);
    // The type of the next record, or 0 at the end of the stream; does not move.
    std::uint16_t peekType() const;
    std::size_t position() const { return m_pos; }

private:
    std::span<const std::byte> m_stream;
    std::size_t m_pos = 0;
};

// A part of a record's body: the record itself or one of the CONTINUE records after it.
struct Fragment
{
    std::span<const std::byte> data;
    std::size_t offset = 0; // stream offset of data
};

// The fragments of `first` and of the CONTINUE records that follow it (read from `reader`).
std::vector<Fragment> readContinued(RecordReader &reader, const Record &first);

// The bytes of all fragments joined, for records whose CONTINUE split carries no meaning.
std::vector<std::byte> joinFragments(const std::vector<Fragment> &fragments);

} // namespace zort::xls
