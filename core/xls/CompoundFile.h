#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zort::xls {

// A compound document, the container of legacy Office files: fixed-size sectors chained
// through a FAT, streams under the cutoff packed into a mini stream with its own mini FAT,
// and a directory tree of named entries. Only the root storage's streams are exposed.
//
// The object refers to the bytes given to parse(); they must outlive it.
//
// Damage is checked, never trusted: every sector number must lie in the file, a chain that
// visits a sector twice is a loop, and the directory tree is walked with a visited set. Where
// mature readers are lenient, so are we: the byte-order field is ignored, sectors shared by
// two chains are read for each, a last sector cut short counts as far as it goes, and a
// stream whose size field claims more than its chain holds is read as far as its chain goes
// (the stream's own format then reports what is missing). Nothing read is ever larger than
// the file itself.
class CompoundFile
{
public:
    // Throws FormatError: NotAWorkbook when the signature is not a compound document's;
    // Corrupt, saying where, for a damaged header, FAT or directory.
    static CompoundFile parse(std::span<const std::byte> file);
    // The bytes must outlive the object: a temporary buffer would leave it dangling.
    static CompoundFile parse(std::vector<std::byte> &&) = delete;

    // The root storage's stream of that name (case-insensitive), or nullopt when absent.
    // Throws FormatError(Corrupt) when the stream's chain is damaged.
    std::optional<std::vector<std::byte>> readStream(std::string_view name) const;

    // The same stream as a view into the file's bytes, when its sectors follow one another in
    // the file (most writers store a large stream so): no copy is made. nullopt when the
    // stream is absent, lies in the mini stream, or is scattered; readStream then copies it.
    std::optional<std::span<const std::byte>> streamInPlace(std::string_view name) const;

    // The root storage's streams, UTF-8, in directory order.
    std::vector<std::string> streamNames() const;

    std::size_t sectorSize() const { return m_sectorSize; }

private:
    struct Stream
    {
        std::string name; // UTF-8
        std::u16string key; // upper-cased for lookup
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    CompoundFile() = default;

    std::span<const std::byte> sector(std::uint32_t index) const;
    std::vector<std::uint32_t> followChain(const std::vector<std::uint32_t> &table,
                                           std::uint32_t start, std::uint32_t bound,
                                           std::size_t limit, std::string_view what) const;
    std::vector<std::uint32_t> readTable(const std::vector<std::uint32_t> &sectors) const;
    void readFat(std::uint32_t fatCount, std::uint32_t firstDifat);
    void readDirectory(std::uint32_t firstDirectory, std::uint32_t firstMiniFat);
    void readMiniStream(std::uint32_t firstMiniFat, std::uint32_t rootStart,
                        std::uint64_t rootSize);
    std::vector<std::byte> readRegular(const Stream &stream) const;
    std::vector<std::byte> readMini(const Stream &stream) const;

    std::span<const std::byte> m_file;
    std::size_t m_sectorSize = 512;
    std::size_t m_headerSize = 512;
    std::uint32_t m_sectorCount = 0;
    std::uint32_t m_miniCutoff = 4096;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<std::uint32_t> m_miniStreamSectors; // the regular sectors of the mini stream
    std::uint64_t m_miniStreamSize = 0;
    // Damage in the mini FAT or the mini stream, reported only when a small stream is read.
    std::optional<std::string> m_miniError;
    std::vector<Stream> m_streams;
};

} // namespace zort::xls
