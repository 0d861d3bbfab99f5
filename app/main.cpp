// zort: the window for checking reporting-form workbooks.
#include "Images.h"
#include "MainWindowServices.h"
#include "QtTranslations.h"
#include "un_Main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // The name keys the per-user data folder; the title captions the program's message boxes.
    // Qt would append a display name to every window title, so none is set.
    QApplication::setApplicationName(QStringLiteral("zort"));
    QApplication::setWindowIcon(zort::programIcon());
    zort::installRussianQtTexts(application);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zort.Zort"));

    zort::TfrmMain frmMain(zort::defaultServices());
    frmMain.show();
    return application.exec();
}
