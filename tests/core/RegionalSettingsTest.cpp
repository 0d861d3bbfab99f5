#include "RegionalSettings.h"

#include <QLocale>

#include <gtest/gtest.h>
#include <ostream>

using namespace zort;

namespace {

RegionalSettings settings(bool clock24, bool leadingZero, QString separator = QStringLiteral(":"),
                          bool ampmFirst = false, QString am = QStringLiteral("AM"),
                          QString pm = QStringLiteral("PM"))
{
    RegionalSettings s;
    s.clock24 = clock24;
    s.hourLeadingZero = leadingZero;
    s.timeSeparator = std::move(separator);
    s.ampmFirst = ampmFirst;
    s.amText = std::move(am);
    s.pmText = std::move(pm);
    return s;
}

struct TimeCase
{
    RegionalSettings settings;
    QTime time;
    const char16_t *expected;
};

void PrintTo(const TimeCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.expected).toStdString();
}

class TimeFormat : public testing::TestWithParam<TimeCase>
{
};

TEST_P(TimeFormat, FollowsTheSettings)
{
    EXPECT_EQ(GetParam().settings.formatTime(GetParam().time),
              QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
        Clock24, TimeFormat,
        testing::Values(TimeCase {settings(true, true), QTime(9, 5, 7), u"09:05:07"},
                        TimeCase {settings(true, false), QTime(9, 5, 7), u"9:05:07"},
                        TimeCase {settings(true, false), QTime(0, 0, 0), u"0:00:00"},
                        TimeCase {settings(true, false), QTime(23, 59, 59), u"23:59:59"},
                        TimeCase {settings(true, true, QStringLiteral(".")), QTime(14, 3, 0),
                                  u"14.03.00"},
                        // The 24-hour clock writes no morning/afternoon text at all.
                        TimeCase {settings(true, false, QStringLiteral(":"), true), QTime(13, 4, 5),
                                  u"13:04:05"}));

INSTANTIATE_TEST_SUITE_P(
        Clock12, TimeFormat,
        testing::Values(TimeCase {settings(false, false), QTime(0, 0, 0), u"12:00:00 AM"},
                        TimeCase {settings(false, false), QTime(11, 59, 59), u"11:59:59 AM"},
                        TimeCase {settings(false, false), QTime(12, 0, 0), u"12:00:00 PM"},
                        TimeCase {settings(false, false), QTime(13, 4, 5), u"1:04:05 PM"},
                        TimeCase {settings(false, true), QTime(9, 5, 7), u"09:05:07 AM"},
                        TimeCase {settings(false, true), QTime(21, 5, 7), u"09:05:07 PM"},
                        TimeCase {settings(false, false, QStringLiteral(":"), true),
                                  QTime(13, 4, 5), u"PM 1:04:05"},
                        TimeCase {settings(false, true, QStringLiteral("."), true,
                                           QStringLiteral("午前"), QStringLiteral("午後")),
                                  QTime(8, 0, 9), u"午前 08.00.09"},
                        TimeCase {settings(false, false, QStringLiteral(":"), false, QString(),
                                           QString()),
                                  QTime(15, 30, 0), u"3:30:00"}));

TEST(DateFormat, UsesTheShortDateFormat)
{
    RegionalSettings s;
    EXPECT_EQ(s.formatDate(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
    s.shortDateFormat = QStringLiteral("M/d/yy");
    EXPECT_EQ(s.formatDate(QDate(2024, 3, 5)), QStringLiteral("3/5/24"));
    s.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    EXPECT_EQ(s.formatDate(QDate(1999, 12, 31)), QStringLiteral("1999-12-31"));
}

struct FormatCase
{
    const char16_t *timeFormat;
    const char16_t *separator;
    bool leadingZero;
    bool clock24;
    bool ampmFirst;
    const char16_t *am; // as the settings keep it, from "am"/"pm" given
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.timeFormat).toStdString();
}

class TimeFormatAnalysis : public testing::TestWithParam<FormatCase>
{
};

TEST_P(TimeFormatAnalysis, ReadsSeparatorZeroClockAndMarker)
{
    const FormatCase &c = GetParam();
    const RegionalSettings s = RegionalSettings::fromFormats(
            QStringLiteral("dd.MM.yyyy"), QString::fromUtf16(c.timeFormat), QStringLiteral("am"),
            QStringLiteral("pm"));
    const std::string format = QString::fromUtf16(c.timeFormat).toStdString();
    EXPECT_EQ(s.timeSeparator, QString::fromUtf16(c.separator)) << format;
    EXPECT_EQ(s.hourLeadingZero, c.leadingZero) << format;
    EXPECT_EQ(s.clock24, c.clock24) << format;
    EXPECT_EQ(s.ampmFirst, c.ampmFirst) << format;
    EXPECT_EQ(s.amText, QString::fromUtf16(c.am)) << format;
    EXPECT_EQ(s.shortDateFormat, QStringLiteral("dd.MM.yyyy"));
}

INSTANTIATE_TEST_SUITE_P(
        Formats, TimeFormatAnalysis,
        testing::Values(FormatCase {u"HH:mm:ss", u":", true, true, false, u"am"},
                        FormatCase {u"H:mm:ss", u":", false, true, false, u"am"},
                        FormatCase {u"h:mm:ss AP", u":", false, false, false, u"AM"},
                        FormatCase {u"hh:mm:ss ap", u":", true, false, false, u"am"},
                        FormatCase {u"h:mm:ss a", u":", false, false, false, u"am"},
                        FormatCase {u"AP h:mm:ss", u":", false, false, true, u"AM"},
                        FormatCase {u"aPhh.mm.ss", u".", true, false, true, u"am"},
                        FormatCase {u"H.mm.ss", u".", false, true, false, u"am"},
                        FormatCase {u"HH' h 'mm' min 'ss", u" h ", true, true, false, u"am"},
                        // "H" is the 24-hour clock even when a marker is shown beside it.
                        FormatCase {u"H:mm:ss AP", u":", false, true, false, u"AM"},
                        // A quoted "h" or "AP" is text, not a pattern.
                        FormatCase {u"'AP' HH:mm:ss", u":", true, true, false, u"am"},
                        FormatCase {u"h:mm:ss AP t", u":", false, false, false, u"AM"}));

TEST(SystemSettings, RussianAndUsLocales)
{
    const RegionalSettings ru =
            RegionalSettings::fromLocale(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(ru.formatDate(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
    EXPECT_EQ(ru.formatTime(QTime(14, 3, 9)), QStringLiteral("14:03:09"));
    EXPECT_EQ(ru.formatTime(QTime(7, 3, 9)), QStringLiteral("07:03:09"));

    const RegionalSettings us =
            RegionalSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.formatDate(QDate(2024, 3, 5)), QStringLiteral("3/5/24"));
    EXPECT_EQ(us.formatTime(QTime(14, 3, 9)), QStringLiteral("2:03:09 PM"));
    EXPECT_EQ(us.formatTime(QTime(0, 3, 9)), QStringLiteral("12:03:09 AM"));

    // No regional settings at all: the defaults.
    EXPECT_EQ(RegionalSettings::fromLocale(QLocale::c()), RegionalSettings());
    EXPECT_EQ(RegionalSettings().formatDate(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
    EXPECT_EQ(RegionalSettings().formatTime(QTime(7, 3, 9)), QStringLiteral("07:03:09"));
}

} // namespace
