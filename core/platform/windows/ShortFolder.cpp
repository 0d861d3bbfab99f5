#include "Platform.h"

#include <vector>
#include <windows.h>

namespace zort::platform {

QString shortFolder(const QString &folder)
{
    // The 8.3 form the file system keeps; empty when it gives none (no such folder). A short
    // path longer than 259 characters is not handed on either: the data source cannot use it.
    if (folder.isEmpty())
        return {};
    const std::wstring wide = folder.toStdWString();
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0)
        return {};
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetShortPathNameW(wide.c_str(), buffer.data(), needed);
    if (length == 0 || length >= needed || length > 259)
        return {};
    const DWORD attributes = GetFileAttributesW(buffer.data());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return QString::fromWCharArray(buffer.data(), int(length));
}

} // namespace zort::platform
