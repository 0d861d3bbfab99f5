#include "ReportLocation.h"

#include "Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zort {

namespace {

const QString reportFileName = QStringLiteral("Errors.txt");

bool isWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

QString userDataFolder()
{
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
