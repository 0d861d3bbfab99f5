#include "CellValues.h"
#include "WorkbookBuilder.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <gtest/gtest.h>

using namespace zort::xls;
using namespace zort::xls::testvalues;
using zort::test::WorkbookBuilder;

namespace {

// Reads back column A of a one-sheet workbook whose texts all go through the shared strings.
std::vector<std::string> roundTrip(const std::vector<std::string> &texts, std::size_t sstLimit,
                                   std::uint16_t runs = 0, std::uint32_t phonetic = 0)
{
    WorkbookBuilder b;
    b.setSstRecordLimit(sstLimit);
    b.setSstExtras(runs, phonetic);
    auto &s = b.addSheet("S");
    s.setText(0, 0, "Text");
    for (std::size_t i = 0; i < texts.size(); ++i)
        s.setText(static_cast<std::uint16_t>(i + 1), 0, texts[i]);
    b.addName("All", 0, area(0, 0, static_cast<std::uint32_t>(texts.size()), 0));
    const std::vector<std::byte> bytes = b.build();
    const Table table = Workbook::fromBytes(bytes).readTable("All");
    // Read again with the texts left in the workbook, which is gone before they are decoded.
    const Table onDemand = Workbook::fromBytes(bytes).readTable("All", TextReading::OnDemand);
    EXPECT_EQ(onDemand.columns, table.columns);
    EXPECT_EQ(onDemand.rows.size(), table.rows.size());
    std::vector<std::string> back;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const Cell &cell = table.rows[r].at(0);
        back.push_back(cell.text);
        if (r >= onDemand.rows.size())
            continue;
        const Cell &later = onDemand.rows[r].at(0);
        EXPECT_EQ(later.type, cell.type) << r;
        EXPECT_EQ(onDemand.text(later), cell.text) << r;
        // Left undecoded in the cell itself.
        EXPECT_TRUE(later.text.empty()) << r;
        EXPECT_EQ(later.sharedString != 0, cell.type == CellType::Text) << r;
    }
    return back;
}

struct SplitCase
{
    const char *what;
    std::vector<std::string> texts;
    std::size_t sstLimit;
    std::uint16_t runs = 0;
    std::uint32_t phonetic = 0;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.what;
}

class SharedStringSplit : public testing::TestWithParam<SplitCase>
{
};

TEST_P(SharedStringSplit, ReadsTheTextsWhole)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(roundTrip(c.texts, c.sstLimit, c.runs, c.phonetic), c.texts) << c.what;
}

const std::string kLatin = "Form check results, section two, rule fourteen";
const std::string kCyrillic = "Сумма по строке 010 не равна сумме строк 020-090";
const std::string kMixed = "Section 2: Раздел 2 (" + kLatin + ")";

INSTANTIATE_TEST_SUITE_P(
        Cases, SharedStringSplit,
        testing::Values(SplitCase {"no split", {kLatin, kCyrillic}, 8224},
                        SplitCase {"8-bit text split", {kLatin, kLatin + "!"}, 24},
                        SplitCase {"UTF-16 text split", {kCyrillic, kCyrillic + "!"}, 24},
                        // the width changes at the boundary: 8-bit first, UTF-16 in the CONTINUE
                        SplitCase {"width changes", {kMixed, "x", kMixed + "y"}, 30},
                        SplitCase {"runs and phonetic data cross the boundary",
                                   {kLatin, kCyrillic, kMixed},
                                   40,
                                   3,
                                   10},
                        SplitCase {"many records", std::vector<std::string>(300, kCyrillic), 100},
                        SplitCase {"empty and one-letter texts", {"", "a", "", "Я"}, 12}),
        [](const auto &info) { return "case" + std::to_string(info.index); });

// Finds the first record of a type in a bare workbook stream; returns its body offset.
std::size_t findRecord(const std::vector<std::byte> &stream, std::uint16_t type)
{
    std::size_t pos = 0;
    while (pos + 4 <= stream.size()) {
        const auto t = std::to_integer<unsigned>(stream[pos])
                       | std::to_integer<unsigned>(stream[pos + 1]) << 8;
        const auto size = std::to_integer<unsigned>(stream[pos + 2])
                          | std::to_integer<unsigned>(stream[pos + 3]) << 8;
        if (t == type)
            return pos + 4;
        pos += 4 + size;
    }
    return std::string::npos;
}

TEST(SharedStrings, DeclaredCountsAreOnlyAHint)
{
    WorkbookBuilder b;
    auto &s = b.addSheet("S");
    s.setText(0, 0, "H").setText(1, 0, "one").setText(2, 0, "two");
    b.addName("T", 0, area(0, 0, 2, 0));
    for (std::uint32_t declared : {0u, 1u, 0xFFFFFFFFu}) {
        auto stream = b.buildStream();
        const std::size_t sst = findRecord(stream, 0x00FC);
        ASSERT_NE(sst, std::string::npos);
        for (int i = 0; i < 8; ++i)
            stream[sst + i] = std::byte {static_cast<std::uint8_t>(declared >> (8 * (i % 4)))};
        const Table t = Workbook::fromWorkbookStream(stream).readTable("T");
        ASSERT_EQ(t.rows.size(), 2u) << declared;
        EXPECT_EQ(t.rows[1][0], text("two")) << declared;
    }
}

TEST(SharedStrings, AnIndexPastTheTableIsCorruptAndSaysWhere)
{
    WorkbookBuilder b;
    auto &s = b.addSheet("S");
    s.setText(0, 0, "H");
    // LABELSST at A2 pointing at string 7 of a table of one
    s.addRecord(0x00FD, zort::test::RecordBody().u16(1).u16(0).u16(0).u32(7).take());
    b.addName("T", 0, area(0, 0, 1, 0));
    const Workbook book = Workbook::fromBytes(b.build());
    // Also when the texts are to be decoded on demand: the table is checked as it is read.
    for (const TextReading reading : {TextReading::Decode, TextReading::OnDemand}) {
        try {
            book.readTable(*book.findName("T"), reading);
            ADD_FAILURE() << "no error";
        } catch (const FormatError &e) {
            EXPECT_EQ(e.kind(), ErrorKind::Corrupt);
            EXPECT_TRUE(std::string(e.what()).starts_with("record 0x00FD at offset ")) << e.what();
            EXPECT_NE(std::string(e.what()).find("shared string 7"), std::string::npos) << e.what();
        }
    }
}

TEST(SharedStrings, ATextCutShortInTheTableIsCorrupt)
{
    WorkbookBuilder b;
    b.addSheet("S");
    // SST: counts, then a string claiming 50 characters with only 3 present
    b.addGlobalRecord(
            0x00FC,
            zort::test::RecordBody().u32(1).u32(1).u16(50).u8(0).u8('a').u8('b').u8('c').take());
    try {
        Workbook::fromBytes(b.build());
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::Corrupt);
        EXPECT_TRUE(std::string(e.what()).starts_with("record 0x00FC at offset ")) << e.what();
    }
}

} // namespace
