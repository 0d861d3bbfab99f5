#pragma once

#include <QString>

#include <vector>

namespace zort {

class FormChecker;
struct ReportBlock;

// One entry of the document list: a workbook path and whether its box is ticked.
struct DocumentEntry
{
    QString path;
    bool ticked = false;
};

// What the run leaves to its caller: the window shows a message box and opens the report with
// the desktop shell; the command-line checker prints.
class CheckRunHost
{
public:
    virtual ~CheckRunHost() = default;
    // "Выберите документ для проверки." when the list is empty or nothing is ticked.
    virtual void showMessage(const QString &text) = 0;
    // After the last block: the finished report.
    virtual void openReport(const QString &reportPath) = 0;
    // Each block as it was written (for the JSON output); the default ignores it.
    virtual void blockWritten(const ReportBlock &) { }
};

enum class RunOutcome { NothingTicked, ReportWritten };

// Checks every ticked entry in order, one report block each. Errors of the report writer
// (ReportIoError, DataSourceError) end the run and propagate.
RunOutcome runChecks(FormChecker &checker, const std::vector<DocumentEntry> &entries,
                     CheckRunHost &host);

} // namespace zort
