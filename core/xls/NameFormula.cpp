#include "NameFormula.h"

#include "ByteReader.h"
#include "CodePage.h"
#include "ContinuedReader.h"

#include <utility>

namespace zort::xls {

namespace {

constexpr std::uint16_t kBuiltIn = 0x0020;
constexpr std::uint16_t kAnySheet = 0xFFFE;
constexpr std::uint16_t kDeletedSheet = 0xFFFF;

// Token ids, with the reference, value and array class variants of each.
enum class Ptg { None, Ref, Area, Ref3d, Area3d, RefErr, AreaErr, RefErr3d, AreaErr3d };

Ptg classify(std::uint8_t token)
{
    if (token < 0x20)
        return Ptg::None;
    switch (token & 0x1F) {
    case 0x04:
        return Ptg::Ref;
    case 0x05:
        return Ptg::Area;
    case 0x0A:
        return Ptg::RefErr;
    case 0x0B:
        return Ptg::AreaErr;
    case 0x1A:
        return Ptg::Ref3d;
    case 0x1B:
        return Ptg::Area3d;
    case 0x1C:
        return Ptg::RefErr3d;
    case 0x1D:
        return Ptg::AreaErr3d;
    default:
        return Ptg::None;
    }
}

struct Target
{
    int sheet = -1;
    Area area;
};

// The reason a name is not a table, or its sheet and area.
using Resolution = std::pair<std::optional<Target>, std::string>;

Resolution notATable(std::string reason)
{
    return {std::nullopt, std::move(reason)};
}

std::uint16_t u16At(std::span<const std::byte> f, std::size_t pos)
{
    return loadU16(f.data() + pos);
}

// Rows and columns of a reference or area, BIFF8 (16-bit rows, 14-bit columns) or BIFF5
// (14-bit rows with the relative flags above them, 8-bit columns).
Area readCoordinates(std::span<const std::byte> f, bool area, BiffVersion version)
{
    Area a;
    if (version == BiffVersion::Biff8) {
        if (area) {
            a.firstRow = u16At(f, 0);
            a.lastRow = u16At(f, 2);
            a.firstColumn = u16At(f, 4) & 0x3FFF;
            a.lastColumn = u16At(f, 6) & 0x3FFF;
        } else {
            a.firstRow = a.lastRow = u16At(f, 0);
            a.firstColumn = a.lastColumn = u16At(f, 2) & 0x3FFF;
        }
        if (area && a.firstRow == 0 && a.lastRow == 0xFFFF)
            a.wholeColumns = true;
        else if (area && a.firstColumn == 0 && a.lastColumn == 0xFF)
            a.wholeRows = true;
    } else {
        if (area) {
            a.firstRow = u16At(f, 0) & 0x3FFF;
            a.lastRow = u16At(f, 2) & 0x3FFF;
            a.firstColumn = std::to_integer<std::uint16_t>(f[4]);
            a.lastColumn = std::to_integer<std::uint16_t>(f[5]);
        } else {
            a.firstRow = a.lastRow = u16At(f, 0) & 0x3FFF;
            a.firstColumn = a.lastColumn = std::to_integer<std::uint16_t>(f[2]);
        }
        if (area && a.firstRow == 0 && a.lastRow == 0x3FFF) {
            a.wholeColumns = true;
            a.lastRow = 0xFFFF; // whole columns look the same in every version
        } else if (area && a.firstColumn == 0 && a.lastColumn == 0xFF) {
            a.wholeRows = true;
        }
    }
    if (a.firstRow > a.lastRow)
        std::swap(a.firstRow, a.lastRow);
    if (a.firstColumn > a.lastColumn)
        std::swap(a.firstColumn, a.lastColumn);
    return a;
}

// Whether a row or column of the reference is relative (no "$"): such a name moves with the
// cell that uses it, so it names no fixed area. BIFF8 keeps the flags above the column, BIFF5
// above the row.
bool isRelative(std::span<const std::byte> f, bool area, BiffVersion version)
{
    const std::size_t flagged = version == BiffVersion::Biff8 ? (area ? 4 : 2) : 0;
    const std::size_t second = version == BiffVersion::Biff8 ? 6 : 2;
    if (u16At(f, flagged) & 0xC000)
        return true;
    return area && (u16At(f, second) & 0xC000);
}

// The sheet a BIFF8 3-D reference's EXTERNSHEET index stands for.
Resolution biff8Sheet(std::uint16_t ixti, const WorkbookGlobals &g)
{
    if (ixti >= g.externSheets.size())
        return notATable("its reference points to a missing EXTERNSHEET entry "
                         + std::to_string(ixti));
    const ExternSheetEntry &e = g.externSheets[ixti];
    if (e.supBook >= g.supBookInternal.size() || !g.supBookInternal[e.supBook])
        return notATable("it refers to another workbook");
    if (e.firstSheet == kDeletedSheet || e.lastSheet == kDeletedSheet)
        return notATable("it refers to a deleted sheet");
    if (e.firstSheet == kAnySheet || e.lastSheet == kAnySheet)
        return notATable("it refers to no particular sheet");
    if (e.firstSheet != e.lastSheet)
        return notATable("it spans several sheets");
    if (e.firstSheet >= g.sheets.size())
        return notATable("it refers to sheet " + std::to_string(e.firstSheet)
                         + ", which does not exist");
    return {Target {e.firstSheet, {}}, {}};
}

// BIFF5: a negative index is this workbook, and the sheet indexes follow directly.
Resolution biff5Sheet(std::int16_t index, std::int16_t first, std::int16_t last,
                      const WorkbookGlobals &g)
{
    if (index >= 0)
        return notATable("it refers to another workbook");
    if (first < 0 || last < 0)
        return notATable("it refers to a deleted sheet");
    if (first != last)
        return notATable("it spans several sheets");
    if (static_cast<std::size_t>(first) >= g.sheets.size())
        return notATable("it refers to sheet " + std::to_string(first) + ", which does not exist");
    return {Target {first, {}}, {}};
}

Resolution resolve(std::span<const std::byte> formula, int scopeSheet, const WorkbookGlobals &g)
{
    if (formula.empty())
        return notATable("it has no formula");
    const bool biff8 = g.version == BiffVersion::Biff8;
    const Ptg ptg = classify(std::to_integer<std::uint8_t>(formula[0]));
    const auto operand = formula.subspan(1);
    const bool area = ptg == Ptg::Area || ptg == Ptg::Area3d;
    std::size_t size = 0; // operand bytes
    switch (ptg) {
    case Ptg::Ref:
        size = biff8 ? 4 : 3;
        break;
    case Ptg::Area:
        size = biff8 ? 8 : 6;
        break;
    case Ptg::Ref3d:
        size = biff8 ? 6 : 17;
        break;
    case Ptg::Area3d:
        size = biff8 ? 10 : 20;
        break;
    case Ptg::RefErr:
    case Ptg::AreaErr:
    case Ptg::RefErr3d:
    case Ptg::AreaErr3d:
        return notATable("its reference is invalid (#REF!)");
    case Ptg::None:
        return notATable("its formula is not a single area or cell reference");
    }
    if (operand.size() < size)
        return notATable("its formula is cut short");
    if (operand.size() > size)
        return notATable("its formula is not a single area or cell reference");

    Target target;
    std::span<const std::byte> coordinates = operand;
    if (ptg == Ptg::Ref3d || ptg == Ptg::Area3d) {
        Resolution sheet;
        if (biff8) {
            sheet = biff8Sheet(u16At(operand, 0), g);
            coordinates = operand.subspan(2);
        } else {
            sheet = biff5Sheet(static_cast<std::int16_t>(u16At(operand, 0)),
                               static_cast<std::int16_t>(u16At(operand, 10)),
                               static_cast<std::int16_t>(u16At(operand, 12)), g);
            coordinates = operand.subspan(14);
        }
        if (!sheet.first)
            return sheet;
        target.sheet = sheet.first->sheet;
    } else {
        // A plain reference lies on the name's own sheet; a workbook-level one on the first.
        target.sheet = scopeSheet >= 0 ? scopeSheet : 0;
        if (g.sheets.empty())
            return notATable("the workbook has no sheets");
    }
    if (isRelative(coordinates, area, g.version))
        return notATable("its reference is relative to the cell that uses it");
    target.area = readCoordinates(coordinates, area, g.version);
    return {target, {}};
}

} // namespace

std::optional<DefinedName> readDefinedName(std::span<const std::byte> body,
                                           std::size_t recordOffset, const WorkbookGlobals &globals)
{
    const auto type = static_cast<std::uint16_t>(RecordType::Name);
    const Fragment whole {body, recordOffset + 4};
    ContinuedReader in(std::span<const Fragment>(&whole, 1), type);
    const std::uint16_t flags = in.u16("name flags");
    if (flags & kBuiltIn)
        return std::nullopt;
    in.skip(1, "keyboard shortcut");
    const std::uint8_t nameLength = in.u8("name length");
    const std::uint16_t formulaLength = in.u16("formula length");
    in.skip(2, "external sheet index");
    const std::uint16_t scope = in.u16("name scope");
    in.skip(4, "text lengths");

    DefinedName name;
    if (globals.version == BiffVersion::Biff8) {
        name.name = in.unicodeString(nameLength);
    } else {
        const std::size_t start = body.size() - in.remaining();
        in.skip(nameLength, "name text");
        const auto bytes = body.subspan(start, nameLength);
        name.name = decodeCodePage(globals.codePage,
                                   {reinterpret_cast<const char *>(bytes.data()), bytes.size()});
    }
    if (scope > 0)
        name.scopeSheet = scope - 1;

    const std::size_t formulaStart = body.size() - in.remaining();
    const std::size_t available = in.remaining();
    auto formula = body.subspan(formulaStart, std::min<std::size_t>(formulaLength, available));
    Resolution resolution = formulaLength > available ? notATable("its formula is cut short")
                                                      : resolve(formula, name.scopeSheet, globals);
    if (resolution.first) {
        name.sheet = resolution.first->sheet;
        name.area = resolution.first->area;
    } else {
        name.error = "The name \"" + name.name + "\" is not a table: " + resolution.second;
    }
    return name;
}

} // namespace zort::xls
