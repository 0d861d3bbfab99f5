#include "ReportIoError.h"

namespace zort {

QString ReportIoError::messageFor(int code, bool mapped)
{
    if (mapped) {
        switch (code) {
        case 2:
            return QStringLiteral("File not found");
        case 3:
            return QStringLiteral("Invalid filename");
        case 4:
            return QStringLiteral("Too many open files");
        case 5:
            return QStringLiteral("File access denied");
        default:
            break;
        }
    }
    return QStringLiteral("I/O error %1").arg(code);
}

} // namespace zort
