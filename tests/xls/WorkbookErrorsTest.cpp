#include "CellValues.h"
#include "WorkbookBuilder.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace zort::xls;
using namespace zort::xls::testvalues;
using zort::test::RecordBody;
using zort::test::WorkbookBuilder;

namespace {

// A small but complete form: both tables, shared strings, names through EXTERNSHEET.
WorkbookBuilder smallForm()
{
    WorkbookBuilder b;
    auto &title = b.addSheet("Титульный");
    title.setText(0, 0, "ID_Element").setText(0, 1, "Name").setText(0, 2, "Val");
    title.setText(1, 0, "P_OKUD").setText(1, 1, "Код").setText(1, 2, "0606024");
    auto &checks = b.addSheet("Контроль");
    const char *header[] = {"ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"};
    for (std::uint16_t c = 0; c < 6; ++c)
        checks.setText(0, c, header[c]);
    for (std::uint16_t r = 1; r <= 4; ++r) {
        checks.setRk(r, 0, 0x06).setMulRk(r, 1, {0x06, 0x0A, 0x0E});
        checks.setFormulaText(r, 4, "Проверка " + std::to_string(r));
        checks.setFormulaNumber(r, 5, r % 2);
    }
    b.addName("Data_Adr", 0, area(0, 0, 1, 2));
    b.addName("T_Check", 1, columns(0, 5));
    return b;
}

struct ErrorCase
{
    const char *what;
    std::function<std::vector<std::byte>()> file;
    ErrorKind kind;
    const char *messageStart;
};

void PrintTo(const ErrorCase &c, std::ostream *os)
{
    *os << c.what;
}

class OpenError : public testing::TestWithParam<ErrorCase>
{
};

TEST_P(OpenError, IsTypedAndSaysWhat)
{
    try {
        const Workbook book = Workbook::fromBytes(GetParam().file());
        for (const auto &name : book.names())
            book.readTable(name);
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), GetParam().kind) << e.what();
        EXPECT_TRUE(std::string(e.what()).starts_with(GetParam().messageStart)) << e.what();
    }
}

std::vector<std::byte> withSheetRecord(std::function<void(zort::test::SheetBuilder &)> add)
{
    WorkbookBuilder b = smallForm();
    add(b.sheet(1));
    return b.build();
}

INSTANTIATE_TEST_SUITE_P(
        Files, OpenError,
        testing::Values(
                ErrorCase {"not a compound file",
                           [] { return zort::test::bytesOf("PK\x03\x04 not a workbook at all"); },
                           ErrorKind::NotAWorkbook, "Not a"},
                ErrorCase {"no workbook stream",
                           [] {
                               return zort::test::buildCompoundFile(
                                       {{"Other", std::vector<std::byte>(64)}});
                           },
                           ErrorKind::NotAWorkbook,
                           "Not a workbook: the file holds no workbook stream"},
                ErrorCase {"stream without BOF",
                           [] {
                               return zort::test::buildCompoundFile(
                                       {{"Workbook", std::vector<std::byte>(64)}});
                           },
                           ErrorKind::NotAWorkbook, "Not a workbook"},
                ErrorCase {"BIFF4",
                           [] {
                               return zort::test::buildCompoundFile({{"Book", RecordBody()
                                                                                      .u16(0x0409)
                                                                                      .u16(6)
                                                                                      .u16(0)
                                                                                      .u16(0x10)
                                                                                      .u16(0)
                                                                                      .take()}});
                           },
                           ErrorKind::UnsupportedVersion,
                           "The workbook is in an unsupported format (BIFF4"},
                ErrorCase {
                        "BIFF3 without container",
                        [] {
                            return RecordBody().u16(0x0209).u16(6).u16(0).u16(0x10).u16(0).take();
                        },
                        ErrorKind::UnsupportedVersion,
                        "The workbook is in an unsupported format (BIFF3"},
                ErrorCase {"password",
                           [] {
                               WorkbookBuilder b = smallForm();
                               b.setEncrypted(true);
                               return b.build();
                           },
                           ErrorKind::PasswordProtected, "The workbook is password-protected"},
                ErrorCase {"truncated record",
                           [] {
                               return withSheetRecord([](auto &s) {
                                   s.addRawRecord(0x0203, 14, RecordBody().u16(1).u16(1).take());
                               });
                           },
                           ErrorKind::Corrupt, "record 0x0203 at offset "},
                ErrorCase {"cell record too short",
                           [] {
                               return withSheetRecord([](auto &s) {
                                   s.addRecord(0x0203, RecordBody().u16(1).u16(1).take());
                               });
                           },
                           ErrorKind::Corrupt, "record 0x0203 at offset "},
                ErrorCase {"MULRK of a broken size",
                           [] {
                               return withSheetRecord([](auto &s) {
                                   s.addRecord(0x00BD, RecordBody()
                                                               .u16(1)
                                                               .u16(0)
                                                               .u16(0)
                                                               .u32(2)
                                                               .u16(0)
                                                               .u8(1)
                                                               .take());
                               });
                           },
                           ErrorKind::Corrupt, "record 0x00BD at offset "},
                ErrorCase {"sheet offset past the stream",
                           [] {
                               WorkbookBuilder b = smallForm();
                               auto stream = b.buildStream();
                               stream.resize(stream.size() - 60);
                               return zort::test::buildCompoundFile({{"Workbook", stream}});
                           },
                           ErrorKind::Corrupt, ""},
                ErrorCase {"FAT cycle",
                           [] {
                               zort::test::CompoundFileOptions options;
                               options.fault = zort::test::CompoundFault::FatCycle;
                               WorkbookBuilder b = smallForm();
                               for (std::uint16_t r = 10; r < 800; ++r)
                                   b.sheet(1).setNumber(r, 0, r); // a stream in regular sectors
                               return b.build(options);
                           },
                           ErrorKind::Corrupt, ""}),
        [](const auto &info) { return "case" + std::to_string(info.index); });

