#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace zort {

// The date and time conventions the report is written in, held as a value so that tests can
// fix them and the program can re-read them when the system's settings change.
struct RegionalSettings
{
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy"); // QDate::toString format
    QString timeSeparator = QStringLiteral(":");
    bool hourLeadingZero = true;
    bool clock24 = true;
    QString amText = QStringLiteral("AM");
    QString pmText = QStringLiteral("PM");
    bool ampmFirst = false; // the morning/afternoon text goes before the time

    friend bool operator==(const RegionalSettings &, const RegionalSettings &) = default;

    QString formatDate(const QDate &date) const;
    // Hours, minutes and seconds: see the report's layout.
    QString formatTime(const QTime &time) const;

    // What the system's locale says now.
    static RegionalSettings fromSystem();
};

} // namespace zort
