#pragma once

#include "FileChooser.h"
#include "FormChecker.h"
#include "Prompter.h"
#include "RegionalSettings.h"
#include "Shell.h"

#include <QString>

#include <functional>
#include <memory>

namespace zort {

// What the main window works with. The program passes the real ones (defaultServices()); a test
// passes its own and sees what the window asked of them.
struct MainWindowServices
{
    std::unique_ptr<FormChecker> checker;
    std::unique_ptr<Prompter> prompter;
    std::unique_ptr<FileChooser> fileChooser;
    std::unique_ptr<Shell> shell;
    // The folder that holds the user manual: the executable's.
    QString programFolder;
    // Read at start and whenever the system announces a change of its regional settings.
    std::function<RegionalSettings()> regionalSettings;
};

// The real dialogs, message boxes, desktop shell, workbook source and report location.
MainWindowServices defaultServices();

} // namespace zort
