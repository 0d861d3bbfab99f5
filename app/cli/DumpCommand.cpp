#include "DumpCommand.h"

#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

namespace zort::cli {

namespace {

using Json = nlohmann::ordered_json;

// Whole numbers print without a fraction ("45306", not "45306.0").
Json number(double v)
{
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9007199254740992.0)
        return static_cast<std::int64_t>(v);
    return v;
}

Json cellJson(const xls::Cell &cell)
{
    switch (cell.type) {
    case xls::CellType::Empty:
        return nullptr;
    case xls::CellType::Number:
        return number(cell.number);
    case xls::CellType::Text:
        return cell.text;
    case xls::CellType::Boolean:
        return cell.number != 0;
    case xls::CellType::Error:
        return Json {
                {"error", std::string(xls::errorText(static_cast<std::uint8_t>(cell.number)))}};
    case xls::CellType::Date:
        return Json {{"date", number(cell.number)}};
    }
    return nullptr;
}

Json nameJson(const xls::Workbook &book, const xls::DefinedName &name)
{
    const auto &sheets = book.sheetNames();
    Json out;
    out["name"] = name.name;
    out["sheet"] = name.area && name.sheet >= 0 && std::size_t(name.sheet) < sheets.size()
                           ? Json(sheets[std::size_t(name.sheet)])
                           : Json(nullptr);
    out["local"] = name.local();
    if (!name.area) {
        out["area"] = nullptr;
        out["error"] = name.error;
        return out;
    }
    out["area"] = xls::areaToA1(*name.area);
    // A damaged sheet fails the whole dump: the caller reports it, as a check would.
    const xls::Table table = book.readTable(name);
    out["columns"] = table.columns;
    Json rows = Json::array();
    for (const auto &row : table.rows) {
        Json cells = Json::array();
        for (const auto &cell : row)
            cells.push_back(cellJson(cell));
        rows.push_back(std::move(cells));
    }
    out["rows"] = std::move(rows);
    return out;
}

} // namespace

int runDump(const std::string &path, std::ostream &out, std::ostream &err)
{
    Json dump;
    try {
        const auto book = xls::Workbook::open(path);
        dump["format"] = book.version() == xls::BiffVersion::Biff8 ? "BIFF8" : "BIFF5";
        dump["sheets"] = book.sheetNames();
        Json names = Json::array();
        for (const auto &name : book.names())
            names.push_back(nameJson(book, name));
        dump["names"] = std::move(names);
    } catch (const xls::FormatError &e) {
        err << e.what() << '\n';
        return 2;
    }
    // Texts are UTF-8 from the reader; anything else is replaced rather than thrown on.
    out << dump.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    return 0;
}

} // namespace zort::cli
