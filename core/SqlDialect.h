#pragma once

#include "RegionalSettings.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

struct sqlite3;

namespace zort {

// One field of a query's result as the data source hands it on: a number keeps its value, a
// text its characters, and everything that has no value (empty and error cells) is null.
struct SqlValue
{
    enum class Kind : std::uint8_t { Null, Integer, Real, Text };

    Kind kind = Kind::Null;
    double number = 0; // Integer and Real
    QString text; // Text

    static SqlValue null() { return {}; }
    static SqlValue integer(double value) { return {Kind::Integer, value, {}}; }
    static SqlValue real(double value) { return {Kind::Real, value, {}}; }
    static SqlValue fromText(QString value) { return {Kind::Text, 0, std::move(value)}; }

    bool isNull() const { return kind == Kind::Null; }
    bool isNumber() const { return kind == Kind::Integer || kind == Kind::Real; }
    // A number in its shortest general form, a text as it is, a null as empty text.
    QString toText() const;
    // The value in a numeric comparison: a number, a text that holds a number, else nothing.
    std::optional<double> toNumber() const;
};

// The spreadsheet's general form of a number: at most 15 significant digits, the decimal point
// "." whatever the locale, no trailing zeros, and an exponent ("1.5E+15", "1E-07") only for
// magnitudes from 1E+15 up or below 1E-05.
QString numberText(double value);

// A date cell's serial made text: the date in the regional short date format, followed by the
// time when the serial has one (serial 1 is 1900-01-01; 60 is the spreadsheet's 1900-02-29,
// which has no date, so 61 is 1900-03-01). A serial below 1 is a time of day alone; a negative
// serial, 60 and serials past 9999-12-31 keep their number.
QString serialDateText(double serial, const RegionalSettings &settings);

// A text that holds a number (blanks around it allowed): "12", " -3.5 ", "1e3". Nothing for
// any other text, so that it never satisfies a numeric comparison.
std::optional<double> numberFromText(QStringView text);

// Case-insensitive text comparison for every script, not only ASCII: <0, 0 or >0.
int compareTextNoCase(QStringView left, QStringView right);

// Rewrites a statement of the spreadsheet driver's dialect into SQLite's:
//  - "a & b & c" joins texts: zort_concat(a, b, c), where a null operand counts as empty text
//    and the result is null only when every operand is null;
//  - a comparison of an expression with a numeric literal compares numbers:
//    "Result>0" becomes "zort_num(Result)>0", so a text holding a number counts as that number
//    and any other text fails the comparison;
//  - a comparison with a text literal ignores case: the literal gets COLLATE zort_nocase.
// Texts in single quotes, quoted names and comments are left as they are. Throws
// DataSourceError for an "&" without an operand or an unterminated quote.
QString translateStatement(const QString &statement);

// Registers on a database what translated statements call: zort_concat, zort_num and the
// collation zort_nocase (also the collation of every workbook table's columns); LIKE is
// replaced by one that ignores case in every script.
void registerDialect(sqlite3 *db);

} // namespace zort
