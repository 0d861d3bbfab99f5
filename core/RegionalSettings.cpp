#include "RegionalSettings.h"

#include <QLocale>

namespace zort {

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// One piece of a time format: a run of one pattern letter, or literal text.
struct TimeToken
{
    QChar letter; // null for literal text
    qsizetype length = 0;
    QString literal; // the text itself; for a letter, its run as written
};

bool isPatternLetter(QChar c)
{
    return c == u'h' || c == u'H' || c == u'm' || c == u's' || c == u'z' || c == u'a' || c == u'A'
           || c == u'p' || c == u'P' || c == u't';
}

std::vector<TimeToken> tokenize(const QString &format)
{
    std::vector<TimeToken> tokens;
    auto literal = [&tokens](QChar c) {
        if (tokens.empty() || !tokens.back().letter.isNull())
            tokens.push_back({});
        tokens.back().literal += c;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            // 'text' is literal; '' is one quote.
            qsizetype j = i + 1;
            if (j < format.size() && format[j] == u'\'') {
                literal(u'\'');
                i = j + 1;
                continue;
            }
            for (; j < format.size(); ++j) {
                if (format[j] == u'\'') {
                    if (j + 1 < format.size() && format[j + 1] == u'\'') {
                        literal(u'\'');
                        ++j;
                        continue;
                    }
                    break;
                }
                literal(format[j]);
            }
            i = j + 1;
        } else if (isPatternLetter(c)) {
            // "AP"/"ap" is one token: the morning/afternoon text.
            if ((c == u'a' || c == u'A') && i + 1 < format.size()
                && (format[i + 1] == u'p' || format[i + 1] == u'P')) {
                tokens.push_back({c, 2, format.mid(i, 2)});
                i += 2;
                continue;
            }
            qsizetype j = i;
            while (j < format.size() && format[j] == c)
                ++j;
            tokens.push_back({c, j - i, format.mid(i, j - i)});
            i = j;
        } else {
            literal(c);
            ++i;
        }
    }
    return tokens;
}

} // namespace

QString RegionalSettings::formatDate(const QDate &date) const
{
    return date.toString(shortDateFormat);
}

QString RegionalSettings::formatTime(const QTime &time) const
{
    if (!time.isValid())
        return {};
    int hours = time.hour();
    if (!clock24) {
        hours %= 12;
        if (hours == 0)
            hours = 12;
    }
    const QString text = (hourLeadingZero ? twoDigits(hours) : QString::number(hours))
                         + timeSeparator + twoDigits(time.minute()) + timeSeparator
                         + twoDigits(time.second());
    if (clock24)
        return text;
    const QString &marker = time.hour() < 12 ? amText : pmText;
    if (marker.isEmpty())
        return text;
    return ampmFirst ? marker + u' ' + text : text + u' ' + marker;
}

RegionalSettings RegionalSettings::fromFormats(const QString &shortDateFormat,
                                               const QString &timeFormat, const QString &amText,
                                               const QString &pmText)
{
    RegionalSettings settings;
    settings.shortDateFormat = shortDateFormat;
    settings.amText = amText;
    settings.pmText = pmText;

    const std::vector<TimeToken> tokens = tokenize(timeFormat);
    qsizetype hourAt = -1;
    qsizetype markerAt = -1;
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i) {
        const QChar letter = tokens[i].letter;
        if (hourAt < 0 && (letter == u'h' || letter == u'H'))
            hourAt = i;
        if (markerAt < 0 && (letter == u'a' || letter == u'A'))
            markerAt = i;
    }
    if (hourAt >= 0) {
        settings.hourLeadingZero = tokens[hourAt].length >= 2;
        // The separator is whatever stands between the hours and the minutes.
        if (hourAt + 2 < qsizetype(tokens.size()) && tokens[hourAt + 1].letter.isNull()
            && tokens[hourAt + 2].letter == u'm')
            settings.timeSeparator = tokens[hourAt + 1].literal;
    }
    // "H" is the 24-hour clock even beside a morning/afternoon text.
    settings.clock24 = markerAt < 0 || hourAt < 0 || tokens[hourAt].letter == u'H';
    if (markerAt >= 0) {
        settings.ampmFirst = hourAt >= 0 && markerAt < hourAt;
        // "ap" and "a" ask for lower case, "AP" and "A" for upper case, anything else for the
        // locale's own spelling.
        const QString &marker = tokens[markerAt].literal;
        if (marker == u"ap" || marker == u"a") {
            settings.amText = amText.toLower();
            settings.pmText = pmText.toLower();
        } else if (marker == u"AP" || marker == u"A") {
            settings.amText = amText.toUpper();
            settings.pmText = pmText.toUpper();
        }
    }
    return settings;
}

RegionalSettings RegionalSettings::fromLocale(const QLocale &locale)
{
    // The "C" locale is what a system without regional settings reports: keep the
    // conventions of the forms' own users rather than its "5 Mar 2024".
    if (locale.language() == QLocale::C)
        return {};
    return fromFormats(locale.dateFormat(QLocale::ShortFormat),
                       locale.timeFormat(QLocale::LongFormat), locale.amText(), locale.pmText());
}

RegionalSettings RegionalSettings::fromSystem()
{
    return fromLocale(QLocale::system());
}

} // namespace zort
