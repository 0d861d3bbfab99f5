#pragma once

#include "Platform.h"

#include <QString>

#include <string>

namespace zort {

// The report file while one block is written: Windows-1251 text, every line ended by CR LF,
// locked against other writers while open. Lines are collected and written in large pieces;
// every open, write and close is checked and a failure throws ReportIoError.
//
// When a block fails half-way (a write error, or an error of the caller between two lines),
// the lines given before the failure are written out as far as the file takes them and the
// file is closed: the report then shows which workbook the run stopped at.
class ReportFile
{
public:
    // StartAfresh creates the file or empties it; Append needs the file to exist.
    ReportFile(const QString &path, platform::OpenMode mode);
    ReportFile(const ReportFile &) = delete;
    ReportFile &operator=(const ReportFile &) = delete;
    ~ReportFile();

    void writeLine(const QString &line);
    // A text as the report holds it: Windows-1251, "?" for a character the code page lacks.
    static std::string encode(const QString &text);
    // Writes what is pending and closes the file; throws on failure.
    void close();

private:
    static void appendEncoded(std::string &out, const QString &text);
    void flush();

    platform::ExclusiveFile m_file;
    std::string m_pending;
};

} // namespace zort
