#include "xls/CompoundFile.h"

#include "CompoundFileWriter.h"
#include "xls/ByteReader.h"
#include "xls/FormatError.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using zort::test::buildCompoundFile;
using zort::test::bytesOf;
using zort::test::CompoundFault;
using zort::test::CompoundFileOptions;
using zort::xls::CompoundFile;
using zort::xls::ErrorKind;
using zort::xls::FormatError;

namespace {

using Streams = std::vector<std::pair<std::string, std::vector<std::byte>>>;

// Bytes that differ from sector to sector, so that a sector read from the wrong place shows.
std::vector<std::byte> pattern(std::size_t size, unsigned seed = 1)
{
    std::vector<std::byte> out(size);
    std::uint32_t x = seed * 2654435761u;
    for (auto &b : out) {
        x = x * 1103515245u + 12345u;
        b = std::byte(x >> 24);
    }
    return out;
}

// Offset of the directory entry named `name` (ASCII) in a version-3 file with a one-sector
// directory.
std::size_t entryOffset(const std::vector<std::byte> &file, std::string_view name)
{
    const std::size_t dir = 512 + std::size_t {zort::xls::readU32(file, 48)} * 512;
    for (std::size_t e = dir; e + 128 <= dir + 512; e += 128) {
        std::string entryName;
        for (std::size_t k = 0; k < 32 && file[e + 2 * k] != std::byte(0); ++k)
            entryName += static_cast<char>(file[e + 2 * k]);
        if (entryName == name)
            return e;
    }
    throw std::logic_error("no directory entry " + std::string(name));
}

std::uint32_t entryField(const std::vector<std::byte> &file, std::string_view name,
                         std::size_t field)
{
    return zort::xls::readU32(file, entryOffset(file, name) + field);
}

void patchEntry(std::vector<std::byte> &file, std::string_view name, std::size_t field,
                std::uint32_t value)
{
    const std::size_t e = entryOffset(file, name);
    for (std::size_t i = 0; i < 4; ++i)
        file[e + field + i] = std::byte((value >> (8 * i)) & 0xFF);
}

struct RoundTripCase
{
    std::size_t size;
    bool largeSectors;
};

class CompoundFileRoundTrip : public ::testing::TestWithParam<RoundTripCase>
{
};

TEST_P(CompoundFileRoundTrip, StreamsReadBackExactly)
{
    const auto [size, largeSectors] = GetParam();
    CompoundFileOptions options;
    options.largeSectors = largeSectors;
    const Streams streams = {{"Workbook", pattern(size, 1)},
                             {"\x05SummaryInformation", pattern(200, 2)},
                             {"Big", pattern(5000, 3)},
                             {"Tiny", pattern(1, 4)}};
    const auto file = buildCompoundFile(streams, options);
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.sectorSize(), largeSectors ? 4096u : 512u);
    for (const auto &[name, data] : streams) {
        const auto read = cf.readStream(name);
        ASSERT_TRUE(read.has_value()) << name;
        EXPECT_EQ(*read, data) << name << " of " << data.size() << " bytes";
    }
    auto names = cf.streamNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string> {"\x05SummaryInformation", "Big", "Tiny", "Workbook"}));
}

// Around the mini sector (64), the sector (512, 4096) and the mini-stream cutoff (4096).
INSTANTIATE_TEST_SUITE_P(Sizes, CompoundFileRoundTrip,
                         ::testing::Values(RoundTripCase {0, false}, RoundTripCase {1, false},
                                           RoundTripCase {64, false}, RoundTripCase {65, false},
                                           RoundTripCase {4095, false}, RoundTripCase {4096, false},
                                           RoundTripCase {4097, false},
                                           RoundTripCase {70000, false}, RoundTripCase {100, true},
                                           RoundTripCase {4095, true}, RoundTripCase {4096, true},
                                           RoundTripCase {12289, true}));

TEST(CompoundFile, NamesMatchCaseInsensitively)
{
    const auto file = buildCompoundFile(
            {{"Workbook", bytesOf("biff")}, {"Книга", bytesOf("cyr")}, {"book", bytesOf("b5")}});
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.readStream("WORKBOOK"), bytesOf("biff"));
    EXPECT_EQ(cf.readStream("workBook"), bytesOf("biff"));
    EXPECT_EQ(cf.readStream("BOOK"), bytesOf("b5"));
    EXPECT_EQ(cf.readStream("кНИГА"), bytesOf("cyr"));
    EXPECT_FALSE(cf.readStream("Workbook2").has_value());
    EXPECT_FALSE(cf.readStream("").has_value());
}

TEST(CompoundFile, EveryListedNameFindsItsStreamEvenWhenNotValidUtf16)
{
    auto file = buildCompoundFile({{"Workbook", bytesOf("biff")}});
    const std::size_t entry = entryOffset(file, "Workbook");
    file[entry] = std::byte(0x00); // a lone high surrogate in place of the "W"
    file[entry + 1] = std::byte(0xD8);
    const auto cf = CompoundFile::parse(file);
    ASSERT_EQ(cf.streamNames().size(), 1u);
    EXPECT_EQ(cf.streamNames()[0], "\xEF\xBF\xBDorkbook");
    EXPECT_EQ(cf.readStream(cf.streamNames()[0]), bytesOf("biff"));
}

