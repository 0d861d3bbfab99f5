#pragma once

#include <QString>
#include <QStringList>

namespace zort::cli {

// What the command line asks for, read without side effects.
struct CommandLine
{
    enum class Action { Check, Dump, Help, Version, UsageError };

    Action action = Action::UsageError;
    QString reportFile; // --report FILE; empty: the report goes to standard output
    bool json = false; // --json: one JSON object instead of the report's text
    QStringList paths; // workbooks and folders, in the order given
    QString dumpFile; // --dump FILE
    QString error; // why the command line is wrong (UsageError)
    QString helpText; // the full --help text (Help)
};

// arguments: the whole command line, the program's name first.
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace zort::cli
