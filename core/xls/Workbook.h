#pragma once

#include "Table.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zort::xls {

enum class BiffVersion { Biff5, Biff8 };

// A rectangular area of one sheet, 0-based and inclusive. A whole-column area ($A:$F) has
// wholeColumns set and rows 0..65535; a whole-row area likewise.
struct Area
{
    std::uint32_t firstRow = 0;
    std::uint32_t lastRow = 0;
    std::uint16_t firstColumn = 0;
    std::uint16_t lastColumn = 0;
    bool wholeColumns = false;
    bool wholeRows = false;

    friend bool operator==(const Area &, const Area &) = default;
};

// "A1:C12", "B3" for a single cell, "A:F" for whole columns, "3:5" for whole rows.
std::string areaToA1(const Area &area);

// How a table's shared-string texts are read: decoded into each cell, or left in the workbook
// for Table::text to decode when they are asked for (the table then keeps the workbook's data
// alive, and a large table of texts costs little until its texts are read).
enum class TextReading { Decode, OnDemand };

struct DefinedName
{
    std::string name; // UTF-8, as the workbook spells it
    int scopeSheet = -1; // sheet index of a sheet-local name; -1 for a workbook-level name
    int sheet = -1; // sheet the area lies on; -1 when the name is not a table
    std::optional<Area> area; // empty when the name is not one area of this workbook
    std::string error; // why the name is not a table, when area is empty

    bool local() const { return scopeSheet >= 0; }
};

// An opened legacy workbook (BIFF5/7 or BIFF8 in a compound file). Opening reads the container
// and the workbook globals; the cells of a sheet are read only when a table on it is asked for.
class Workbook
{
public:
    // Throws FormatError (FileNotFound, Unreadable, NotAWorkbook, UnsupportedVersion,
    // PasswordProtected, Corrupt).
    static Workbook open(const std::string &path);
    static Workbook fromBytes(std::vector<std::byte> fileBytes);
    // Reads a bare workbook stream, without the compound file around it; used by tests and
    // fuzzers. Throws as open does, except FileNotFound and Unreadable.
    static Workbook fromWorkbookStream(std::vector<std::byte> stream);

    Workbook(Workbook &&) noexcept;
    Workbook &operator=(Workbook &&) noexcept;
    ~Workbook();

    BiffVersion version() const;
    const std::vector<std::string> &sheetNames() const;
    // Every user-defined name in the workbook's order; built-in names are left out.
    const std::vector<DefinedName> &names() const;

    // Case-insensitive lookup; a workbook-level name wins over sheet-local ones, among which
    // the first in the workbook's order is taken. nullptr when there is none.
    const DefinedName *findName(std::string_view name) const;

    // Throws FormatError: NotATable for a name without an area, Corrupt for damaged cells.
    Table readTable(const DefinedName &name, TextReading reading = TextReading::Decode) const;
    // Throws FormatError NameNotFound when findName finds nothing.
    Table readTable(std::string_view name, TextReading reading = TextReading::Decode) const;

private:
    struct Impl;
    explicit Workbook(std::shared_ptr<Impl> impl);
    // The workbook stream is storage[offset, offset + size).
    static Workbook fromStorage(std::vector<std::byte> storage, std::size_t offset,
                                std::size_t size);
    std::shared_ptr<Impl> m_impl; // shared with the tables read on demand
};

} // namespace zort::xls
