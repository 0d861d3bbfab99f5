#include "WorkbookBuilder.h"

#include "xls/CodePage.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace zort::test {

namespace {

using xls::BiffVersion;

enum : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kExternSheet = 0x0017,
    kName = 0x0018,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kSupBook = 0x01AE,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kBof = 0x0809,
    kFormat = 0x041E,
};

std::vector<std::byte> bofBody(BiffVersion version, std::uint16_t substream)
{
    RecordBody b;
    b.u16(version == BiffVersion::Biff8 ? 0x0600 : 0x0500).u16(substream).u16(0x0DBB).u16(0x07CC);
    if (version == BiffVersion::Biff8)
        b.u32(0).u32(0x0006);
    return b.take();
}

RecordBody resultBytes(std::uint8_t kind, std::uint8_t value)
{
    RecordBody r;
    r.u8(kind).u8(0).u8(value).u8(0).u8(0).u8(0).u16(0xFFFF);
    return r;
}

} // namespace

RecordBody SheetBuilder::cellStart(std::uint16_t row, std::uint16_t column, std::uint16_t xf) const
{
    RecordBody b;
    b.u16(row).u16(column).u16(xf);
    return b;
}

SheetBuilder &SheetBuilder::addRecord(std::uint16_t type, const std::vector<std::byte> &body)
{
    m_records.push_back({type, static_cast<std::uint16_t>(body.size()), body});
    return *this;
}

SheetBuilder &SheetBuilder::addRawRecord(std::uint16_t type, std::uint16_t declaredSize,
                                         const std::vector<std::byte> &body)
{
    m_records.push_back({type, declaredSize, body});
    return *this;
}

SheetBuilder &SheetBuilder::setText(std::uint16_t row, std::uint16_t column, std::string_view utf8)
{
    if (m_version != BiffVersion::Biff8)
        return setLabel(row, column, utf8);
    return addRecord(kLabelSst, cellStart(row, column).u32(m_book.sharedString(utf8)).take());
}

SheetBuilder &SheetBuilder::setLabel(std::uint16_t row, std::uint16_t column, std::string_view utf8)
{
    RecordBody b = cellStart(row, column);
    if (m_version == BiffVersion::Biff8)
        b.biff8String(utf8);
    else
        b.biff5String(utf8, true);
    return addRecord(kLabel, b.take());
}

SheetBuilder &SheetBuilder::setNumber(std::uint16_t row, std::uint16_t column, double value,
                                      std::uint16_t xf)
{
    return addRecord(kNumber, cellStart(row, column, xf).f64(value).take());
}

SheetBuilder &SheetBuilder::setRk(std::uint16_t row, std::uint16_t column, std::uint32_t rk,
                                  std::uint16_t xf)
{
    return addRecord(kRk, cellStart(row, column, xf).u32(rk).take());
}

SheetBuilder &SheetBuilder::setMulRk(std::uint16_t row, std::uint16_t firstColumn,
                                     const std::vector<std::uint32_t> &rks)
{
    RecordBody b;
    b.u16(row).u16(firstColumn);
    for (std::uint32_t rk : rks)
        b.u16(0).u32(rk);
    b.u16(static_cast<std::uint16_t>(firstColumn + rks.size() - 1));
    return addRecord(kMulRk, b.take());
}

SheetBuilder &SheetBuilder::setDate(std::uint16_t row, std::uint16_t column, double serial)
{
    return setNumber(row, column, serial, m_book.dateXf());
}

SheetBuilder &SheetBuilder::setBoolean(std::uint16_t row, std::uint16_t column, bool value)
{
    return addRecord(kBoolErr, cellStart(row, column).u8(value ? 1 : 0).u8(0).take());
}

SheetBuilder &SheetBuilder::setError(std::uint16_t row, std::uint16_t column, std::uint8_t code)
{
    return addRecord(kBoolErr, cellStart(row, column).u8(code).u8(1).take());
}

SheetBuilder &SheetBuilder::setBlank(std::uint16_t row, std::uint16_t column)
{
    return addRecord(kBlank, cellStart(row, column).take());
}

SheetBuilder &SheetBuilder::setMulBlank(std::uint16_t row, std::uint16_t firstColumn,
                                        std::uint16_t lastColumn)
{
    RecordBody b;
    b.u16(row).u16(firstColumn);
    for (int c = firstColumn; c <= lastColumn; ++c)
        b.u16(0);
    b.u16(lastColumn);
    return addRecord(kMulBlank, b.take());
}

