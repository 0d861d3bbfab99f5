#include "ReportLocation.h"

#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace zort {

namespace {

const QString reportFileName = QStringLiteral("Errors.txt");

// Tried, not inferred from permission bits: root passes those everywhere, yet a read-only
// file system or a system folder still refuses the file.
bool isWritableFolder(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".zort-probe-XXXXXX")));
    return probe.open();
}

QString userDataFolder()
{
    // Without an application name the per-application folder would be the shared one itself.
    if (QCoreApplication::applicationName().isEmpty())
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                .filePath(QStringLiteral("zort"));
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

QString reportPathFor(const QString &programFolder, const QString &dataFolder)
{
    if (isWritableFolder(programFolder))
        return QDir(programFolder).filePath(reportFileName);
    QDir().mkpath(dataFolder);
    return QDir(dataFolder).filePath(reportFileName);
}

QString defaultReportPath()
{
    return reportPathFor(platform::executableFolder(), userDataFolder());
}

ReportPlace defaultReportPlace()
{
    return isWritableFolder(platform::executableFolder()) ? ReportPlace::ProgramFolder
                                                          : ReportPlace::UserDataFolder;
}

} // namespace zort
