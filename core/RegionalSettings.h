#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class QLocale;

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
    // What a locale says: its short date format, and its long time format read for the time
    // separator, the hours' leading zero, the clock and where the morning/afternoon text goes.
    // The "C" locale (no regional settings at all) gives the defaults above.
    static RegionalSettings fromLocale(const QLocale &locale);
    // The same from the formats themselves (QTime::toString notation, quotes respected).
    static RegionalSettings fromFormats(const QString &shortDateFormat, const QString &timeFormat,
                                        const QString &amText, const QString &pmText);
};

} // namespace zort