TEST(CompoundFile, OnlyTheRootStoragesStreamsAreListed)
{
    const auto file = buildCompoundFile({{"Workbook", bytesOf("w")},
                                         {"_VBA_PROJECT_CUR/Inner", bytesOf("i")},
                                         {"_VBA_PROJECT_CUR/Workbook2", bytesOf("x")}});
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.streamNames(), std::vector<std::string> {"Workbook"});
    EXPECT_FALSE(cf.readStream("Inner").has_value());
    EXPECT_FALSE(cf.readStream("_VBA_PROJECT_CUR").has_value());
}

TEST(CompoundFile, EveryEntryOfALargeDirectoryTreeIsFound)
{
    Streams streams;
    for (int i = 0; i < 40; ++i)
        streams.push_back({"S" + std::to_string(i), pattern(10 + i * 150, i)});
    const auto file = buildCompoundFile(streams);
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.streamNames().size(), streams.size());
    for (const auto &[name, data] : streams)
        EXPECT_EQ(cf.readStream(name), data) << name;
}

TEST(CompoundFile, FatSectorsListedInTheDifatChainAreRead)
{
    // No room in the header: every FAT sector number sits in DIFAT sectors.
    CompoundFileOptions options;
    options.headerDifatSlots = 0;
    const auto data = pattern(200000);
    const auto file = buildCompoundFile({{"Workbook", data}}, options);
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.readStream("Workbook"), data);

    // Over 109 FAT sectors: the header's slots and then two DIFAT sectors.
    const auto big = pattern(9 * 1024 * 1024, 7);
    const auto file2 = buildCompoundFile({{"Workbook", big}});
    const auto cf2 = CompoundFile::parse(file2);
    EXPECT_EQ(cf2.readStream("Workbook"), big);
}

TEST(CompoundFile, WrongByteOrderFieldIsIgnored)
{
    CompoundFileOptions options;
    options.byteOrder = 0xFEFF;
    const auto file = buildCompoundFile({{"Workbook", pattern(5000)}}, options);
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.readStream("Workbook"), pattern(5000));
}

TEST(CompoundFile, CrossLinkedStreamsAreBothRead)
{
    auto file = buildCompoundFile({{"Workbook", pattern(6000, 1)}, {"Other", pattern(7000, 2)}});
    // Point "Other" at the sectors of "Workbook".
    patchEntry(file, "Other", 116, entryField(file, "Workbook", 116));
    patchEntry(file, "Other", 120, 6000);
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.readStream("Workbook"), pattern(6000, 1));
    EXPECT_EQ(cf.readStream("Other"), pattern(6000, 1));
}

// A size field claiming more than the chain holds: the stream is what its chain gives, never
// more than the file; a smaller size field cuts the stream there.
TEST(CompoundFile, StreamSizeFieldIsBoundedByItsChain)
{
    struct Case
    {
        std::size_t real;
        std::uint64_t declared;
        std::size_t expected;
        bool largeSectors;
    };
    const Case cases[] = {
            {5000, 1'000'000, 5120, false}, // 10 sectors of 512
            {5000, 0xFFFFFFFF, 5120, false},
            {5000, std::uint64_t {1} << 40, 8192, true}, // 64-bit size in version 4
            {100, 3000, 128, false}, // 2 mini sectors
            {5000, 4500, 4500, false},
            {5000, 10, 10, false}, // under the cutoff: the mini FAT has no such chain
    };
    for (const Case &c : cases) {
        CompoundFileOptions options;
        options.largeSectors = c.largeSectors;
        options.declaredSize = std::pair {std::string("Workbook"), c.declared};
        const auto file = buildCompoundFile({{"Workbook", pattern(c.real)}}, options);
        SCOPED_TRACE("real " + std::to_string(c.real) + ", declared " + std::to_string(c.declared));
        const auto cf = CompoundFile::parse(file);
        std::optional<std::vector<std::byte>> read;
        try {
            read = cf.readStream("Workbook");
        } catch (const FormatError &e) {
            // A regular stream's start read as a mini sector number can point anywhere.
            EXPECT_EQ(c.declared, 10u) << e.what();
            EXPECT_EQ(e.kind(), ErrorKind::Corrupt);
            continue;
        }
        ASSERT_TRUE(read.has_value());
        ASSERT_LE(read->size(), file.size());
        if (c.declared == 10) {
            EXPECT_LE(read->size(), 10u);
            continue;
        }
        EXPECT_EQ(read->size(), c.expected);
        const auto prefix = std::min(c.real, c.expected);
        EXPECT_TRUE(std::equal(read->begin(), read->begin() + prefix, pattern(c.real).begin()));
    }
}

