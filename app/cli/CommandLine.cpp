#include "CommandLine.h"

#include "Platform.h"
#include "ReportLocation.h"

#include <QCommandLineParser>
#include <QDir>

namespace zort::cli {

namespace {

QString windowReportPlace()
{
    const QString besideProgram = QDir(platform::executableFolder()).filePath("Errors.txt");
    const QString now =
            defaultReportPlace() == ReportPlace::ProgramFolder
                    ? QStringLiteral("beside the program")
                    : QStringLiteral("in the user's data folder, since the program's folder is not "
                                     "writable");
    return QStringLiteral("The window (zort) writes its report \"Errors.txt\" beside the "
                          "program, %1, or, where that folder is not writable (a system-wide "
                          "install), in the user's data folder for zort; here it goes %2.")
            .arg(QDir::toNativeSeparators(besideProgram), now);
}

// The description's paragraphs broken into lines of at most 79 characters for a terminal; a
// word longer than that (a long path) stands on a line of its own.
QString wrapped(const QString &text)
{
    QStringList lines;
    for (const QString &paragraph : text.split(u'\n')) {
        QString line;
        for (const QString &word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > 79) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines << line;
    }
    return lines.join(u'\n');
}

QString description()
{
    return QStringLiteral(
                   "Checks form workbooks (\".xls\" forms, \".xlt\" templates) as the zort "
                   "window does: every PATH is one ticked entry of one run, in the order given; "
                   "a folder stands for its \".xls\" and \".xlt\" files in name order.\n"
                   "\n"
                   "Without --report the report is printed in the terminal's encoding (UTF-8), "
                   "its lines ended by a plain line feed. With --report FILE it is written to "
                   "FILE exactly as the window writes its report: Windows-1251, lines ended by "
                   "CR LF.\n\n"
                   "%1\n"
                   "\n"
                   "Exit status: 0 every entry was recognised and no check failed; 1 a check "
                   "failed or an entry was not recognised; 2 the run ended with an error, whose "
                   "message goes to standard error, or there was nothing to check; 64 wrong "
                   "usage.")
            .arg(windowReportPlace());
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Write the report to FILE."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object: for each entry its "
                                                 "path, code, whether it was recognised, its "
                                                 "caption lines and its failed checks."));
    const QCommandLineOption dump(QStringLiteral("dump"),
                                  QStringLiteral("Print what the program reads in FILE (sheets, "
                                                 "names, tables) as JSON, and do nothing else."),
                                  QStringLiteral("FILE"));
    parser.addOptions({report, json, dump});
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("A form workbook, or a folder of them."),
                                 QStringLiteral("PATH..."));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        // Only the help looks at the window's report folder.
        parser.setApplicationDescription(wrapped(description()));
        result.helpText = parser.helpText();
        result.action = CommandLine::Action::Help;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Version;
        return result;
    }
    result.paths = parser.positionalArguments();
    if (parser.isSet(dump)) {
        if (!result.paths.isEmpty() || parser.isSet(report) || parser.isSet(json)) {
            result.error = QStringLiteral("--dump takes one FILE and no other option or path.");
            return result;
        }
        result.dumpFile = parser.value(dump);
        result.action = CommandLine::Action::Dump;
        return result;
    }
    if (result.paths.isEmpty()) {
        result.error = QStringLiteral("No workbook or folder given.");
        return result;
    }
    if (result.paths.contains(QString())) {
        result.error = QStringLiteral("An empty path was given.");
        return result;
    }
    if (parser.values(report).size() > 1) {
        result.error = QStringLiteral("--report is given more than once.");
        return result;
    }
    result.reportFile = parser.value(report);
    if (parser.isSet(report) && result.reportFile.isEmpty()) {
        result.error = QStringLiteral("--report needs a file name.");
        return result;
    }
    result.json = parser.isSet(json);
    result.action = CommandLine::Action::Check;
    return result;
}

} // namespace zort::cli
