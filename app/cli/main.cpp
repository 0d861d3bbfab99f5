// zort-check: the command-line checker. Paths in, the report out, the verdict as exit status.
#include "CheckCommand.h"
#include "CommandLine.h"
#include "DumpCommand.h"
#include "EntryList.h"
#include "ExitStatus.h"
#include "HugePages.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <iostream>

namespace {

using zort::cli::CommandLine;

int usageError(const QString &error)
{
    std::cerr << "zort-check: " << error.toStdString() << "\nTry \"zort-check --help\".\n";
    return zort::cli::UsageError;
}

// Writing the report over one of the workbooks it checks would destroy that workbook.
bool reportOverwritesEntry(const QString &reportFile,
                           const std::vector<zort::DocumentEntry> &entries)
{
    const QFileInfo report(reportFile);
    if (!report.exists())
        return false;
    for (const zort::DocumentEntry &entry : entries) {
        if (QFileInfo(entry.path).canonicalFilePath() == report.canonicalFilePath())
            return true;
    }
    return false;
}

int dump(const QString &file)
{
    return zort::cli::runDump(QFile::encodeName(file).toStdString(), std::cout, std::cerr);
}

} // namespace

int main(int argc, char *argv[])
{
    zort::cli::restartWithHugePages(argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zort-check"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZORT_VERSION));

    const CommandLine commandLine = zort::cli::parseCommandLine(QCoreApplication::arguments());
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        std::cout << commandLine.helpText.toStdString();
        return zort::cli::AllPassed;
    case CommandLine::Action::Version:
        std::cout << "zort-check " << ZORT_VERSION << '\n';
        return zort::cli::AllPassed;
    case CommandLine::Action::UsageError:
        return usageError(commandLine.error);
    case CommandLine::Action::Dump:
        return dump(commandLine.dumpFile);
    case CommandLine::Action::Check:
        break;
    }

    const std::vector<zort::DocumentEntry> entries = zort::cli::entriesFor(commandLine.paths);
    if (!commandLine.reportFile.isEmpty() && reportOverwritesEntry(commandLine.reportFile, entries))
        return usageError(QStringLiteral("The report file %1 is one of the workbooks to check.")
                                  .arg(commandLine.reportFile));
    return zort::cli::runCheckCommand(entries, {commandLine.reportFile, commandLine.json},
                                      std::cout, std::cerr);
}
