#include "WindowFrame.h"

#include <QtGlobal>

namespace zort {

Qt::WindowFlags mainWindowFlags()
{
    const Qt::WindowFlags frame = Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
#ifdef Q_OS_WIN
    // A dialog frame on Windows carries no icon in its title bar; the task bar still shows the
    // program's icon because the window has no owner.
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | frame;
#else
    // X11 desktops keep dialog-type windows off the task bar, so this stays an ordinary window;
    // whether its title bar shows the icon is the window manager's choice.
    return Qt::Window | frame;
#endif
}

} // namespace zort
