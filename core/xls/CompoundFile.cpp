#include "CompoundFile.h"

#include "ByteReader.h"
#include "FormatError.h"

#include <algorithm>
#include <array>

namespace zort::xls {

namespace {

constexpr std::array<unsigned char, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                     0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA; // numbers from here on are markers
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kHeaderSlots = 109;

enum class EntryType : std::uint8_t { Empty = 0, Storage = 1, Stream = 2, Root = 5 };

[[noreturn]] void corrupt(const std::string &what)
{
    throw FormatError(ErrorKind::Corrupt, "Damaged compound document: " + what);
}

std::string num(std::uint64_t v)
{
    return std::to_string(v);
}

std::size_t ceilDiv(std::uint64_t a, std::size_t b)
{
    return static_cast<std::size_t>((a + b - 1) / b);
}

char16_t upperCase(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        || (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    return c;
}

std::u16string upperCase(std::u16string s)
{
    for (char16_t &c : s)
        c = upperCase(c);
    return s;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00
            && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string fromUtf8(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        char32_t cp = len == 4 ? c & 0x07 : len == 3 ? c & 0x0F : len == 2 ? c & 0x1F : c;
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// Entry `i` of a table sector; entries missing from a sector cut short by the end of the
// file read as `fill`.
std::uint32_t entryOf(std::span<const std::byte> sector, std::size_t i, std::uint32_t fill)
{
    return 4 * i + 4 <= sector.size() ? loadU32(sector.data() + 4 * i) : fill;
}

} // namespace

std::span<const std::byte> CompoundFile::sector(std::uint32_t index) const
{
    const std::size_t begin = m_headerSize + std::size_t {index} * m_sectorSize;
    if (begin >= m_file.size())
        return {};
    return m_file.subspan(begin, std::min(m_sectorSize, m_file.size() - begin));
}

std::vector<std::uint32_t> CompoundFile::followChain(const std::vector<std::uint32_t> &table,
                                                     std::uint32_t start, std::uint32_t bound,
                                                     std::size_t limit, std::string_view what) const
{
    std::vector<std::uint32_t> chain;
    std::vector<bool> seen(bound, false);
    const std::size_t end = std::min<std::size_t>(bound, table.size());
    for (std::uint32_t s = start; chain.size() < limit; s = table[s]) {
        // A marker (end of chain, free, FAT) ends the chain; a short stream is the caller's.
        if (s >= kMaxRegular)
            break;
        if (s >= end)
            corrupt("the chain of " + std::string(what) + " reaches sector " + num(s) + " after "
                    + num(chain.size()) + " sectors, but there are only " + num(end)
                    + " (the file may be truncated)");
        if (seen[s])
            corrupt("the chain of " + std::string(what) + " loops back to sector " + num(s)
                    + " after " + num(chain.size()) + " sectors");
        seen[s] = true;
        chain.push_back(s);
    }
    return chain;
}

std::vector<std::uint32_t> CompoundFile::readTable(const std::vector<std::uint32_t> &sectors) const
{
    const std::size_t perSector = m_sectorSize / 4;
    std::vector<std::uint32_t> table;
    table.reserve(sectors.size() * perSector);
    for (std::uint32_t s : sectors) {
        const auto data = sector(s);
        for (std::size_t i = 0; i < perSector; ++i)
            table.push_back(entryOf(data, i, kFree));
    }
    return table;
}

// The FAT's sectors are listed in the header's 109 slots and then in the DIFAT chain. The
// header's DIFAT sector count is only a hint: the chain's end marker is what counts.
void CompoundFile::readFat(std::uint32_t fatCount, std::uint32_t firstDifat)
{
    const std::size_t perSector = m_sectorSize / 4;
    // A FAT larger than the file's sectors need describes nothing: never read more of it.
    const std::size_t wanted = std::min<std::size_t>(fatCount, ceilDiv(m_sectorCount, perSector));
    std::vector<std::uint32_t> fatSectors;
    auto take = [&](std::uint32_t s, const std::string &where) {
        if (s >= kMaxRegular)
            return;
        if (s >= m_sectorCount)
            corrupt("FAT sector " + num(s) + " listed in " + where + " lies past the file's "
                    + num(m_sectorCount) + " sectors (the file may be truncated)");
        fatSectors.push_back(s);
    };
    for (std::size_t i = 0; i < kHeaderSlots && fatSectors.size() < wanted; ++i)
        take(loadU32(m_file.data() + 76 + 4 * i), "the header");

    std::vector<bool> seen(m_sectorCount, false);
    std::uint32_t d = firstDifat;
    for (std::uint32_t n = 0; fatSectors.size() < wanted && d < kMaxRegular; ++n) {
        if (d >= m_sectorCount)
            corrupt("DIFAT sector " + num(d) + " lies past the file's " + num(m_sectorCount)
                    + " sectors (the file may be truncated)");
        if (seen[d])
            corrupt("the DIFAT chain loops back to sector " + num(d) + " after " + num(n)
                    + " sectors");
        seen[d] = true;
        const auto data = sector(d);
        for (std::size_t i = 0; i + 1 < perSector && fatSectors.size() < wanted; ++i)
            take(entryOf(data, i, kFree), "DIFAT sector " + num(d));
        d = entryOf(data, perSector - 1, kEndOfChain);
    }
    if (fatSectors.empty())
        corrupt("the header lists no FAT sector");
    m_fat = readTable(fatSectors);
}

void CompoundFile::readMiniStream(std::uint32_t firstMiniFat, std::uint32_t rootStart,
                                  std::uint64_t rootSize)
{
    try {
        const auto miniFatSectors =
                followChain(m_fat, firstMiniFat, m_sectorCount, m_sectorCount, "the mini FAT");
        m_miniFat = readTable(miniFatSectors);
        m_miniStreamSectors = followChain(m_fat, rootStart, m_sectorCount,
                                          ceilDiv(rootSize, m_sectorSize), "the mini stream");
        m_miniStreamSize = std::min<std::uint64_t>(
                rootSize, std::uint64_t {m_miniStreamSectors.size()} * m_sectorSize);
    } catch (const FormatError &e) {
        m_miniError = e.what();
        m_miniFat.clear();
        m_miniStreamSectors.clear();
        m_miniStreamSize = 0;
    }
}

CompoundFile CompoundFile::parse(std::span<const std::byte> file)
{
    if (file.size() < kSignature.size()
        || !std::equal(kSignature.begin(), kSignature.end(), file.begin(),
                       [](unsigned char a, std::byte b) { return std::byte(a) == b; }))
        throw FormatError(ErrorKind::NotAWorkbook,
                          "Not a workbook: the file is not a compound document "
                          "(it does not start with the compound-document signature)");
    if (file.size() < 512)
        corrupt("the header is cut short: the file has " + num(file.size())
                + " bytes, the header needs 512");

    CompoundFile cf;
    cf.m_file = file;
    const std::uint16_t sectorShift = loadU16(file.data() + 30);
    if (sectorShift != 9 && sectorShift != 12)
        corrupt("unsupported sector size 2^" + num(sectorShift) + " in the header (offset 30)");
    const std::uint16_t miniShift = loadU16(file.data() + 32);
    if (miniShift != 6)
        corrupt("unsupported mini sector size 2^" + num(miniShift) + " in the header (offset 32)");
    cf.m_sectorSize = std::size_t {1} << sectorShift;
    cf.m_headerSize = cf.m_sectorSize; // the header occupies the whole first sector
    if (file.size() < cf.m_headerSize)
        corrupt("the header sector is cut short: the file has " + num(file.size())
                + " bytes, the header sector needs " + num(cf.m_headerSize));
    // Sector numbers at or above the markers cannot be addressed, whatever the file size.
    cf.m_sectorCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            ceilDiv(file.size() - cf.m_headerSize, cf.m_sectorSize), kMaxRegular));
    cf.m_miniCutoff = loadU32(file.data() + 56);

    cf.readFat(loadU32(file.data() + 44), loadU32(file.data() + 68));
    cf.readDirectory(loadU32(file.data() + 48), loadU32(file.data() + 60));
    return cf;
}

void CompoundFile::readDirectory(std::uint32_t firstDirectory, std::uint32_t firstMiniFat)
{
    const auto dirSectors =
            followChain(m_fat, firstDirectory, m_sectorCount, m_sectorCount, "the directory");
    struct Raw
    {
        std::u16string name;
        EntryType type = EntryType::Empty;
        std::uint32_t left = kNoEntry;
        std::uint32_t right = kNoEntry;
        std::uint32_t child = kNoEntry;
        std::uint32_t start = kEndOfChain;
        std::uint64_t size = 0;
    };
    std::vector<Raw> entries;
    const std::size_t perSector = m_sectorSize / kEntrySize;
    entries.reserve(dirSectors.size() * perSector);
    for (std::uint32_t s : dirSectors) {
        const auto data = sector(s);
        for (std::size_t i = 0; i < perSector; ++i) {
            Raw e;
            if ((i + 1) * kEntrySize <= data.size()) {
                const std::byte *p = data.data() + i * kEntrySize;
                const std::size_t length = std::min<std::size_t>(loadU16(p + 64), 64) / 2;
                for (std::size_t k = 0; k < length; ++k)
                    e.name += static_cast<char16_t>(loadU16(p + 2 * k));
                while (!e.name.empty() && e.name.back() == 0)
                    e.name.pop_back();
                e.type = static_cast<EntryType>(std::to_integer<std::uint8_t>(p[66]));
                e.left = loadU32(p + 68);
                e.right = loadU32(p + 72);
                e.child = loadU32(p + 76);
                e.start = loadU32(p + 116);
                // Version-3 files may leave garbage in the size's high half.
                e.size = m_sectorSize == 512 ? loadU32(p + 120) : loadU64(p + 120);
            }
            entries.push_back(std::move(e));
        }
    }
    if (entries.empty() || entries[0].type != EntryType::Root)
        corrupt("the directory has no root entry (sector " + num(firstDirectory) + ")");

    readMiniStream(firstMiniFat, entries[0].start, entries[0].size);

    // In-order walk of the root's children; a visited set stops loops.
    std::vector<bool> seen(entries.size(), false);
    std::vector<std::uint32_t> pending;
    auto descend = [&](std::uint32_t from, std::uint32_t id) {
        while (id != kNoEntry) {
            if (id >= entries.size())
                corrupt("directory entry " + num(from) + " points to entry " + num(id)
                        + ", but there are only " + num(entries.size()));
            if (seen[id])
                corrupt("the directory tree loops back to entry " + num(id) + " (from entry "
                        + num(from) + ")");
            seen[id] = true;
            if (entries[id].type == EntryType::Empty)
                return; // an unused slot: its links mean nothing
            pending.push_back(id);
            from = id;
            id = entries[id].left;
        }
    };
    seen[0] = true;
    descend(0, entries[0].child);
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        const Raw &e = entries[id];
        if (e.type == EntryType::Stream) {
            // The key comes from the UTF-8 name, so that every listed name finds its stream
            // even when the stored name is not valid UTF-16.
            std::string name = toUtf8(e.name);
            std::u16string key = upperCase(fromUtf8(name));
            m_streams.push_back({std::move(name), std::move(key), e.start, e.size});
        }
        descend(id, e.right);
    }
}

std::vector<std::byte> CompoundFile::readRegular(const Stream &stream) const
{
    const auto chain =
            followChain(m_fat, stream.start, m_sectorCount, ceilDiv(stream.size, m_sectorSize),
                        "stream \"" + stream.name + "\"");
    std::vector<std::byte> out;
    out.reserve(std::min<std::uint64_t>(stream.size, chain.size() * m_sectorSize));
    for (std::uint32_t s : chain) {
        const auto data = sector(s);
        const std::size_t take = std::min<std::uint64_t>(data.size(), stream.size - out.size());
        out.insert(out.end(), data.begin(), data.begin() + take);
    }
    return out;
}

std::vector<std::byte> CompoundFile::readMini(const Stream &stream) const
{
    if (m_miniError && stream.size > 0)
        throw FormatError(ErrorKind::Corrupt, *m_miniError);
    const auto miniSectors = static_cast<std::uint32_t>(ceilDiv(m_miniStreamSize, kMiniSector));
    const auto chain =
            followChain(m_miniFat, stream.start, miniSectors, ceilDiv(stream.size, kMiniSector),
                        "stream \"" + stream.name + "\" in the mini stream");
    std::vector<std::byte> out;
    out.reserve(std::min<std::uint64_t>(stream.size, chain.size() * kMiniSector));
    for (std::uint32_t m : chain) {
        const std::size_t at = std::size_t {m} * kMiniSector;
        const auto data = sector(m_miniStreamSectors[at / m_sectorSize]);
        const std::size_t within = at % m_sectorSize;
        if (within >= data.size())
            break; // the file ends inside the mini stream
        const std::size_t take = std::min<std::uint64_t>(
                {kMiniSector, data.size() - within, stream.size - out.size()});
        out.insert(out.end(), data.begin() + within, data.begin() + within + take);
    }
    return out;
}

std::optional<std::vector<std::byte>> CompoundFile::readStream(std::string_view name) const
{
    const std::u16string key = upperCase(fromUtf8(name));
    for (const Stream &s : m_streams) {
        if (s.key == key)
            return s.size < m_miniCutoff ? readMini(s) : readRegular(s);
    }
    return std::nullopt;
}

std::optional<std::span<const std::byte>> CompoundFile::streamInPlace(std::string_view name) const
{
    const std::u16string key = upperCase(fromUtf8(name));
    for (const Stream &s : m_streams) {
        if (s.key != key)
            continue;
        if (s.size < m_miniCutoff)
            return std::nullopt;
        const auto chain = followChain(m_fat, s.start, m_sectorCount, ceilDiv(s.size, m_sectorSize),
                                       "stream \"" + s.name + "\"");
        for (std::size_t i = 1; i < chain.size(); ++i) {
            if (chain[i] != chain[i - 1] + 1)
                return std::nullopt;
        }
        if (chain.empty())
            return std::nullopt;
        // As readRegular: no more than the chain holds, and no more than the file holds.
        const std::size_t begin = m_headerSize + std::size_t {chain.front()} * m_sectorSize;
        if (begin >= m_file.size())
            return std::nullopt;
        const std::uint64_t held =
                std::min<std::uint64_t>(chain.size() * m_sectorSize, m_file.size() - begin);
        return m_file.subspan(begin, static_cast<std::size_t>(std::min(s.size, held)));
    }
    return std::nullopt;
}

std::vector<std::string> CompoundFile::streamNames() const
{
    std::vector<std::string> names;
    names.reserve(m_streams.size());
    for (const Stream &s : m_streams)
        names.push_back(s.name);
    return names;
}

} // namespace zort::xls
