#include "ReportBlock.h"

namespace zort {

QString ReportBlock::fileLine() const
{
    return QStringLiteral("Файл: ") + path;
}

QString ReportBlock::dateLine() const
{
    return QStringLiteral("Дата: ") + date + QStringLiteral("   ") + startTime;
}

QStringList ReportBlock::notRecognisedLines()
{
    const QString stars(66, u'*');
    return {stars, QStringLiteral("***      Ошибка №1: Неизвестный документ!!!      ***"), stars};
}

QString ReportBlock::noErrorsLine()
{
    return QStringLiteral("Ошибки в документе не найдены.");
}

QString ReportBlock::closingLine() const
{
    return QStringLiteral("Проверка завершена: ") + finishTime + u'.';
}

QStringList ReportBlock::lines() const
{
    QStringList out {fileLine(), dateLine()};
    if (recognised) {
        if (hasCaptions)
            out << formNameCaption << nameCaption;
        if (failedChecks.empty()) {
            out << noErrorsLine();
        } else {
            for (const FailedCheck &check : failedChecks)
                out << check.name;
        }
    } else {
        out << notRecognisedLines();
    }
    out << closingLine() << QString() << QString() << QString();
    return out;
}

} // namespace zort
