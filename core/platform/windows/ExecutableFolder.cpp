#include "PathRules.h"
#include "Platform.h"

#include <vector>
#include <windows.h>

namespace zort::platform {

QString executableFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return folderPart(QString::fromWCharArray(buffer.data(), int(length)),
                              PathStyle::Windows);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace zort::platform
