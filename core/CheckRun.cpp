#include "CheckRun.h"

#include "FormChecker.h"

#include <exception>

namespace zort {

RunOutcome runChecks(FormChecker &checker, const std::vector<DocumentEntry> &entries,
                     CheckRunHost &host)
{
    const QString chooseDocument = QStringLiteral("Выберите документ для проверки.");
    if (entries.empty()) {
        host.showMessage(chooseDocument);
        return RunOutcome::NothingTicked;
    }

    bool firstDocument = true;
    std::size_t clearEntries = 0;
    const std::size_t count = entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        const DocumentEntry &entry = entries[i];
        if (!entry.ticked) {
            if (++clearEntries == count) {
                host.showMessage(chooseDocument);
                return RunOutcome::NothingTicked;
            }
            continue;
        }
        checker.state().FormPath = entry.path;
        QString formCode = QStringLiteral("0");
        if (checker.ConnectToForm(checker.state().FormPath)) {
            // A workbook that cannot be identified is reported as not recognised.
            try {
                formCode = checker.identifyForm();
            } catch (const std::exception &) {
                formCode = QStringLiteral("0");
            }
        }
        // Errors of the report writer end the run.
        const ReportBlock block = checker.Verification(firstDocument, formCode);
        host.blockWritten(block);
        firstDocument = false;
        checker.source().FormConnection().close();
    }

    checker.source().qwData().close();
    checker.source().FormConnection().close();
    host.openReport(checker.reportPath());
    return RunOutcome::ReportWritten;
}

} // namespace zort
