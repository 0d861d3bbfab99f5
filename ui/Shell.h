#pragma once

#include <QString>

namespace zort {

// How the application the shell starts should show its window.
enum class ShowMode { Normal, Restore };

// The desktop's "open": hands a file to the application registered for it. Whether that worked
// is not the program's business, so nothing comes back.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual void open(const QString &path, ShowMode mode) = 0;
};

} // namespace zort
