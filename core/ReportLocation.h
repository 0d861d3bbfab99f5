#pragma once

#include <QString>

namespace zort {

enum class ReportPlace {
    ProgramFolder, // "Errors.txt" beside the executable
    UserDataFolder, // the program's folder is not writable: the user's data folder for it
};

// Where the window writes "Errors.txt": the executable's folder, or, where that folder is not
// writable (a system-wide install), the user's per-application data folder, created on demand.
QString defaultReportPath();

// Which of the two places defaultReportPath() chooses now.
ReportPlace defaultReportPlace();

// The choice itself: "Errors.txt" in programFolder when it is a writable folder, otherwise in
// userDataFolder (created when missing).
QString reportPathFor(const QString &programFolder, const QString &userDataFolder);

} // namespace zort
