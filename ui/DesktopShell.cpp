#include "DesktopShell.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QApplication>
#include <QDir>
#include <QWidget>

#include <string>
#include <windows.h>
// shellapi.h builds on the declarations of windows.h.
#include <shellapi.h>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace zort {

#ifdef Q_OS_WIN

void DesktopShell::open(const QString &path, ShowMode mode)
{
    QWidget *owner = QApplication::activeWindow();
    const HWND ownerWindow = owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    // The result is deliberately not examined: a missing file or viewer is the shell's to report.
    ShellExecuteW(ownerWindow, L"open", file.c_str(), nullptr, nullptr,
                  mode == ShowMode::Restore ? SW_RESTORE : SW_SHOWNORMAL);
}

#else

void DesktopShell::open(const QString &path, ShowMode)
{
    // Window placement is the desktop's choice here; the result is not examined.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

#endif

} // namespace zort
