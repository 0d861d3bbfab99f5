#include "ReportFile.h"

#include "ReportIoError.h"
#include "xls/CodePage.h"

namespace zort {

namespace {

// Large enough that a block of tens of thousands of lines takes a handful of writes.
constexpr std::size_t flushThreshold = 256 * 1024;

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

void ReportFile::writeLine(const QString &line)
{
    m_pending += xls::encodeWindows1251(line.toStdString());
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