TEST(WorkbookOpen, ReportsAMissingFileAndAFolder)
{
    try {
        Workbook::open("/nonexistent/form.xls");
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
        EXPECT_EQ(std::string(e.what()), "The file \"/nonexistent/form.xls\" does not exist");
    }
    try {
        Workbook::open(std::filesystem::temp_directory_path().string());
        FAIL() << "no error";
    } catch (const FormatError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::Unreadable);
    }
}

TEST(WorkbookOpen, ReadsAFileFromDisk)
{
    const auto path = std::filesystem::temp_directory_path() / "zort-workbook-open-test.xls";
    smallForm().writeFile(path.string());
    const Workbook book = Workbook::open(path.string());
    std::filesystem::remove(path);
    const Table checks = book.readTable("T_Check");
    EXPECT_EQ(checks.columns.back(), "Result");
    ASSERT_EQ(checks.rows.size(), 4u);
    EXPECT_EQ(checks.rows[0], (std::vector<Cell> {number(1), number(1), number(2), number(3),
                                                  text("Проверка 1"), number(1)}));
}

// Every cut and many single-byte changes of a valid stream must end in a typed error or a
// result, never a crash or a hang (the sanitizer build checks memory on each).
TEST(WorkbookRobustness, DamagedStreamsFailCleanly)
{
    const auto stream = smallForm().buildStream();
    const auto readAll = [](std::vector<std::byte> bytes) {
        try {
            const Workbook book = Workbook::fromWorkbookStream(std::move(bytes));
            std::size_t cells = 0;
            for (const auto &name : book.names()) {
                try {
                    cells += book.readTable(name).rows.size();
                } catch (const FormatError &) { }
            }
            return cells;
        } catch (const FormatError &) {
            return std::size_t {0};
        }
    };
    const auto start = std::chrono::steady_clock::now();
    std::size_t variants = 0;
    for (std::size_t cut = 0; cut < stream.size(); ++cut, ++variants)
        readAll({stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)});
    for (std::size_t pos = 0; pos < stream.size(); ++pos) {
        for (std::uint8_t value : {0x00, 0x01, 0x7F, 0xFF}) {
            auto damaged = stream;
            damaged[pos] = std::byte {value};
            readAll(std::move(damaged));
            ++variants;
        }
    }
    EXPECT_GT(variants, 4 * stream.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

} // namespace
