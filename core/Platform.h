#pragma once

#include <QString>

#include <cstddef>

// The one narrow interface between the checking core and the operating system. Each OS has its
// own implementation under platform/<os>/; nothing else in the core asks the OS directly.
namespace zort::platform {

// The form a folder is handed to the data source in. Windows: its 8.3 short path (at most 259
// characters). Here: the folder exactly as given when it names an existing directory, so that
// the connection string keeps the path the user chose. Empty when there is no such folder.
QString shortFolder(const QString &folder);

// The folder of the running executable, without a final separator (except for a root).
QString executableFolder();

// The outcome of a low-level file operation. code 0 is success. A mapped code is one of the
// report's own error numbers: 2 file not found, 3 invalid name or path, 4 too many open files,
// 5 access denied, 32 locked by another program, 112 disk full; any other failure carries the
// OS's own error number with mapped false.
struct IoStatus
{
    int code = 0;
    bool mapped = true;

    bool ok() const { return code == 0; }
};

enum class OpenMode {
    StartAfresh, // create the file, or empty an existing one
    Append, // the file must exist; it is never created
};

// A file open for writing at its end, holding an exclusive write lock while open: other
// programs may read it, another writer is refused (advisory on POSIX, sharing mode on Windows).
class ExclusiveFile
{
public:
    ExclusiveFile() = default;
    ExclusiveFile(const ExclusiveFile &) = delete;
    ExclusiveFile &operator=(const ExclusiveFile &) = delete;
    // Closes a file still open, ignoring errors: only reached after a failure.
    ~ExclusiveFile();

    IoStatus open(const QString &path, OpenMode mode);
    // Writes all bytes or fails.
    IoStatus write(const char *data, std::size_t size);
    IoStatus close();
    bool isOpen() const { return m_handle >= 0; }

private:
    long long m_handle = -1;
};

} // namespace zort::platform
