// The shared corpus of real-world workbooks against an independent reader's view of each
// (oracle/<file>.json, see the corpus's make_oracle.py): every file opens or fails with a
// FormatError in bounded time, and for every file the other reader opened, sheets, user names,
// their areas and the cells of their tables agree. Skipped when the corpus is absent.
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;
using zort::xls::Cell;
using zort::xls::CellType;
using zort::xls::DefinedName;
using zort::xls::FormatError;
using zort::xls::Table;
using zort::xls::TextReading;
using zort::xls::Workbook;

namespace {

const fs::path kCorpus = ZORT_CORPUS_DIR;
std::size_t g_tablesCompared = 0;
std::size_t g_cellsCompared = 0;
constexpr auto kTimeBound = std::chrono::seconds(2); // generous: also runs under sanitizers

// Where we disagree with the other reader on purpose: the file, the name the difference is
// about ("" for the whole file) and why. An entry that no longer matches a difference fails.
struct ExpectedDifference
{
    const char *file;
    const char *name;
    const char *reason;
};

constexpr const char *kOldBiff = "BIFF2-4 (Excel 2.x-4.0): we read only BIFF5 and later and "
                                 "say so with an unsupported-version error; the oracle reads them";
constexpr const char *kNotOneReference =
        "the formula combines references (an intersection or a union of names); the oracle "
        "resolves it to an area, we accept only a single reference as a table";

const ExpectedDifference kExpectedDifferences[] = {
        {"exceldatareader/Test_git_issue_368_ixfe.xls", "", kOldBiff},
        {"exceldatareader/as3xls_BIFF2.xls", "", kOldBiff},
        {"exceldatareader/as3xls_BIFF3.xls", "", kOldBiff},
        {"exceldatareader/biff3.xls", "", kOldBiff},
        {"sheetjs/crlf/CRLFR9_4.XLS", "", kOldBiff},
        {"sheetjs/crlf/CRLFX5_2.XLS", "", kOldBiff},
        {"sheetjs/crlf/CRLFX5_3.XLS", "", kOldBiff},
        {"sheetjs/crlf/CRLFX5_4.XLS", "", kOldBiff},
        {"xlrd/biff4_no_format_no_window2.xls", "", kOldBiff},
        {"xlrd/namesdemo.xls", "BottomLine", kNotOneReference},
        {"xlrd/namesdemo.xls", "Intersection", kNotOneReference},
        {"xlrd/namesdemo.xls", "Union", kNotOneReference},
};

// Whether a difference found in `file` is one listed; marks the entry used.
bool isExpected(const std::string &file, const std::string &difference, std::vector<bool> &used)
{
    for (std::size_t i = 0; i < std::size(kExpectedDifferences); ++i) {
        const auto &e = kExpectedDifferences[i];
        if (file != e.file)
            continue;
        const std::string prefix = std::string("name ") + e.name + ":";
        if (*e.name == 0 || difference.rfind(prefix, 0) == 0) {
            used[i] = true;
            return true;
        }
    }
    return false;
}

std::vector<fs::path> corpusFiles()
{
    std::vector<fs::path> files;
    for (const auto &e : fs::recursive_directory_iterator(kCorpus / "xls"))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string describe(const Cell &c)
{
    std::ostringstream s;
    switch (c.type) {
    case CellType::Empty:
        return "empty";
    case CellType::Number:
        s << "number " << c.number;
        break;
    case CellType::Text:
        return "text \"" + c.text + "\"";
    case CellType::Boolean:
        return c.number != 0 ? "boolean true" : "boolean false";
    case CellType::Error:
        return "error " + std::string(zort::xls::errorText(static_cast<std::uint8_t>(c.number)));
    case CellType::Date:
        s << "date " << c.number;
        break;
    }
    return s.str();
}

bool closeTo(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// Whether our cell is what the oracle's [type, value] says.
bool sameCell(const Cell &ours, const json &theirs)
{
    const std::string type = theirs[0];
    const json &value = theirs[1];
    if (type == "empty" || type == "blank")
        return ours.type == CellType::Empty;
    if (type == "text")
        return ours.type == CellType::Text && ours.text == value.get<std::string>();
    if (type == "number")
        return ours.type == CellType::Number && value.is_number()
               && closeTo(ours.number, value.get<double>());
    if (type == "date")
        return ours.type == CellType::Date && value.is_number()
               && closeTo(ours.number, value.get<double>());
    if (type == "boolean")
        return ours.type == CellType::Boolean && (ours.number != 0) == value.get<bool>();
    if (type == "error")
        return ours.type == CellType::Error
               && zort::xls::errorText(static_cast<std::uint8_t>(ours.number))
                          == value.get<std::string>();
    return false;
}

// The oracle's header cell as a column name: a text as it stands, an empty cell "F<n>".
std::optional<std::string> expectedColumn(const json &cell, std::size_t column)
{
    const std::string type = cell[0];
    if (type == "empty" || type == "blank")
        return "F" + std::to_string(column + 1);
    if (type == "text" && !cell[1].get<std::string>().empty())
        return cell[1].get<std::string>();
    return std::nullopt; // a number or other value as a header: formatting is not compared
}

void compareTable(const Workbook &book, const DefinedName &name, const json &area,
                  std::vector<std::string> &diffs)
{
    const std::string where = "name " + name.name + ": ";
    if (!area.contains("cells") || area["cells"].is_null())
        return;
    const json &cells = area["cells"];
    const std::size_t width =
            area["last_col"].get<std::size_t>() - area["first_col"].get<std::size_t>();
    const std::size_t height =
            area["last_row"].get<std::size_t>() - area["first_row"].get<std::size_t>();
    if (width == 0 || height == 0)
        return;
    zort::xls::Table table;
    try {
        table = book.readTable(name);
    } catch (const FormatError &e) {
        diffs.push_back(where + "table not read: " + e.what());
        return;
    }
    auto at = [&](std::size_t r, std::size_t c) -> const json & { return cells[r * width + c]; };
    if (table.columns.size() > width || table.rows.size() + 1 > height) {
        diffs.push_back(where + "table larger than its area");
        return;
    }
    for (std::size_t c = 0; c < width; ++c) {
        if (c >= table.columns.size()) {
            // Past the sheet's used columns: the oracle must see nothing there.
            for (std::size_t r = 0; r < height; ++r)
                if (!sameCell(Cell {}, at(r, c)))
                    diffs.push_back(where + "column " + std::to_string(c) + " left out");
            continue;
        }
        const auto column = expectedColumn(at(0, c), c);
        if (column && *column != table.columns[c])
            diffs.push_back(where + "column " + std::to_string(c) + " is \"" + table.columns[c]
                            + "\", expected \"" + *column + "\"");
    }
    ++g_tablesCompared;
    g_cellsCompared += width * height;
    for (std::size_t r = 1; r < height; ++r) {
        for (std::size_t c = 0; c < width; ++c) {
            const Cell ours = r - 1 < table.rows.size() && c < table.columns.size()
                                      ? table.rows[r - 1][c]
                                      : Cell {};
            if (!sameCell(ours, at(r, c))) {
                diffs.push_back(where + "cell (" + std::to_string(r) + ", " + std::to_string(c)
                                + ") is " + describe(ours) + ", expected " + at(r, c).dump());
                if (diffs.size() > 20)
                    return;
            }
        }
    }
}

// Compares what we read with the oracle's record; returns the differences found.
std::vector<std::string> compare(const Workbook &book, const json &oracle)
{
    std::vector<std::string> diffs;
    const auto &ourSheets = book.sheetNames();
    // The other reader lists worksheets only: its sheets must be ours in order, charts aside.
    std::vector<std::string> theirSheets;
    for (const auto &s : oracle["sheets"])
        theirSheets.push_back(s["name"]);
    std::size_t next = 0;
    for (const auto &s : ourSheets)
        if (next < theirSheets.size() && s == theirSheets[next])
            ++next;
    if (next != theirSheets.size())
        diffs.push_back("sheets differ");

    std::vector<json> theirNames;
    for (const auto &n : oracle["names"])
        if (!n["builtin"].get<bool>())
            theirNames.push_back(n);
    const auto &ours = book.names();
    if (ours.size() != theirNames.size()) {
        diffs.push_back("names: " + std::to_string(ours.size()) + ", expected "
                        + std::to_string(theirNames.size()));
        return diffs;
    }
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const DefinedName &name = ours[i];
        const json &theirs = theirNames[i];
        if (name.name != theirs["name"].get<std::string>()) {
            diffs.push_back("name " + std::to_string(i) + " is " + name.name + ", expected "
                            + theirs["name"].get<std::string>());
            continue;
        }
        const bool theirLocal = theirs["scope"] != "global";
        if (name.local() != theirLocal) {
            diffs.push_back("name " + name.name + ": scope differs");
        } else if (theirs["scope"].is_number()) {
            const auto scope = theirs["scope"].get<std::size_t>();
            const bool sameScope = scope < theirSheets.size()
                                   && std::size_t(name.scopeSheet) < ourSheets.size()
                                   && ourSheets[std::size_t(name.scopeSheet)] == theirSheets[scope];
            if (!sameScope)
                diffs.push_back("name " + name.name + ": local to another sheet");
        }
        // A table is one area of one of the workbook's own sheets.
        const json &areas = theirs["areas"];
        const bool theirTable = theirs["kind"] == "ref" && areas.size() == 1
                                && areas[0]["sheet"].is_number() && !areas[0].contains("sheet_last")
                                && areas[0].contains("sheet_name");
        if (theirTable != name.area.has_value()) {
            diffs.push_back("name " + name.name + ": " + (name.area ? "a table" : "not a table")
                            + ", the oracle says " + theirs["kind"].get<std::string>() + " with "
                            + std::to_string(areas.size()) + " areas");
            continue;
        }
        if (!theirTable)
            continue;
        const json &area = areas[0];
        const auto &a = *name.area;
        const bool sameSheet =
                name.sheet >= 0 && std::size_t(name.sheet) < ourSheets.size()
                && ourSheets[std::size_t(name.sheet)] == area["sheet_name"].get<std::string>();
        if (!sameSheet || a.firstRow != area["first_row"].get<std::uint32_t>()
            || a.lastRow + 1 != area["last_row"].get<std::uint32_t>()
            || a.firstColumn != area["first_col"].get<std::uint32_t>()
            || a.lastColumn + 1u != area["last_col"].get<std::uint32_t>()) {
            diffs.push_back("name " + name.name + ": area " + zort::xls::areaToA1(a)
                            + " differs from " + area.dump());
            continue;
        }
        compareTable(book, name, area, diffs);
    }
    return diffs;
}

class Corpus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::is_directory(kCorpus / "xls"))
            GTEST_SKIP() << "no corpus at " << kCorpus;
    }
};

