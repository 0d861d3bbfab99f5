// Opening a workbook from a file or its bytes: the compound-file container around the stream.
#include "ByteReader.h"
#include "CompoundFile.h"
#include "FormatError.h"
#include "Workbook.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zort::xls {

namespace {

// A file of BIFF records without a container: BIFF2-4 files are always like this, and a few
// writers store BIFF5/8 so as well.
bool startsWithBof(std::span<const std::byte> bytes)
{
    if (bytes.size() < 4)
        return false;
    const std::uint16_t type = loadU16(bytes.data());
    return type == 0x0009 || type == 0x0209 || type == 0x0409 || type == 0x0809;
}

// Workbooks larger than this are refused rather than read into memory: no real form comes near.
constexpr std::uintmax_t maxWorkbookSize = std::uintmax_t(1) << 30;

std::vector<std::byte> readWholeFile(const std::string &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        throw FormatError(ErrorKind::FileNotFound, "The file \"" + path + "\" does not exist");
    if (std::filesystem::is_directory(status))
        throw FormatError(ErrorKind::Unreadable, "\"" + path + "\" is a folder, not a file");
    // A device or a pipe could never end or block forever: only regular files are workbooks.
    if (!std::filesystem::is_regular_file(status))
        throw FormatError(ErrorKind::Unreadable, "\"" + path + "\" is not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        throw FormatError(ErrorKind::Unreadable,
                          "The file \"" + path + "\" cannot be read: " + error.message());
    if (size > maxWorkbookSize)
        throw FormatError(ErrorKind::Unreadable,
                          "The file \"" + path + "\" is too large to be a workbook");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FormatError(ErrorKind::Unreadable,
                          "The file \"" + path + "\" cannot be read: " + std::strerror(errno));
    std::vector<std::byte> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw FormatError(ErrorKind::Unreadable,
                          "The file \"" + path + "\" cannot be read: " + std::strerror(errno));
    // A file that shrank while we read it keeps what was there.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace

Workbook Workbook::fromBytes(std::vector<std::byte> fileBytes)
{
    std::optional<std::span<const std::byte>> inPlace;
    std::optional<std::vector<std::byte>> stream;
    try {
        const CompoundFile file = CompoundFile::parse(fileBytes);
        // The version comes from the BOF record, not from the stream's name.
        for (const char *name : {"Workbook", "Book"}) {
            inPlace = file.streamInPlace(name);
            if (!inPlace)
                stream = file.readStream(name);
            if (inPlace || stream)
                break;
        }
    } catch (const FormatError &e) {
        if (e.kind() != ErrorKind::NotAWorkbook || !startsWithBof(fileBytes))
            throw;
        return fromWorkbookStream(std::move(fileBytes));
    }
    if (inPlace) {
        // Most files keep the stream in one run of sectors: it is read where it lies.
        const auto offset = static_cast<std::size_t>(inPlace->data() - fileBytes.data());
        return fromStorage(std::move(fileBytes), offset, inPlace->size());
    }
    if (!stream)
        throw FormatError(ErrorKind::NotAWorkbook,
                          "Not a workbook: the file holds no workbook stream");
    fileBytes = {}; // only the stream is needed from here on
    return fromWorkbookStream(std::move(*stream));
}

Workbook Workbook::open(const std::string &path)
{
    return fromBytes(readWholeFile(path));
}

} // namespace zort::xls
