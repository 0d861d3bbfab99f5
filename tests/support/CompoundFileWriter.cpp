#include "CompoundFileWriter.h"

#include <algorithm>
#include <stdexcept>

namespace zort::test {

namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kMiniCutoff = 4096;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kHeaderSlots = 109;

void put16(std::vector<std::byte> &out, std::size_t pos, std::uint16_t v)
{
    out[pos] = std::byte(v & 0xFF);
    out[pos + 1] = std::byte(v >> 8);
}

void put32(std::vector<std::byte> &out, std::size_t pos, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[pos + i] = std::byte((v >> (8 * i)) & 0xFF);
}

void put64(std::vector<std::byte> &out, std::size_t pos, std::uint64_t v)
{
    put32(out, pos, static_cast<std::uint32_t>(v));
    put32(out, pos + 4, static_cast<std::uint32_t>(v >> 32));
}

std::u16string toUtf16(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            len = 2;
        }
        for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
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

char16_t upper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

// The order of siblings in a directory tree: shorter names first, then by upper-cased name.
bool siblingLess(const std::u16string &a, const std::u16string &b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i]))
            return upper(a[i]) < upper(b[i]);
    }
    return false;
}

enum class EntryType : std::uint8_t { Storage = 1, Stream = 2, Root = 5 };

struct Entry
{
    std::u16string name;
    EntryType type = EntryType::Stream;
    const std::vector<std::byte> *data = nullptr;
    std::vector<std::uint32_t> children;
    std::uint32_t left = kNoEntry;
    std::uint32_t right = kNoEntry;
    std::uint32_t child = kNoEntry;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
};

// Links sorted children[lo, hi) into a balanced binary tree; returns its top entry.
std::uint32_t linkTree(std::vector<Entry> &entries, const std::vector<std::uint32_t> &children,
                       std::size_t lo, std::size_t hi)
{
    if (lo >= hi)
        return kNoEntry;
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::uint32_t left = linkTree(entries, children, lo, mid);
    const std::uint32_t right = linkTree(entries, children, mid + 1, hi);
    entries[children[mid]].left = left;
    entries[children[mid]].right = right;
    return children[mid];
}

std::size_t ceilDiv(std::size_t a, std::size_t b)
{
    return (a + b - 1) / b;
}

} // namespace

std::vector<std::byte> bytesOf(std::string_view text)
{
    std::vector<std::byte> out(text.size());
    std::transform(text.begin(), text.end(), out.begin(),
                   [](char c) { return std::byte(static_cast<unsigned char>(c)); });
    return out;
}

