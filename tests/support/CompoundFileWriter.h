#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zort::test {

// One damage the writer can build into an otherwise valid compound file.
enum class CompoundFault {
    None,
    FatCycle, // the first regular stream's second sector points back to its first
    SectorOutOfRange, // the first regular stream's chain continues to a sector past the file
    DirectoryCycle, // the last directory entry's right sibling points back to the first child
    MiniFatCycle, // the first small stream's second mini sector points back to its first
    // the last DIFAT sector points back to the first; the header claims one FAT sector more
    // than there is and the file ends in sectors the FAT does not cover, so a reader needs it
    DifatCycle,
    DirectoryChainCycle, // the directory's last sector points back to its first
};

struct CompoundFileOptions
{
    bool largeSectors = false; // version 4 with 4096-byte sectors instead of version 3 with 512
    // How many FAT sector numbers the header holds (at most 109); the rest go to DIFAT sectors.
    std::size_t headerDifatSlots = 109;
    bool badSignature = false;
    std::uint16_t byteOrder = 0xFFFE;
    CompoundFault fault = CompoundFault::None;
    // Directory size field of the stream of this name, instead of its real size.
    std::optional<std::pair<std::string, std::uint64_t>> declaredSize;
    std::optional<std::size_t> truncateTo; // cut the finished file to this many bytes
};

// Builds a compound file holding `streams` (name UTF-8, contents) in the given order. A name
// "Storage/Stream" puts the stream into a storage of the root. Streams under 4096 bytes go to
// the mini stream, the others to regular sectors.
std::vector<std::byte>
buildCompoundFile(const std::vector<std::pair<std::string, std::vector<std::byte>>> &streams,
                  const CompoundFileOptions &options = {});

// Bytes from a text, for test data.
std::vector<std::byte> bytesOf(std::string_view text);

} // namespace zort::test
