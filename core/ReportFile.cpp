#include "ReportFile.h"

#include "ReportIoError.h"
#include "xls/CodePage.h"

#include <array>

namespace zort {

namespace {

// Large enough that a block of tens of thousands of lines takes a handful of writes.
constexpr std::size_t flushThreshold = 256 * 1024;

// UTF-16 code unit -> Windows-1251 byte, 0 where the code page lacks the character. Built
// once from the reader's code page table, so both directions agree; a lookup per character
// keeps a block of tens of thousands of lines cheap.
const std::array<unsigned char, 0x10000> &windows1251Bytes()
{
    static const std::array<unsigned char, 0x10000> table = [] {
        std::array<unsigned char, 0x10000> bytes {};
        for (unsigned b = 1; b < 0x80; ++b)
            bytes[b] = static_cast<unsigned char>(b);
        for (unsigned b = 0x80; b < 0x100; ++b) {
            const char byte = static_cast<char>(b);
            const QString decoded =
                    QString::fromStdString(xls::decodeCodePage(1251, std::string_view(&byte, 1)));
            // Bytes the code page leaves unassigned decode to a replacement, never back.
            if (decoded.size() == 1
                && xls::encodeWindows1251(decoded.toStdString()) == std::string(1, byte))
                bytes[decoded[0].unicode()] = static_cast<unsigned char>(b);
        }
        return bytes;
    }();
    return table;
}

void check(const platform::IoStatus &status)
{
    if (!status.ok())
        throw ReportIoError(status.code, ReportIoError::messageFor(status.code, status.mapped));
}

} // namespace

ReportFile::ReportFile(const QString &path, platform::OpenMode mode)
{
    check(m_file.open(path, mode));
}

ReportFile::~ReportFile()
{
    if (!m_file.isOpen())
        return;
    // Only reached when the block failed: keep what was given, then let the file go.
    if (!m_pending.empty())
        (void)m_file.write(m_pending.data(), m_pending.size());
    (void)m_file.close();
}

std::string ReportFile::encode(const QString &text)
{
    std::string out;
    appendEncoded(out, text);
    return out;
}

void ReportFile::appendEncoded(std::string &out, const QString &text)
{
    const auto &bytes = windows1251Bytes();
    out.reserve(out.size() + std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i; // one character outside the code page
        const unsigned char byte = bytes[unit];
        out.push_back(byte != 0 || unit == 0 ? static_cast<char>(byte) : '?');
    }
}

void ReportFile::writeLine(const QString &line)
{
    appendEncoded(m_pending, line);
    m_pending += "\r\n";
    if (m_pending.size() >= flushThreshold)
        flush();
}

void ReportFile::close()
{
    flush();
    check(m_file.close());
}

void ReportFile::flush()
{
    if (m_pending.empty())
        return;
    const platform::IoStatus status = m_file.write(m_pending.data(), m_pending.size());
    m_pending.clear();
    check(status);
}

} // namespace zort
