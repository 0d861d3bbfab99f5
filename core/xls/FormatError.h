#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zort::xls {

// Why a workbook, or a name in it, could not be read.
enum class ErrorKind {
    FileNotFound, // the path names no file
    Unreadable, // the file exists but cannot be read (permissions, a folder, an I/O error)
    NotAWorkbook, // not a compound file, or no workbook stream in it
    UnsupportedVersion, // BIFF2-4 and other versions we do not read
    PasswordProtected, // FILEPASS: the workbook is encrypted
    Corrupt, // damaged or truncated structure; the message says where
    NameNotFound, // no defined name of that name
    NotATable, // the name exists but is not one rectangular area
};

// The one error type the reader throws. The message is complete and meant for a user.
class FormatError : public std::runtime_error
{
public:
    FormatError(ErrorKind kind, const std::string &message)
        : std::runtime_error(message), m_kind(kind)
    {
    }

    ErrorKind kind() const { return m_kind; }

private:
    ErrorKind m_kind;
};

} // namespace zort::xls
