#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace zort {

struct FailedCheck
{
    QString idForm, idSection, idRule, idCheck; // as text
    QString name;
};

// Everything one block of the report says about one checked workbook.
struct ReportBlock
{
    QString path; // "Файл: " line
    QString date; // formatted by the regional settings
    QString startTime;
    QString code; // the accepted code, or "0"
    bool recognised = false;
    bool hasCaptions = false; // false when "Data_Adr" has no rows
    QString formNameCaption; // "P_FormName": Name immediately followed by Val
    QString nameCaption; // "P_Name"
    std::vector<FailedCheck> failedChecks;
    QString finishTime;

    // The block's lines, without line ends, three empty lines at the end included.
    QStringList lines() const;

    // The single lines the block is made of, for a writer that writes them as it goes.
    QString fileLine() const; // "Файл: " + path
    QString dateLine() const; // "Дата: " + date + three blanks + start time
    QString closingLine() const; // "Проверка завершена: " + finish time + "."
    static QString noErrorsLine();
    static QStringList notRecognisedLines(); // the asterisk block
};

} // namespace zort
