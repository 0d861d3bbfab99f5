#pragma once

#include "Shell.h"

namespace zort {

// The desktop's own "open": the application registered for the file's type shows it.
class DesktopShell : public Shell
{
public:
    void open(const QString &path, ShowMode mode) override;
};

} // namespace zort