std::vector<std::byte> SheetBuilder::formulaBody(std::uint16_t row, std::uint16_t column,
                                                 const RecordBody &result) const
{
    RecordBody b = cellStart(row, column);
    b.bytes(result.data()).u16(0).u32(0);
    b.u16(3).u8(0x1E).u16(1); // the formula: the constant 1
    return b.take();
}

SheetBuilder &SheetBuilder::setFormulaNumber(std::uint16_t row, std::uint16_t column, double value)
{
    RecordBody result;
    result.f64(value);
    return addRecord(kFormula, formulaBody(row, column, result));
}

SheetBuilder &SheetBuilder::setFormulaText(std::uint16_t row, std::uint16_t column,
                                           std::string_view utf8, std::uint16_t between)
{
    addRecord(kFormula, formulaBody(row, column, resultBytes(0, 0)));
    if (between != 0)
        addRecord(between, RecordBody().u16(row).u16(row).u8(0).u8(0).take());
    RecordBody text;
    if (m_version == BiffVersion::Biff8)
        text.biff8String(utf8);
    else
        text.biff5String(utf8, true);
    return addRecord(kString, text.take());
}

SheetBuilder &SheetBuilder::setFormulaBoolean(std::uint16_t row, std::uint16_t column, bool value)
{
    return addRecord(kFormula, formulaBody(row, column, resultBytes(1, value ? 1 : 0)));
}

SheetBuilder &SheetBuilder::setFormulaError(std::uint16_t row, std::uint16_t column,
                                            std::uint8_t code)
{
    return addRecord(kFormula, formulaBody(row, column, resultBytes(2, code)));
}

SheetBuilder &SheetBuilder::setFormulaEmpty(std::uint16_t row, std::uint16_t column)
{
    return addRecord(kFormula, formulaBody(row, column, resultBytes(3, 0)));
}

void SheetBuilder::writeTo(BiffWriter &out) const
{
    out.record(kBof, bofBody(m_version, 0x0010));
    for (const auto &r : m_records)
        out.rawRecord(r.type, r.declaredSize, r.body);
    out.record(kEof, {});
}

WorkbookBuilder::WorkbookBuilder(BiffVersion version)
    : m_version(version)
{
    addXf(0);
    m_dateXf = addXf(14);
}

SheetBuilder &WorkbookBuilder::addSheet(std::string name)
{
    return m_sheets.emplace_back(std::move(name), m_version, *this);
}

std::uint16_t WorkbookBuilder::addXf(std::uint16_t formatId)
{
    m_xfFormats.push_back(formatId);
    return static_cast<std::uint16_t>(m_xfFormats.size() - 1);
}

std::uint16_t WorkbookBuilder::addNumberFormat(const std::string &code)
{
    const auto id = static_cast<std::uint16_t>(164 + m_formats.size());
    m_formats.emplace_back(id, code);
    return addXf(id);
}

std::uint32_t WorkbookBuilder::sharedString(std::string_view utf8)
{
    const auto found = std::find(m_strings.begin(), m_strings.end(), utf8);
    if (found != m_strings.end())
        return static_cast<std::uint32_t>(found - m_strings.begin());
    m_strings.emplace_back(utf8);
    return static_cast<std::uint32_t>(m_strings.size() - 1);
}

void WorkbookBuilder::setSstExtras(std::uint16_t runs, std::uint32_t phoneticBytes)
{
    m_sstRuns = runs;
    m_sstPhonetic = phoneticBytes;
}

void WorkbookBuilder::addGlobalRecord(std::uint16_t type, const std::vector<std::byte> &body)
{
    m_extraGlobals.emplace_back(type, body);
}

std::uint16_t WorkbookBuilder::externSheet(std::uint16_t supBook, std::uint16_t firstSheet,
                                           std::uint16_t lastSheet)
{
    const std::array<std::uint16_t, 3> entry {supBook, firstSheet, lastSheet};
    const auto found = std::find(m_externSheets.begin(), m_externSheets.end(), entry);
    if (found != m_externSheets.end())
        return static_cast<std::uint16_t>(found - m_externSheets.begin());
    m_externSheets.push_back(entry);
    return static_cast<std::uint16_t>(m_externSheets.size() - 1);
}

