#include "WindowFrame.h"

#include <QtGlobal>

namespace zort {

Qt::WindowFlags mainWindowFlags()
{
    const Qt::WindowFlags frame =
            Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
#ifdef Q_OS_WIN
    // A dialog without the system-menu hint gets the dialog frame, whose title bar carries no
    // icon; the task bar still shows the program's icon, as the window has no owner.
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | frame;
#else
    // X11 desktops keep dialog-type windows off the task bar, so this stays an ordinary window;
    // whether its title bar shows the icon is the window manager's choice.
    return Qt::Window | Qt::WindowSystemMenuHint | frame;
#endif
}

} // namespace zort
