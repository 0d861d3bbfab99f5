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
};

} // namespace zort
