#include "Platform.h"

#include <windows.h>

namespace zort::platform {

namespace {

// Windows' own error numbers are the report's; only the two disk-full codes are joined.
IoStatus fromLastError()
{
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_DISK_FULL:
        return {int(error)};
    case ERROR_HANDLE_DISK_FULL:
        return {ERROR_DISK_FULL};
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return {3};
    case ERROR_LOCK_VIOLATION:
        return {32};
    default:
        return {int(error), false};
    }
}

HANDLE handleOf(long long value)
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value));
}

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    if (m_handle >= 0)
        CloseHandle(handleOf(m_handle));
}

IoStatus ExclusiveFile::open(const QString &path, OpenMode mode)
{
    if (m_handle >= 0)
        return {5};
    if (path.isEmpty())
        return {3};
    // Others may read while we write; no one else may write.
    const HANDLE file = CreateFileW(path.toStdWString().c_str(), FILE_APPEND_DATA | GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr,
                                    mode == OpenMode::StartAfresh ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fromLastError();
    if (mode == OpenMode::StartAfresh && !SetEndOfFile(file)) {
        const IoStatus status = fromLastError();
        CloseHandle(file);
        return status;
    }
    LARGE_INTEGER end {};
    if (!SetFilePointerEx(file, end, nullptr, FILE_END)) {
        const IoStatus status = fromLastError();
        CloseHandle(file);
        return status;
    }
    m_handle = static_cast<long long>(reinterpret_cast<INT_PTR>(file));
    return {};
}

IoStatus ExclusiveFile::write(const char *data, std::size_t size)
{
    if (m_handle < 0)
        return {103, false}; // "file not open": a caller's mistake, never an OS error
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        DWORD written = 0;
        if (!WriteFile(handleOf(m_handle), data, chunk, &written, nullptr))
            return fromLastError();
        if (written == 0)
            return {ERROR_DISK_FULL};
        data += written;
        size -= written;
    }
    return {};
}

IoStatus ExclusiveFile::close()
{
    if (m_handle < 0)
        return {};
    const HANDLE file = handleOf(m_handle);
    m_handle = -1;
    if (!CloseHandle(file))
        return fromLastError();
    return {};
}

} // namespace zort::platform