std::vector<std::byte>
buildCompoundFile(const std::vector<std::pair<std::string, std::vector<std::byte>>> &streams,
                  const CompoundFileOptions &options)
{
    const std::size_t sectorSize = options.largeSectors ? 4096 : 512;
    const std::size_t perSector = sectorSize / 4;

    // Directory entries: the root first, then storages and streams in the order they come.
    std::vector<Entry> entries(1);
    entries[0].name = u"Root Entry";
    entries[0].type = EntryType::Root;
    for (const auto &[name, data] : streams) {
        std::uint32_t parent = 0;
        std::string_view leaf = name;
        if (const auto slash = name.find('/'); slash != std::string::npos) {
            const std::u16string storage = toUtf16(std::string_view(name).substr(0, slash));
            leaf = std::string_view(name).substr(slash + 1);
            auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry &e) {
                return e.type == EntryType::Storage && e.name == storage;
            });
            if (found == entries.end()) {
                Entry s;
                s.name = storage;
                s.type = EntryType::Storage;
                entries.push_back(s);
                entries[0].children.push_back(static_cast<std::uint32_t>(entries.size() - 1));
                parent = static_cast<std::uint32_t>(entries.size() - 1);
            } else {
                parent = static_cast<std::uint32_t>(found - entries.begin());
            }
        }
        Entry e;
        e.name = toUtf16(leaf);
        if (e.name.size() > 31)
            throw std::invalid_argument("stream name longer than 31 characters");
        e.data = &data;
        e.size = data.size();
        entries.push_back(e);
        entries[parent].children.push_back(static_cast<std::uint32_t>(entries.size() - 1));
    }
    for (Entry &parent : entries) {
        if (parent.children.empty())
            continue;
        std::vector<std::uint32_t> sorted = parent.children;
        std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
            return siblingLess(entries[a].name, entries[b].name);
        });
        parent.child = linkTree(entries, sorted, 0, sorted.size());
    }

    // Mini stream: small streams packed in 64-byte mini sectors.
    std::vector<std::byte> miniStream;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> regular; // entries stored in regular sectors
    std::uint32_t firstMini = kNoEntry;
    for (std::uint32_t i = 1; i < entries.size(); ++i) {
        Entry &e = entries[i];
        if (e.type != EntryType::Stream || e.size == 0)
            continue;
        if (e.size >= kMiniCutoff) {
            regular.push_back(i);
            continue;
        }
        if (firstMini == kNoEntry)
            firstMini = i;
        e.start = static_cast<std::uint32_t>(miniFat.size());
        const std::size_t count = ceilDiv(e.size, kMiniSector);
        for (std::size_t k = 0; k < count; ++k)
            miniFat.push_back(k + 1 == count ? kEndOfChain : e.start + k + 1);
        miniStream.insert(miniStream.end(), e.data->begin(), e.data->end());
        miniStream.resize(miniFat.size() * kMiniSector);
    }

    const std::size_t dirSectors = ceilDiv(entries.size() * kEntrySize, sectorSize);
    const std::size_t miniFatSectors = ceilDiv(miniFat.size() * 4, sectorSize);
    const std::size_t miniStreamSectors = ceilDiv(miniStream.size(), sectorSize);
    std::size_t dataSectors = dirSectors + miniFatSectors + miniStreamSectors;
    for (std::uint32_t i : regular)
        dataSectors += ceilDiv(entries[i].size, sectorSize);

    const std::size_t headerSlots = std::min(options.headerDifatSlots, kHeaderSlots);
    std::size_t fatSectors = 1;
    std::size_t difatSectors = 0;
    for (;;) {
        const std::size_t total = dataSectors + fatSectors + difatSectors;
        const std::size_t needFat = ceilDiv(total, perSector);
        const std::size_t needDifat =
                needFat > headerSlots ? ceilDiv(needFat - headerSlots, perSector - 1) : 0;
        if (needFat <= fatSectors && needDifat == difatSectors)
            break;
        fatSectors = std::max(fatSectors, needFat);
        difatSectors = needDifat;
    }
    const std::size_t totalSectors = fatSectors + difatSectors + dataSectors;

    std::vector<std::uint32_t> fat(fatSectors * perSector, kFree);
    std::uint32_t next = 0;
    auto allocate = [&](std::size_t count) {
        const std::uint32_t start = next;
        for (std::size_t k = 0; k < count; ++k)
            fat[start + k] =
                    k + 1 == count ? kEndOfChain : start + static_cast<std::uint32_t>(k) + 1;
        next += static_cast<std::uint32_t>(count);
        return count == 0 ? kEndOfChain : start;
    };
    for (std::size_t k = 0; k < fatSectors; ++k)
        fat[next++] = kFatSector;
    const std::uint32_t firstDifat = difatSectors ? next : kEndOfChain;
    for (std::size_t k = 0; k < difatSectors; ++k)
        fat[next++] = kDifatSector;
    const std::uint32_t dirStart = allocate(dirSectors);
    const std::uint32_t miniFatStart = allocate(miniFatSectors);
    entries[0].start = allocate(miniStreamSectors);
    entries[0].size = miniStream.size();
    for (std::uint32_t i : regular)
        entries[i].start = allocate(ceilDiv(entries[i].size, sectorSize));

    auto chainEnd = [&](std::vector<std::uint32_t> &table, std::uint32_t start) {
        std::uint32_t s = start;
        while (table[s] != kEndOfChain)
            s = table[s];
        return s;
    };
    auto needRegular = [&]() -> Entry & {
        if (regular.empty())
            throw std::invalid_argument("this fault needs a stream of 4096 bytes or more");
        return entries[regular.front()];
    };
    std::uint32_t fatSectorsClaimed = static_cast<std::uint32_t>(fatSectors);
    switch (options.fault) {
    case CompoundFault::None:
        break;
    case CompoundFault::FatCycle:
        fat[needRegular().start + 1] = needRegular().start;
        break;
    case CompoundFault::SectorOutOfRange:
        fat[needRegular().start] = static_cast<std::uint32_t>(totalSectors + 1000);
        break;
    case CompoundFault::DirectoryCycle: {
        std::uint32_t last = entries[0].child;
        if (last == kNoEntry)
            throw std::invalid_argument("a directory cycle needs a stream");
        while (entries[last].right != kNoEntry)
            last = entries[last].right;
        entries[last].right = entries[0].child;
        break;
    }
    case CompoundFault::MiniFatCycle: {
        if (firstMini == kNoEntry)
            throw std::invalid_argument("a mini FAT cycle needs a small stream");
        const std::uint32_t start = entries[firstMini].start;
        if (miniFat[start] == kEndOfChain)
            throw std::invalid_argument("a mini FAT cycle needs a stream over 64 bytes");
        miniFat[start + 1] = start;
        break;
    }
    case CompoundFault::DifatCycle:
        if (difatSectors == 0)
            throw std::invalid_argument("a DIFAT cycle needs DIFAT sectors");
        ++fatSectorsClaimed;
        break;
    case CompoundFault::DirectoryChainCycle:
        fat[chainEnd(fat, dirStart)] = dirStart;
        break;
    }

    const std::size_t headerSize = sectorSize;
    std::vector<std::byte> out(headerSize + totalSectors * sectorSize);
    auto sectorAt = [&](std::uint32_t s) { return headerSize + std::size_t {s} * sectorSize; };

    // Header.
    static constexpr unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (std::size_t i = 0; i < 8; ++i)
        out[i] = std::byte(signature[i]);
    if (options.badSignature)
        out[0] = std::byte(0x50);
    put16(out, 24, 0x003E);
    put16(out, 26, options.largeSectors ? 4 : 3);
    put16(out, 28, options.byteOrder);
    put16(out, 30, options.largeSectors ? 12 : 9);
    put16(out, 32, 6);
    put32(out, 40, options.largeSectors ? static_cast<std::uint32_t>(dirSectors) : 0);
    put32(out, 44, fatSectorsClaimed);
    put32(out, 48, dirStart);
    put32(out, 56, kMiniCutoff);
    put32(out, 60, miniFatSectors ? miniFatStart : kEndOfChain);
    put32(out, 64, static_cast<std::uint32_t>(miniFatSectors));
    put32(out, 68, firstDifat);
    put32(out, 72, static_cast<std::uint32_t>(difatSectors));
    for (std::size_t i = 0; i < kHeaderSlots; ++i)
        put32(out, 76 + 4 * i, i < headerSlots && i < fatSectors ? i : kFree);

    // DIFAT sectors: the FAT sector numbers the header has no room for, then the next pointer.
    std::size_t fatIndex = headerSlots;
    for (std::size_t d = 0; d < difatSectors; ++d) {
        const std::size_t base = sectorAt(static_cast<std::uint32_t>(fatSectors + d));
        for (std::size_t k = 0; k + 1 < perSector; ++k, ++fatIndex)
            put32(out, base + 4 * k, fatIndex < fatSectors ? fatIndex : kFree);
        std::uint32_t nextDifat =
                d + 1 < difatSectors ? static_cast<std::uint32_t>(fatSectors + d + 1) : kEndOfChain;
        if (d + 1 == difatSectors && options.fault == CompoundFault::DifatCycle)
            nextDifat = firstDifat;
        put32(out, base + 4 * (perSector - 1), nextDifat);
    }

    for (std::size_t k = 0; k < fat.size(); ++k)
        put32(out, sectorAt(static_cast<std::uint32_t>(k / perSector)) + 4 * (k % perSector),
              fat[k]);

    // Directory.
    for (std::size_t i = 0; i < dirSectors * sectorSize / kEntrySize; ++i) {
        const std::size_t base = sectorAt(dirStart) + i * kEntrySize;
        if (i >= entries.size()) {
            put32(out, base + 68, kNoEntry);
            put32(out, base + 72, kNoEntry);
            put32(out, base + 76, kNoEntry);
            continue;
        }
        const Entry &e = entries[i];
        for (std::size_t k = 0; k < e.name.size(); ++k)
            put16(out, base + 2 * k, e.name[k]);
        put16(out, base + 64, static_cast<std::uint16_t>((e.name.size() + 1) * 2));
        out[base + 66] = std::byte(static_cast<std::uint8_t>(e.type));
        out[base + 67] = std::byte(1); // black
        put32(out, base + 68, e.left);
        put32(out, base + 72, e.right);
        put32(out, base + 76, e.child);
        put32(out, base + 116, e.start);
        std::uint64_t size = e.size;
        if (options.declaredSize && e.type == EntryType::Stream
            && e.name == toUtf16(options.declaredSize->first))
            size = options.declaredSize->second;
        put64(out, base + 120, size);
    }

    for (std::size_t k = 0; k < miniFat.size(); ++k)
        put32(out, sectorAt(miniFatStart) + 4 * k, miniFat[k]);
    // Sectors of one chain are consecutive, so a stream is written in one piece.
    if (!miniStream.empty())
        std::copy(miniStream.begin(), miniStream.end(), out.begin() + sectorAt(entries[0].start));
    for (std::uint32_t i : regular)
        std::copy(entries[i].data->begin(), entries[i].data->end(),
                  out.begin() + sectorAt(entries[i].start));

    // Sectors the FAT does not describe, so that the claimed extra FAT sector is needed.
    if (options.fault == CompoundFault::DifatCycle)
        out.resize(out.size() + perSector * sectorSize);
    if (options.truncateTo && *options.truncateTo < out.size())
        out.resize(*options.truncateTo);
    return out;
}

} // namespace zort::test
