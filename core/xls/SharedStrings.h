#pragma once

#include "BiffRecords.h"
#include "ContinuedReader.h"
#include "Table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zort::xls {

// The shared-string table (SST and its CONTINUE records). Opening only finds where each
// string lies; a string is decoded when a cell asks for it, so a large table costs little
// when the requested areas use few of its strings.
class SharedStrings : public TextSource
{
public:
    SharedStrings() = default;
    // `fragments` must outlive this object (they point into the workbook stream).
    explicit SharedStrings(std::vector<Fragment> fragments);

    std::size_t size() const { return m_entries.size(); }
    // Throws Corrupt, naming the cell's record, for an index past the table. The place is
    // formatted only then: this runs once per text cell.
    std::string text(std::uint32_t index, std::uint16_t recordType, std::size_t recordOffset) const;
    // Throws as text() does, without decoding the string.
    void requireIndex(std::uint32_t index, std::uint16_t recordType, std::size_t recordOffset) const
    {
        if (index >= m_entries.size())
            outOfRange(index, recordType, recordOffset);
    }
    // An index checked before, as a cell of a table read on demand holds it.
    std::string text(std::uint32_t index) const override;

private:
    [[noreturn]] void outOfRange(std::uint32_t index, std::uint16_t recordType,
                                 std::size_t recordOffset) const;
    std::string decode(std::uint32_t index) const;

    struct Entry
    {
        ContinuedReader::Mark chars; // where the characters start
        std::uint32_t count = 0;
        bool wide = false;
    };

    std::vector<Fragment> m_fragments;
    std::vector<Entry> m_entries;
};

} // namespace zort::xls