// Texts decoded on demand are the texts decoded at once, in every table of every file.
TEST_F(Corpus, TextsReadOnDemandAreTheTextsReadAtOnce)
{
    std::size_t texts = 0;
    for (const fs::path &path : corpusFiles()) {
        const std::string rel = fs::relative(path, kCorpus / "xls").generic_string();
        std::optional<Workbook> book;
        try {
            book.emplace(Workbook::open(path.string()));
        } catch (const FormatError &) {
            continue;
        }
        for (const auto &name : book->names()) {
            std::optional<Table> now;
            try {
                now = book->readTable(name);
            } catch (const FormatError &) {
                EXPECT_THROW((void)book->readTable(name, TextReading::OnDemand), FormatError)
                        << rel << " " << name.name;
                continue;
            }
            const Table later = book->readTable(name, TextReading::OnDemand);
            ASSERT_EQ(later.columns, now->columns) << rel << " " << name.name;
            ASSERT_EQ(later.rows.size(), now->rows.size()) << rel << " " << name.name;
            for (std::size_t r = 0; r < now->rows.size(); ++r) {
                for (std::size_t c = 0; c < now->columns.size(); ++c) {
                    const Cell &a = now->rows[r][c];
                    const Cell &b = later.rows[r][c];
                    EXPECT_EQ(b.type, a.type) << rel << " " << name.name << " " << r << "," << c;
                    EXPECT_EQ(b.number, a.number) << rel << " " << name.name;
                    EXPECT_EQ(later.text(b), a.text) << rel << " " << name.name;
                    texts += a.type == CellType::Text;
                }
            }
        }
    }
    EXPECT_GT(texts, 0u);
}

