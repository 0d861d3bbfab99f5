#include "DumpCommand.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

using nlohmann::ordered_json;
using zort::cli::runDump;

namespace {

const std::string kFixtures = std::string(ZORT_SOURCE_DIR) + "/tests/fixtures/";

struct DumpResult
{
    int status;
    std::string out;
    std::string err;
};

DumpResult dump(const std::string &path)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runDump(path, out, err);
    return {status, out.str(), err.str()};
}

ordered_json dumpJson(const std::string &path)
{
    const DumpResult r = dump(path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return ordered_json::parse(r.out);
}

std::vector<std::string> keysOf(const ordered_json &object)
{
    std::vector<std::string> keys;
    for (const auto &item : object.items())
        keys.push_back(item.key());
    return keys;
}

// A file in a fresh folder under the system's temporary folder, removed at the end.
class TempFile
{
public:
    TempFile(const std::string &name, const std::string &bytes)
        : m_dir(std::filesystem::temp_directory_path()
                / ("zort-dump-test-"
                   + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::create_directories(m_dir);
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
        m_path = (m_dir / name).string();
    }
    ~TempFile() { std::filesystem::remove_all(m_dir); }
    const std::string &path() const { return m_path; }

private:
    std::filesystem::path m_dir;
    std::string m_path;
};

std::string fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DumpCommand, PrintsEveryKindOfCellValue)
{
    const auto json = dumpJson(kFixtures + "lo-values.xls");
    EXPECT_EQ(keysOf(json), (std::vector<std::string> {"format", "sheets", "names"}));
    EXPECT_EQ(json["format"], "BIFF8");
    EXPECT_EQ(json["sheets"], ordered_json::parse(R"(["Титульный", "Контроль"])"));
    ASSERT_EQ(json["names"].size(), 2u);

    const auto &dataAdr = json["names"][0];
    EXPECT_EQ(keysOf(dataAdr),
              (std::vector<std::string> {"name", "sheet", "local", "area", "columns", "rows"}));
    EXPECT_EQ(dataAdr["name"], "Data_Adr");
    EXPECT_EQ(dataAdr["sheet"], "Титульный");
    EXPECT_EQ(dataAdr["local"], false);
    EXPECT_EQ(dataAdr["area"], "A1:C16");
    EXPECT_EQ(dataAdr["columns"], ordered_json::parse(R"(["ID_Element", "Name", "Val"])"));

    // The Val column of each record, as the fixture's README lists it.
    const ordered_json expected = ordered_json::parse(R"({
        "P_OKUD": "0606024", "P_Int": 606024, "P_Frac": 12.5, "P_Neg": -3.25,
        "P_True": true, "P_False": false, "P_Div0": {"error": "#DIV/0!"},
        "P_NA": {"error": "#N/A"}, "P_Date": {"date": 45306}, "P_Empty": null,
        "P_FText": "0606024", "P_FBool": true, "P_FEmpty": ""})");
    std::size_t seen = 0;
    for (const auto &row : dataAdr["rows"]) {
        ASSERT_EQ(row.size(), 3u);
        const std::string id = row[0].get<std::string>();
        if (expected.contains(id)) {
            EXPECT_EQ(row[2], expected[id]) << id;
            ++seen;
        }
    }
    EXPECT_EQ(seen, expected.size());

    const auto &check = json["names"][1];
    EXPECT_EQ(check["name"], "T_Check");
    EXPECT_EQ(check["area"], "A1:F6");
    ASSERT_EQ(check["rows"].size(), 5u);
    EXPECT_EQ(check["rows"][1],
              ordered_json::parse(R"([1, 1, 1, 2, "Проверка 2 не выполнена", 1])"));
    EXPECT_EQ(check["rows"][2], ordered_json::parse("[null, null, null, null, null, null]"));
}

TEST(DumpCommand, PrintsCyrillicAsUtf8AndWholeNumbersWithoutAFraction)
{
    const DumpResult r = dump(kFixtures + "lo-values.xls");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"Титульный\""), std::string::npos);
    EXPECT_EQ(r.out.find("\\u"), std::string::npos);
    EXPECT_NE(r.out.find("\"date\": 45306\n"), std::string::npos);
    EXPECT_EQ(r.out.find("606024.0"), std::string::npos);
}

TEST(DumpCommand, ListsNamesInTheWorkbooksOrderWithScopeAndNonTables)
{
    const auto json = dumpJson(kFixtures + "lo-names.xls");
    const auto &names = json["names"];
    ASSERT_EQ(names.size(), 6u);
    std::vector<std::string> order;
    for (const auto &n : names)
        order.push_back(n["name"]);
    EXPECT_EQ(order, (std::vector<std::string> {"Data_Adr", "Rate", "T_Check", "Whole_Columns",
                                                "Local_Only", "T_Check"}));

    const auto &rate = names[1];
    EXPECT_EQ(keysOf(rate), (std::vector<std::string> {"name", "sheet", "local", "area", "error"}));
    EXPECT_TRUE(rate["sheet"].is_null());
    EXPECT_TRUE(rate["area"].is_null());
    EXPECT_FALSE(rate["error"].get<std::string>().empty());

    EXPECT_EQ(names[3]["area"], "A:F");
    EXPECT_EQ(names[3]["rows"].size(), 2u);

    EXPECT_EQ(names[4]["local"], true);
    EXPECT_EQ(names[4]["sheet"], "Черновик");
    EXPECT_EQ(names[4]["area"], "A3");
    EXPECT_EQ(names[4]["columns"], ordered_json::parse(R"(["Черновое значение"])"));
    EXPECT_EQ(names[4]["rows"], ordered_json::array());

    EXPECT_EQ(names[2]["local"], false);
    EXPECT_EQ(names[2]["rows"].size(), 2u);
    EXPECT_EQ(names[5]["local"], true);
    EXPECT_EQ(names[5]["rows"], ordered_json::parse(R"([[9, 9, 9, 9, "Черновая проверка", 1]])"));
}

// An unreadable file: status 2, the reason on standard error, nothing on standard output.
TEST(DumpCommand, ReportsAFileItCannotReadOnStandardError)
{
    const std::string whole = fileBytes(kFixtures + "lo-values.xls");
    ASSERT_GT(whole.size(), 3000u);
    const TempFile text("notes.xls", "Plain text, not a workbook.\n");
    const TempFile truncated("cut.xls", whole.substr(0, 3000));
    const TempFile empty("empty.xls", "");
    const std::string missing = kFixtures + "no-such-workbook.xls";

    for (const std::string &path : {text.path(), truncated.path(), empty.path(), missing}) {
        const DumpResult r = dump(path);
        EXPECT_EQ(r.status, 2) << path;
        EXPECT_EQ(r.out, "") << path;
        ASSERT_FALSE(r.err.empty()) << path;
        EXPECT_EQ(r.err.back(), '\n') << path;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

} // namespace
