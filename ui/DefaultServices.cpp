#include "DesktopShell.h"
#include "MainWindowServices.h"
#include "QtFileChooser.h"
#include "QtPrompter.h"
#include "ReportLocation.h"
#include "SqliteWorkbookSource.h"

#include <QCoreApplication>

namespace zort {

MainWindowServices defaultServices()
{
    MainWindowServices services;
    services.checker = std::make_unique<FormChecker>(std::make_unique<SqliteWorkbookSource>(),
                                                     defaultReportPath());
    services.prompter = std::make_unique<QtPrompter>();
    services.fileChooser = std::make_unique<QtFileChooser>();
    services.shell = std::make_unique<DesktopShell>();
    services.programFolder = QCoreApplication::applicationDirPath();
    services.regionalSettings = &RegionalSettings::fromSystem;
    return services;
}

} // namespace zort