TEST(CompoundFile, LastSectorCutShortGivesWhatIsThere)
{
    auto file = buildCompoundFile({{"Workbook", pattern(5000)}});
    file.resize(file.size() - 300); // the last sector keeps 212 of its 512 bytes
    const auto cf = CompoundFile::parse(file);
    const auto read = cf.readStream("Workbook");
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->size(), 9u * 512u + 212u);
    EXPECT_TRUE(std::equal(read->begin(), read->end(), pattern(5000).begin()));
}

TEST(CompoundFile, DamagedMiniFatSparesRegularStreams)
{
    CompoundFileOptions options;
    options.fault = CompoundFault::MiniFatCycle;
    const auto file =
            buildCompoundFile({{"Small", pattern(300)}, {"Workbook", pattern(9000)}}, options);
    const auto cf = CompoundFile::parse(file);
    EXPECT_EQ(cf.readStream("Workbook"), pattern(9000));
    EXPECT_THROW((void)cf.readStream("Small"), FormatError);
}

struct FaultCase
{
    const char *label;
    std::vector<std::byte> file;
    ErrorKind kind;
    std::string messagePart;
};

std::vector<std::byte> withFault(CompoundFault fault, CompoundFileOptions options = {})
{
    options.fault = fault;
    return buildCompoundFile({{"Small", pattern(300)}, {"Workbook", pattern(9000)}}, options);
}

std::vector<std::byte> patched(std::vector<std::byte> file, std::size_t pos, std::uint16_t v)
{
    file[pos] = std::byte(v & 0xFF);
    file[pos + 1] = std::byte(v >> 8);
    return file;
}

std::vector<FaultCase> faultCases()
{
    CompoundFileOptions badSignature;
    badSignature.badSignature = true;
    CompoundFileOptions shortHeader;
    shortHeader.truncateTo = 300;
    CompoundFileOptions truncated;
    truncated.truncateTo = 512 * 5;
    CompoundFileOptions difatOnly;
    difatOnly.headerDifatSlots = 0;
    const auto good = withFault(CompoundFault::None);
    return {
            {"BadSignature", buildCompoundFile({{"Workbook", pattern(10)}}, badSignature),
             ErrorKind::NotAWorkbook, "not a compound document"},
            {"PlainText", bytesOf("ID;PWXL;N;E\nC;Y1;X1;K\"a\"\nE\n"), ErrorKind::NotAWorkbook,
             "not a compound document"},
            {"Empty", {}, ErrorKind::NotAWorkbook, "not a compound document"},
            {"HeaderCutShort", buildCompoundFile({{"Workbook", pattern(10)}}, shortHeader),
             ErrorKind::Corrupt, "the header is cut short: the file has 300 bytes"},
            {"Truncated", withFault(CompoundFault::None, truncated), ErrorKind::Corrupt,
             "the chain of stream \"Workbook\" reaches sector"},
            {"FatCycle", withFault(CompoundFault::FatCycle), ErrorKind::Corrupt,
             "the chain of stream \"Workbook\" loops back to sector"},
            {"SectorOutOfRange", withFault(CompoundFault::SectorOutOfRange), ErrorKind::Corrupt,
             "the chain of stream \"Workbook\" reaches sector"},
            {"MiniFatCycle", withFault(CompoundFault::MiniFatCycle), ErrorKind::Corrupt,
             "the chain of stream \"Small\" in the mini stream loops back"},
            {"DirectoryCycle", withFault(CompoundFault::DirectoryCycle), ErrorKind::Corrupt,
             "the directory tree loops back to entry"},
            {"DirectoryChainCycle", withFault(CompoundFault::DirectoryChainCycle),
             ErrorKind::Corrupt, "the chain of the directory loops back to sector"},
            {"DifatCycle", withFault(CompoundFault::DifatCycle, difatOnly), ErrorKind::Corrupt,
             "the DIFAT chain loops back to sector"},
            {"SectorShift", patched(good, 30, 10), ErrorKind::Corrupt,
             "unsupported sector size 2^10 in the header (offset 30)"},
            {"MiniSectorShift", patched(good, 32, 7), ErrorKind::Corrupt,
             "unsupported mini sector size 2^7"},
            {"FatSectorPastTheEnd", patched(good, 76, 0x4000), ErrorKind::Corrupt,
             "FAT sector 16384 listed in the header lies past the file's"},
            {"DirectoryPastTheEnd", patched(good, 48, 0x4000), ErrorKind::Corrupt,
             "the chain of the directory reaches sector 16384"},
            {"NoRootEntry", patched(good, 512 * 2 + 66, 0), ErrorKind::Corrupt,
             "the directory has no root entry"},
    };
}

class CompoundFileFault : public ::testing::TestWithParam<FaultCase>
{
};

// Parsing, then reading every stream: each damage ends in its error, saying where.
TEST_P(CompoundFileFault, IsReportedWithItsPlace)
{
    const FaultCase &c = GetParam();
    try {
        const auto cf = CompoundFile::parse(c.file);
        for (const auto &name : cf.streamNames())
            (void)cf.readStream(name);
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), c.kind) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.messagePart), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, CompoundFileFault, ::testing::ValuesIn(faultCases()),
                         [](const auto &info) { return std::string(info.param.label); });

} // namespace