std::uint16_t WorkbookBuilder::addExternalBook()
{
    return ++m_externalBooks;
}

std::vector<std::byte> WorkbookBuilder::area3d(std::uint16_t externSheet, const xls::Area &area)
{
    RecordBody b;
    b.u8(0x3B).u16(externSheet);
    b.u16(static_cast<std::uint16_t>(area.firstRow)).u16(static_cast<std::uint16_t>(area.lastRow));
    b.u16(area.firstColumn).u16(area.lastColumn);
    return b.take();
}

void WorkbookBuilder::addName(const std::string &name, int sheet, const xls::Area &given,
                              int scopeSheet)
{
    xls::Area area = given;
    const auto sheetIndex = static_cast<std::uint16_t>(sheet);
    const bool single = area.firstRow == area.lastRow && area.firstColumn == area.lastColumn
                        && !area.wholeColumns;
    RecordBody f;
    if (m_version == BiffVersion::Biff8) {
        if (area.wholeColumns) {
            area.firstRow = 0;
            area.lastRow = 0xFFFF;
        }
        const std::uint16_t ixti = externSheet(0, sheetIndex, sheetIndex);
        if (single)
            f.u8(0x3A)
                    .u16(ixti)
                    .u16(static_cast<std::uint16_t>(area.firstRow))
                    .u16(area.firstColumn);
        else
            f.bytes(area3d(ixti, area));
    } else {
        if (area.wholeColumns) {
            area.firstRow = 0;
            area.lastRow = 0x3FFF;
        }
        f.u8(single ? 0x3A : 0x3B).u16(0xFFFF);
        for (int i = 0; i < 8; ++i)
            f.u8(0);
        f.u16(sheetIndex).u16(sheetIndex).u16(static_cast<std::uint16_t>(area.firstRow));
        if (single) {
            f.u8(static_cast<std::uint8_t>(area.firstColumn));
        } else {
            f.u16(static_cast<std::uint16_t>(area.lastRow));
            f.u8(static_cast<std::uint8_t>(area.firstColumn))
                    .u8(static_cast<std::uint8_t>(area.lastColumn));
        }
    }
    addNameFormula(name, f.take(), scopeSheet);
}

void WorkbookBuilder::addNameFormula(const std::string &name, const std::vector<std::byte> &formula,
                                     int scopeSheet, std::uint16_t flags)
{
    m_names.push_back({name, formula, scopeSheet, flags});
}

void WorkbookBuilder::writeSst(BiffWriter &out) const
{
    std::vector<std::vector<std::byte>> records;
    RecordBody current;
    const auto room = [&] { return m_sstLimit - std::min(m_sstLimit, current.data().size()); };
    const auto flush = [&] {
        records.push_back(current.take());
        current = RecordBody();
    };

    current.u32(static_cast<std::uint32_t>(m_strings.size()));
    current.u32(static_cast<std::uint32_t>(m_strings.size()));
    const std::size_t headerSize = 3 + (m_sstRuns ? 2 : 0) + (m_sstPhonetic ? 4 : 0);
    for (const auto &text : m_strings) {
        const std::u16string units = utf16Of(text);
        if (room() < headerSize + 2)
            flush();
        current.u16(static_cast<std::uint16_t>(units.size()));
        std::size_t flagPos = current.data().size();
        current.u8(static_cast<std::uint8_t>((m_sstRuns ? 0x08 : 0) | (m_sstPhonetic ? 0x04 : 0)));
        if (m_sstRuns)
            current.u16(m_sstRuns);
        if (m_sstPhonetic)
            current.u32(m_sstPhonetic);
        std::size_t i = 0;
        bool first = true;
        while (i < units.size()) {
            if (!first) {
                // The characters go on in a CONTINUE record, which starts with its own flags.
                flush();
                flagPos = current.data().size();
                current.u8(0);
            }
            first = false;
            std::size_t n = std::min(units.size() - i, room());
            const bool wide = std::any_of(units.begin() + i, units.begin() + i + n,
                                          [](char16_t u) { return u > 0xFF; });
            if (wide)
                n = std::min(units.size() - i, room() / 2);
            if (wide)
                current.setU8(flagPos,
                              0x01 | std::to_integer<std::uint8_t>(current.data()[flagPos]));
            for (std::size_t k = 0; k < n; ++k) {
                if (wide)
                    current.u16(units[i + k]);
                else
                    current.u8(static_cast<std::uint8_t>(units[i + k]));
            }
            i += n;
        }
        // Runs and phonetic data may be cut anywhere, with no flags in between.
        std::size_t extra = std::size_t {m_sstRuns} * 4 + m_sstPhonetic;
        while (extra > 0) {
            if (room() == 0)
                flush();
            const std::size_t n = std::min(extra, room());
            for (std::size_t k = 0; k < n; ++k)
                current.u8(0x11);
            extra -= n;
        }
    }
    flush();
    for (std::size_t r = 0; r < records.size(); ++r)
        out.record(r == 0 ? kSst : kContinue, records[r]);
}