TEST_F(Corpus, EveryFileOpensOrFailsWithAFormatErrorAndAgreesWithTheOracle)
{
    std::size_t files = 0, opened = 0, compared = 0, agreed = 0, expected = 0;
    std::vector<std::string> failures;
    std::vector<bool> used(std::size(kExpectedDifferences), false);
    for (const fs::path &path : corpusFiles()) {
        ++files;
        const std::string rel = fs::relative(path, kCorpus / "xls").generic_string();
        const auto start = std::chrono::steady_clock::now();
        std::optional<Workbook> book;
        std::string error;
        try {
            book.emplace(Workbook::open(path.string()));
            for (const auto &name : book->names()) {
                try {
                    (void)book->readTable(name);
                } catch (const FormatError &) { }
            }
        } catch (const FormatError &e) {
            error = e.what();
            EXPECT_FALSE(error.empty()) << rel;
        } catch (const std::exception &e) {
            ADD_FAILURE() << rel << ": not a FormatError: " << e.what();
            continue;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeBound) << rel;
        if (book)
            ++opened;

        std::ifstream in(kCorpus / "oracle" / (rel + ".json"));
        if (!in)
            continue;
        const json oracle = json::parse(in);
        if (!oracle["opened"].get<bool>())
            continue;
        ++compared;
        std::vector<std::string> diffs;
        if (!book)
            diffs.push_back("not opened: " + error);
        else
            diffs = compare(*book, oracle);
        std::vector<std::string> unexpected;
        for (const auto &d : diffs)
            if (!isExpected(rel, d, used))
                unexpected.push_back(d);
        if (diffs.empty()) {
            ++agreed;
        } else if (unexpected.empty()) {
            ++expected;
        } else {
            std::string text = rel + ":";
            for (std::size_t i = 0; i < unexpected.size() && i < 5; ++i)
                text += "\n    " + unexpected[i];
            failures.push_back(text);
        }
    }
    for (std::size_t i = 0; i < used.size(); ++i)
        if (!used[i])
            failures.push_back(std::string(kExpectedDifferences[i].file) + " "
                               + kExpectedDifferences[i].name
                               + ": listed as a difference but agrees now");
    std::cout << "corpus: " << files << " files, " << opened << " opened; " << compared
              << " opened by the oracle: " << agreed << " agree, " << expected
              << " differ as listed, " << failures.size() << " disagree; " << g_tablesCompared
              << " tables with " << g_cellsCompared << " cells compared\n";
    std::string all;
    for (const auto &f : failures)
        all += f + "\n";
    EXPECT_TRUE(failures.empty()) << all;
}

} // namespace
