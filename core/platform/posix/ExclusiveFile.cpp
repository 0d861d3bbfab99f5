#include "PathRules.h"
#include "Platform.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zort::platform {

namespace {

bool isDirectory(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// errno onto the report's error numbers, following what Windows reports in the same situation.
IoStatus fromErrno(int error, const QString &path)
{
    switch (error) {
    case ENOENT: {
        // A missing file in an existing folder is "not found"; a missing folder is a bad path.
        const QString folder = folderPart(path, PathStyle::Posix);
        return {folder.isEmpty() || isDirectory(folder) ? 2 : 3};
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return {3};
    case EMFILE:
    case ENFILE:
        return {4};
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // Windows refuses to open a folder as a file with "access denied" as well
        return {5};
    case EWOULDBLOCK:
    case ETXTBSY:
        return {32};
    case ENOSPC:
    case EDQUOT:
        return {112};
    default:
        return {error, false};
    }
}

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

IoStatus ExclusiveFile::open(const QString &path, OpenMode mode)
{
    if (m_handle >= 0)
        return {5};
    if (path.isEmpty())
        return {3};
    int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY;
    if (mode == OpenMode::StartAfresh)
        flags |= O_CREAT;
    const int fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (fd < 0)
        return fromErrno(errno, path);
    // Lock before emptying, so that a file another writer holds is left as it is.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return fromErrno(error, path);
    }
    if (mode == OpenMode::StartAfresh) {
        struct stat info
        {
        };
        if (::fstat(fd, &info) != 0 || (S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0)) {
            const int error = errno;
            ::close(fd);
            return fromErrno(error, path);
        }
    }
    m_handle = fd;
    return {};
}

IoStatus ExclusiveFile::write(const char *data, std::size_t size)
{
    if (m_handle < 0)
        return {103, false}; // "file not open": a caller's mistake, never an OS error
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(m_handle), data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fromErrno(errno, {});
        }
        if (written == 0)
            return {112};
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

IoStatus ExclusiveFile::close()
{
    if (m_handle < 0)
        return {};
    const int fd = static_cast<int>(m_handle);
    m_handle = -1;
    // Linux releases the descriptor even when close reports EINTR.
    if (::close(fd) != 0 && errno != EINTR)
        return fromErrno(errno, {});
    return {};
}

} // namespace zort::platform
