#include "CheckCommand.h"

#include "CheckRun.h"
#include "ErrorDisplayText.h"
#include "ExitStatus.h"
#include "FormChecker.h"
#include "JsonReport.h"
#include "ReportIoError.h"
#include "SqliteWorkbookSource.h"
#include "xls/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

namespace zort::cli {

namespace {

// Keeps the blocks for the JSON output and the exit status; a terminal has no message box and
// no viewer to open the report with.
class CommandLineHost : public CheckRunHost
{
public:
    void showMessage(const QString &text) override { m_message = text; }
    void openReport(const QString &) override { }
    void blockWritten(const ReportBlock &block) override { m_blocks.push_back(block); }

    const QString &message() const { return m_message; }
    const std::vector<ReportBlock> &blocks() const { return m_blocks; }

private:
    QString m_message;
    std::vector<ReportBlock> m_blocks;
};

// The report file's text for a terminal: UTF-8, each CR LF a plain line feed.
std::string terminalText(const QString &reportPath)
{
    QFile file(reportPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::string text = xls::decodeCodePage(1251, std::string_view(bytes.constData(), bytes.size()));
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

int statusOf(const std::vector<ReportBlock> &blocks)
{
    const bool allPassed = std::all_of(blocks.begin(), blocks.end(), [](const ReportBlock &b) {
        return b.recognised && b.failedChecks.empty();
    });
    return allPassed ? AllPassed : ChecksFailed;
}

} // namespace

int runCheckCommand(const std::vector<DocumentEntry> &entries, const CheckOptions &options,
                    std::ostream &out, std::ostream &err)
{
    const bool printReport = options.reportFile.isEmpty() && !options.json;
    QTemporaryDir scratch; // holds the report when no file was asked for
    QString reportPath;
    if (options.reportFile.isEmpty()) {
        if (!scratch.isValid()) {
            err << "zort-check: no temporary folder for the report: "
                << scratch.errorString().toStdString() << '\n';
            return RunFailed;
        }
        reportPath = scratch.filePath(QStringLiteral("Errors.txt"));
    } else {
        reportPath = QDir::cleanPath(QFileInfo(options.reportFile).absoluteFilePath());
    }

    FormChecker checker(std::make_unique<SqliteWorkbookSource>(), reportPath);
    checker.setRegionalSettings(RegionalSettings::fromSystem());
    // Only the JSON output shows a failed check's position; reading it costs time on big forms.
    checker.setRecordCheckPositions(options.json);
    CommandLineHost host;
    RunOutcome outcome = RunOutcome::NothingTicked;
    std::optional<QString> failure;
    try {
        outcome = runChecks(checker, entries, host);
    } catch (const ReportIoError &e) {
        failure = e.message();
    } catch (const DataSourceError &e) {
        failure = e.message();
    } catch (const std::exception &e) {
        failure = QString::fromUtf8(e.what());
    }

    // What was written is shown even when the run ended early, as the window leaves it too.
    if (options.json)
        out << jsonReport(host.blocks()) << '\n';
    else if (printReport)
        out << terminalText(reportPath);
    out.flush();

    if (failure) {
        err << errorDisplayText(*failure).toStdString() << '\n';
        return RunFailed;
    }
    if (outcome == RunOutcome::NothingTicked) {
        err << host.message().toStdString() << '\n';
        return RunFailed;
    }
    return statusOf(host.blocks());
}

} // namespace zort::cli