std::vector<std::byte> WorkbookBuilder::buildStream() const
{
    const bool biff8 = m_version == BiffVersion::Biff8;
    BiffWriter out;
    out.record(kBof, bofBody(m_version, 0x0005));
    if (m_encrypted)
        out.record(kFilePass, RecordBody().u16(0).u16(0x1234).u16(0x5678).take());
    out.record(kCodePage, RecordBody().u16(biff8 ? 1200 : m_codePage).take());
    for (const auto &[id, code] : m_formats) {
        RecordBody b;
        b.u16(id);
        if (biff8)
            b.biff8String(code);
        else
            b.biff5String(code, false);
        out.record(kFormat, b.take());
    }
    for (std::uint16_t format : m_xfFormats) {
        RecordBody b;
        b.u16(0).u16(format);
        for (int i = 0; i < (biff8 ? 16 : 12); ++i)
            b.u8(0);
        out.record(kXf, b.take());
    }
    std::vector<std::size_t> offsetFields;
    for (const auto &sheet : m_sheets) {
        offsetFields.push_back(out.size() + 4);
        RecordBody b;
        b.u32(0).u8(0).u8(0);
        if (biff8)
            b.biff8ShortString(sheet.name());
        else
            b.biff5String(sheet.name(), false);
        out.record(kBoundSheet, b.take());
    }
    if (biff8 && !m_externSheets.empty()) {
        out.record(
                kSupBook,
                RecordBody().u16(static_cast<std::uint16_t>(m_sheets.size())).u16(0x0401).take());
        for (std::uint16_t i = 0; i < m_externalBooks; ++i)
            out.record(kSupBook,
                       RecordBody().u16(1).biff8String("other.xls").biff8String("Sheet1").take());
        RecordBody b;
        b.u16(static_cast<std::uint16_t>(m_externSheets.size()));
        for (const auto &e : m_externSheets)
            b.u16(e[0]).u16(e[1]).u16(e[2]);
        out.record(kExternSheet, b.take());
    }
    for (const auto &name : m_names) {
        RecordBody b;
        b.u16(name.flags).u8(0);
        const auto length =
                biff8 ? utf16Of(name.name).size() : xls::encodeWindows1251(name.name).size();
        b.u8(static_cast<std::uint8_t>(length))
                .u16(static_cast<std::uint16_t>(name.formula.size()));
        b.u16(0).u16(static_cast<std::uint16_t>(name.scopeSheet + 1)).u32(0);
        if (biff8) {
            RecordBody chars;
            bool wide = false;
            chars.biff8Chars(name.name, wide);
            b.u8(wide ? 1 : 0).bytes(chars.data());
        } else {
            const std::string encoded = xls::encodeWindows1251(name.name);
            for (char c : encoded)
                b.u8(static_cast<std::uint8_t>(c));
        }
        b.bytes(name.formula);
        out.record(kName, b.take());
    }
    if (biff8)
        writeSst(out);
    for (const auto &[type, body] : m_extraGlobals)
        out.record(type, body);
    out.record(kEof, {});
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        out.patchU32(offsetFields[i], static_cast<std::uint32_t>(out.size()));
        m_sheets[i].writeTo(out);
    }
    return out.data();
}

std::vector<std::byte> WorkbookBuilder::build(const CompoundFileOptions &options) const
{
    const char *streamName = m_version == BiffVersion::Biff8 ? "Workbook" : "Book";
    return buildCompoundFile({{streamName, buildStream()}}, options);
}

void WorkbookBuilder::writeFile(const std::string &path) const
{
    const auto bytes = build();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace zort::test
