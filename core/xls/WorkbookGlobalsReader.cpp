#include "WorkbookGlobalsReader.h"

#include "BiffRecords.h"
#include "ByteReader.h"
#include "CodePage.h"
#include "ContinuedReader.h"
#include "FormatError.h"
#include "NameFormula.h"

#include <cstdio>

namespace zort::xls {

namespace {

std::string hex16(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned {value});
    return text;
}

BiffVersion versionOf(const Record &bof)
{
    switch (static_cast<RecordType>(bof.type)) {
    case RecordType::Bof2:
        throw FormatError(ErrorKind::UnsupportedVersion,
                          "The workbook is in an unsupported format (BIFF2, Excel 2.x); only "
                          "Excel 5.0 and later workbooks can be read");
    case RecordType::Bof3:
        throw FormatError(ErrorKind::UnsupportedVersion,
                          "The workbook is in an unsupported format (BIFF3, Excel 3.0); only "
                          "Excel 5.0 and later workbooks can be read");
    case RecordType::Bof4:
        throw FormatError(ErrorKind::UnsupportedVersion,
                          "The workbook is in an unsupported format (BIFF4, Excel 4.0); only "
                          "Excel 5.0 and later workbooks can be read");
    case RecordType::Bof:
        break;
    default:
        throw FormatError(ErrorKind::NotAWorkbook,
                          "Not a workbook: the workbook stream does not start with a BOF record");
    }
    const std::uint16_t version = readU16(bof.data, 0, "BOF version");
    if (version == 0x0600)
        return BiffVersion::Biff8;
    if (version == 0x0500)
        return BiffVersion::Biff5;
    throw FormatError(ErrorKind::UnsupportedVersion,
                      "The workbook is in an unsupported format (BOF version " + hex16(version)
                              + "); only Excel 5.0 and later workbooks can be read");
}

std::string byteString(std::uint16_t codePage, std::span<const std::byte> bytes)
{
    return decodeCodePage(codePage, {reinterpret_cast<const char *>(bytes.data()), bytes.size()});
}

class GlobalsReader
{
public:
    explicit GlobalsReader(std::span<const std::byte> stream)
        : m_stream(stream)
        , m_reader(stream)
    { }

    WorkbookGlobals read();

private:
    struct NameRecord
    {
        std::vector<std::byte> body;
        std::size_t offset;
    };

    void handle(const Record &r);
    void boundSheet(const Record &r);
    void format(const Record &r);
    void externSheet(const Record &r);

    std::span<const std::byte> m_stream;
    RecordReader m_reader;
    WorkbookGlobals m_globals;
    std::vector<NameRecord> m_names;
};

WorkbookGlobals GlobalsReader::read()
{
    Record r;
    if (!m_reader.next(r))
        throw FormatError(ErrorKind::NotAWorkbook, "Not a workbook: the workbook stream is empty");
    m_globals.version = versionOf(r);
    bool ended = false;
    while (!ended && m_reader.next(r)) {
        ended = r.is(RecordType::Eof);
        if (ended)
            break;
        try {
            handle(r);
        } catch (const FormatError &e) {
            const std::string_view message = e.what();
            if (e.kind() != ErrorKind::Corrupt || message.starts_with("record "))
                throw;
            throw FormatError(ErrorKind::Corrupt, recordPlace(r.type, r.offset) + e.what());
        }
    }
    if (!ended)
        throw FormatError(ErrorKind::Corrupt,
                          "Truncated workbook stream: the workbook globals end at offset "
                                  + std::to_string(m_reader.position())
                                  + " without their EOF record");
    m_globals.formats.finish();
    // Names are read last: their references go through EXTERNSHEET and SUPBOOK.
    for (const auto &name : m_names) {
        if (auto defined = readDefinedName(name.body, name.offset, m_globals))
            m_globals.names.push_back(std::move(*defined));
    }
    return std::move(m_globals);
}

void GlobalsReader::handle(const Record &r)
{
    switch (static_cast<RecordType>(r.type)) {
    case RecordType::FilePass:
        throw FormatError(ErrorKind::PasswordProtected,
                          "The workbook is password-protected and cannot be read");
    case RecordType::CodePage:
        m_globals.codePage = readU16(r.data, 0, "code page");
        break;
    case RecordType::BoundSheet:
        boundSheet(r);
        break;
    case RecordType::Sst:
        if (m_globals.version == BiffVersion::Biff8)
            m_globals.strings = SharedStrings(readContinued(m_reader, r));
        break;
    case RecordType::ExternSheet:
        externSheet(r);
        break;
    case RecordType::SupBook:
        m_globals.supBookInternal.push_back(r.data.size() >= 4 && readU16(r.data, 2) == 0x0401);
        break;
    case RecordType::Name:
        m_names.push_back({joinFragments(readContinued(m_reader, r)), r.offset});
        break;
    case RecordType::Format:
        format(r);
        break;
    case RecordType::Xf:
        m_globals.formats.addXf(readU16(r.data, 2, "XF number format"));
        break;
    default:
        break;
    }
}

void GlobalsReader::boundSheet(const Record &r)
{
    ByteReader in(r.data, r.dataOffset());
    SheetEntry sheet;
    sheet.offset = in.u32("sheet offset");
    in.skip(1, "sheet visibility");
    sheet.type = in.u8("sheet type");
    const std::uint8_t length = in.u8("sheet name length");
    if (m_globals.version == BiffVersion::Biff8) {
        const Fragment rest {r.data.subspan(in.position()), in.offset()};
        ContinuedReader text(std::span<const Fragment>(&rest, 1), r.type);
        sheet.name = text.unicodeString(length);
    } else {
        sheet.name = byteString(m_globals.codePage, in.bytes(length, "sheet name"));
    }
    m_globals.sheets.push_back(std::move(sheet));
}

void GlobalsReader::format(const Record &r)
{
    ByteReader in(r.data, r.dataOffset());
    const std::uint16_t id = in.u16("format id");
    if (m_globals.version == BiffVersion::Biff8) {
        const std::uint16_t length = in.u16("format length");
        const Fragment rest {r.data.subspan(in.position()), in.offset()};
        ContinuedReader text(std::span<const Fragment>(&rest, 1), r.type);
        m_globals.formats.addFormat(id, text.unicodeString(length));
    } else {
        const std::uint8_t length = in.u8("format length");
        m_globals.formats.addFormat(
                id, byteString(m_globals.codePage, in.bytes(length, "format text")));
    }
}

void GlobalsReader::externSheet(const Record &r)
{
    // BIFF5 keeps one EXTERNSHEET per reference, and its internal 3-D references do not need
    // them; BIFF8 keeps one table, which may go on in CONTINUE records.
    if (m_globals.version != BiffVersion::Biff8)
        return;
    const auto body = joinFragments(readContinued(m_reader, r));
    ByteReader in(body, r.dataOffset());
    const std::uint16_t count = in.u16("reference count");
    for (std::uint16_t i = 0; i < count; ++i) {
        ExternSheetEntry e;
        e.supBook = in.u16("SUPBOOK index");
        e.firstSheet = in.u16("first sheet");
        e.lastSheet = in.u16("last sheet");
        m_globals.externSheets.push_back(e);
    }
}

} // namespace

WorkbookGlobals readWorkbookGlobals(std::span<const std::byte> stream)
{
    return GlobalsReader(stream).read();
}

} // namespace zort::xls
