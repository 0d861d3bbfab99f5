#include "SqlDialect.h"

#include "WorkbookSource.h"

#include <QSet>

#include <cmath>
#include <sqlite3.h>
#include <vector>

namespace zort {

QString SqlValue::toText() const
{
    switch (kind) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return QString::number(static_cast<qint64>(number));
    case Kind::Real:
        return numberText(number);
    case Kind::Text:
        return text;
    }
    return {};
}

std::optional<double> SqlValue::toNumber() const
{
    if (isNumber())
        return number;
    if (kind == Kind::Text)
        return numberFromText(text);
    return std::nullopt;
}

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    // 'g' with 15 digits drops trailing zeros and switches to an exponent below 1E-04 and from
    // 1E+15 up, as the spreadsheet's General format does.
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

QString serialDateText(double serial, const RegionalSettings &settings)
{
    constexpr double lastSerial = 2958465; // 9999-12-31
    if (!std::isfinite(serial) || serial < 0 || serial >= lastSerial + 1)
        return numberText(serial);
    const auto seconds = static_cast<qint64>(std::llround(serial * 86400.0));
    const qint64 days = seconds / 86400;
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(seconds % 86400));
    if (days == 0)
        return settings.formatTime(time);
    if (days == 60)
        return numberText(serial);
    const QDate date =
            days < 60 ? QDate(1899, 12, 31).addDays(days) : QDate(1899, 12, 30).addDays(days);
    QString text = settings.formatDate(date);
    if (time != QTime(0, 0))
        text += QLatin1Char(' ') + settings.formatTime(time);
    return text;
}

std::optional<double> numberFromText(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    bool hasDigit = false;
    for (QChar c : trimmed) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            hasDigit = true;
        else if (!(c == QLatin1Char('.') || c == QLatin1Char('+') || c == QLatin1Char('-')
                   || c == QLatin1Char('e') || c == QLatin1Char('E')))
            return std::nullopt; // letters (inf, nan, hex), separators, inner blanks
    }
    if (!hasDigit)
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int compareTextNoCase(QStringView left, QStringView right)
{
    return left.compare(right, Qt::CaseInsensitive);
}

// --- statement translation -------------------------------------------------------------------

namespace {

enum class TokenKind { Space, Word, QuotedName, Text, Number, Symbol };

struct Token
{
    TokenKind kind;
    QString text;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

QString unterminated(QChar opening, const QString &statement)
{
    const QString what = opening == QLatin1Char('/') ? QStringLiteral("comment")
                                                     : QStringLiteral("quote %1").arg(opening);
    return QStringLiteral("Unterminated %1 in the statement \"%2\"").arg(what, statement);
}

std::vector<Token> tokenize(const QString &statement)
{
    std::vector<Token> tokens;
    const qsizetype n = statement.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        const QChar c = statement.at(i);
        TokenKind kind = TokenKind::Symbol;
        if (c.isSpace()) {
            while (i < n && statement.at(i).isSpace())
                ++i;
            kind = TokenKind::Space;
        } else if (c == QLatin1Char('-') && i + 1 < n && statement.at(i + 1) == QLatin1Char('-')) {
            while (i < n && statement.at(i) != QLatin1Char('\n'))
                ++i;
            kind = TokenKind::Space;
        } else if (c == QLatin1Char('/') && i + 1 < n && statement.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = statement.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                throw DataSourceError(unterminated(QLatin1Char('/'), statement));
            i = end + 2;
            kind = TokenKind::Space;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')
                   || c == QLatin1Char('[')) {
            // A doubled quote inside stands for the quote itself; brackets do not nest.
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            for (;;) {
                if (i >= n)
                    throw DataSourceError(unterminated(c, statement));
                if (statement.at(i) == close) {
                    if (close != QLatin1Char(']') && i + 1 < n && statement.at(i + 1) == close) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            kind = c == QLatin1Char('\'') ? TokenKind::Text : TokenKind::QuotedName;
        } else if (c.isDigit()
                   || (c == QLatin1Char('.') && i + 1 < n && statement.at(i + 1).isDigit())) {
            while (i < n && (statement.at(i).isDigit() || statement.at(i) == QLatin1Char('.')))
                ++i;
            if (i < n
                && (statement.at(i) == QLatin1Char('e') || statement.at(i) == QLatin1Char('E'))) {
                qsizetype j = i + 1;
                if (j < n
                    && (statement.at(j) == QLatin1Char('+') || statement.at(j) == QLatin1Char('-')))
                    ++j;
                if (j < n && statement.at(j).isDigit()) {
                    i = j;
                    while (i < n && statement.at(i).isDigit())
                        ++i;
                }
            }
            kind = TokenKind::Number;
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(statement.at(i)))
                ++i;
            kind = TokenKind::Word;
        } else {
            static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="),
                                                QStringLiteral(">="), QStringLiteral("!="),
                                                QStringLiteral("=="), QStringLiteral("||"),
                                                QStringLiteral("<<"), QStringLiteral(">>")};
            i += (i + 1 < n && twoChar.contains(statement.mid(i, 2))) ? 2 : 1;
        }
        tokens.push_back({kind, statement.mid(start, i - start)});
    }
    return tokens;
}

bool isSymbol(const Token &token, QLatin1String symbol)
{
    return token.kind == TokenKind::Symbol && token.text == symbol;
}

bool isComparison(const Token &token)
{
    static const QSet<QString> operators = {
            QStringLiteral("="), QStringLiteral("=="), QStringLiteral("<>"), QStringLiteral("!="),
            QStringLiteral("<"), QStringLiteral(">"),  QStringLiteral("<="), QStringLiteral(">=")};
    return token.kind == TokenKind::Symbol && operators.contains(token.text);
}

// Keywords that bind less tightly than "&" and comparisons: an operand never spans them.
bool isClauseKeyword(const Token &token)
{
    static const QSet<QString> keywords = {
            QStringLiteral("SELECT"),    QStringLiteral("FROM"),     QStringLiteral("WHERE"),
            QStringLiteral("AS"),        QStringLiteral("ORDER"),    QStringLiteral("BY"),
            QStringLiteral("GROUP"),     QStringLiteral("HAVING"),   QStringLiteral("ON"),
            QStringLiteral("JOIN"),      QStringLiteral("LEFT"),     QStringLiteral("INNER"),
            QStringLiteral("OUTER"),     QStringLiteral("CROSS"),    QStringLiteral("NATURAL"),
            QStringLiteral("USING"),     QStringLiteral("DISTINCT"), QStringLiteral("ALL"),
            QStringLiteral("ASC"),       QStringLiteral("DESC"),     QStringLiteral("LIMIT"),
            QStringLiteral("OFFSET"),    QStringLiteral("UNION"),    QStringLiteral("EXCEPT"),
            QStringLiteral("INTERSECT"), QStringLiteral("AND"),      QStringLiteral("OR"),
            QStringLiteral("NOT"),       QStringLiteral("LIKE"),     QStringLiteral("GLOB"),
            QStringLiteral("IS"),        QStringLiteral("IN"),       QStringLiteral("BETWEEN"),
            QStringLiteral("ESCAPE"),    QStringLiteral("WHEN"),     QStringLiteral("THEN"),
            QStringLiteral("ELSE"),      QStringLiteral("COLLATE")};
    return token.kind == TokenKind::Word && keywords.contains(token.text.toUpper());
}

bool isWord(const Token &token, QLatin1String word)
{
    return token.kind == TokenKind::Word && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

// Opening and closing of a group that an operand may contain whole: parentheses, CASE ... END.
bool opensGroup(const Token &token)
{
    return isSymbol(token, QLatin1String("(")) || isWord(token, QLatin1String("CASE"));
}

bool closesGroup(const Token &token)
{
    return isSymbol(token, QLatin1String(")")) || isWord(token, QLatin1String("END"));
}

// Where an operand stops at its own nesting level.
bool isOperandBoundary(const Token &token)
{
    return isComparison(token) || isClauseKeyword(token) || isSymbol(token, QLatin1String(","))
           || isSymbol(token, QLatin1String(";"));
}

// First index of the operand that ends just before `end`.
qsizetype operandStart(const std::vector<Token> &tokens, qsizetype end)
{
    int depth = 0;
    qsizetype i = end;
    while (i > 0) {
        const Token &token = tokens[i - 1];
        if (closesGroup(token)) {
            ++depth;
        } else if (opensGroup(token)) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0
                   && (isOperandBoundary(token) || isSymbol(token, QLatin1String("&")))) {
            break;
        }
        --i;
    }
    return i;
}

// One past the last index of the operand that starts at `begin`.
qsizetype operandEnd(const std::vector<Token> &tokens, qsizetype begin)
{
    int depth = 0;
    qsizetype i = begin;
    const auto n = static_cast<qsizetype>(tokens.size());
    while (i < n) {
        const Token &token = tokens[i];
        if (opensGroup(token)) {
            ++depth;
        } else if (closesGroup(token)) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0
                   && (isOperandBoundary(token) || isSymbol(token, QLatin1String("&")))) {
            break;
        }
        ++i;
    }
    return i;
}

// The range without blanks at either end.
std::pair<qsizetype, qsizetype> trimmed(const std::vector<Token> &tokens, qsizetype begin,
                                        qsizetype end)
{
    while (begin < end && tokens[begin].kind == TokenKind::Space)
        ++begin;
    while (end > begin && tokens[end - 1].kind == TokenKind::Space)
        --end;
    return {begin, end};
}

QString joined(const std::vector<Token> &tokens, qsizetype begin, qsizetype end)
{
    QString text;
    for (qsizetype i = begin; i < end; ++i)
        text += tokens[i].text;
    return text;
}

void replaceRange(std::vector<Token> &tokens, qsizetype begin, qsizetype end, const QString &text)
{
    tokens.erase(tokens.begin() + begin, tokens.begin() + end);
    tokens.insert(tokens.begin() + begin, Token {TokenKind::Word, text});
}

// Turns every chain "a & b & c" into one call of zort_concat, innermost groups first.
void rewriteConcatenation(std::vector<Token> &tokens, const QString &statement)
{
    for (;;) {
        qsizetype amp = -1;
        for (qsizetype i = 0; i < static_cast<qsizetype>(tokens.size()); ++i) {
            if (isSymbol(tokens[i], QLatin1String("&"))) {
                amp = i;
                break;
            }
        }
        if (amp < 0)
            return;
        const qsizetype begin = operandStart(tokens, amp);
        QStringList operands;
        qsizetype pos = begin;
        qsizetype end = begin;
        for (;;) {
            end = operandEnd(tokens, pos);
            const auto [b, e] = trimmed(tokens, pos, end);
            if (b == e)
                throw DataSourceError(
                        QStringLiteral("Missing operand of \"&\" in the statement \"%1\"")
                                .arg(statement));
            operands << joined(tokens, b, e);
            if (end < static_cast<qsizetype>(tokens.size())
                && isSymbol(tokens[end], QLatin1String("&")))
                pos = end + 1;
            else
                break;
        }
        const auto [b, e] = trimmed(tokens, begin, end);
        replaceRange(tokens, b, e,
                     QStringLiteral("zort_concat(%1)").arg(operands.join(QStringLiteral(", "))));
    }
}

qsizetype skipSpace(const std::vector<Token> &tokens, qsizetype i, int step)
{
    while (i >= 0 && i < static_cast<qsizetype>(tokens.size())
           && tokens[i].kind == TokenKind::Space)
        i += step;
    return i;
}

bool isSign(const Token &token)
{
    return isSymbol(token, QLatin1String("-")) || isSymbol(token, QLatin1String("+"));
}

// The literal right of a comparison at `op`, as [begin, end), when it is a lone (signed) number
// or text; {-1, -1} otherwise.
std::pair<qsizetype, qsizetype> literalAfter(const std::vector<Token> &tokens, qsizetype op,
                                             TokenKind kind)
{
    const auto n = static_cast<qsizetype>(tokens.size());
    qsizetype i = skipSpace(tokens, op + 1, 1);
    const qsizetype begin = i;
    if (kind == TokenKind::Number && i < n && isSign(tokens[i]))
        i = skipSpace(tokens, i + 1, 1);
    if (i >= n || tokens[i].kind != kind)
        return {-1, -1};
    const qsizetype end = i + 1;
    const qsizetype next = skipSpace(tokens, end, 1);
    if (next < n && !isOperandBoundary(tokens[next]) && !closesGroup(tokens[next]))
        return {-1, -1};
    return {begin, end};
}

// The literal left of a comparison at `op`, likewise.
std::pair<qsizetype, qsizetype> literalBefore(const std::vector<Token> &tokens, qsizetype op,
                                              TokenKind kind)
{
    const qsizetype last = skipSpace(tokens, op - 1, -1);
    if (last < 0 || tokens[last].kind != kind)
        return {-1, -1};
    qsizetype begin = last;
    qsizetype before = skipSpace(tokens, last - 1, -1);
    if (kind == TokenKind::Number && before >= 0 && isSign(tokens[before])) {
        begin = before;
        before = skipSpace(tokens, before - 1, -1);
    }
    if (before >= 0 && !isOperandBoundary(tokens[before]) && !opensGroup(tokens[before]))
        return {-1, -1};
    return {begin, last + 1};
}

// Comparisons with a numeric literal compare the other side as a number; comparisons with a
// text literal ignore case.
void rewriteComparisons(std::vector<Token> &tokens)
{
    const QString collate = QStringLiteral(" COLLATE zort_nocase");
    for (qsizetype op = 0; op < static_cast<qsizetype>(tokens.size()); ++op) {
        if (!isComparison(tokens[op]))
            continue;
        if (const auto [b, e] = literalAfter(tokens, op, TokenKind::Number); b >= 0) {
            const auto [lb, le] = trimmed(tokens, operandStart(tokens, op), op);
            if (lb < le) {
                const qsizetype gap = op - le; // blanks between the operand and the operator
                replaceRange(tokens, lb, le,
                             QStringLiteral("zort_num(%1)").arg(joined(tokens, lb, le)));
                op = lb + 1 + gap;
            }
        } else if (const auto [b2, e2] = literalBefore(tokens, op, TokenKind::Number); b2 >= 0) {
            const auto [rb, re] = trimmed(tokens, op + 1, operandEnd(tokens, op + 1));
            if (rb < re)
                replaceRange(tokens, rb, re,
                             QStringLiteral("zort_num(%1)").arg(joined(tokens, rb, re)));
        } else if (const auto [tb, te] = literalAfter(tokens, op, TokenKind::Text); tb >= 0) {
            tokens[tb].text += collate;
        } else if (const auto [tb2, te2] = literalBefore(tokens, op, TokenKind::Text); tb2 >= 0) {
            tokens[tb2].text += collate;
        }
    }
}

} // namespace

QString translateStatement(const QString &statement)
{
    std::vector<Token> tokens = tokenize(statement);
    rewriteConcatenation(tokens, statement);
    rewriteComparisons(tokens);
    return joined(tokens, 0, static_cast<qsizetype>(tokens.size()));
}

// --- functions and collation -----------------------------------------------------------------

namespace {

SqlValue valueOf(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return SqlValue::integer(static_cast<double>(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return SqlValue::real(sqlite3_value_double(value));
    case SQLITE_TEXT:
        return SqlValue::fromText(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                                  sqlite3_value_bytes(value)));
    default:
        return SqlValue::null();
    }
}

void concatFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    QByteArray result;
    bool allNull = true;
    for (int i = 0; i < argc; ++i) {
        const int type = sqlite3_value_type(argv[i]);
        if (type == SQLITE_NULL)
            continue;
        allNull = false;
        if (type == SQLITE_TEXT)
            result.append(reinterpret_cast<const char *>(sqlite3_value_text(argv[i])),
                          sqlite3_value_bytes(argv[i]));
        else
            result.append(valueOf(argv[i]).toText().toUtf8());
    }
    if (allNull)
        sqlite3_result_null(context);
    else
        sqlite3_result_text(context, result.constData(), static_cast<int>(result.size()),
                            SQLITE_TRANSIENT);
}

void numberFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
        sqlite3_result_int64(context, sqlite3_value_int64(argv[0]));
        return;
    case SQLITE_FLOAT:
        sqlite3_result_double(context, sqlite3_value_double(argv[0]));
        return;
    case SQLITE_TEXT:
        if (const auto number = valueOf(argv[0]).toNumber()) {
            sqlite3_result_double(context, *number);
            return;
        }
        break;
    default:
        break;
    }
    sqlite3_result_null(context);
}

// "%" stands for any characters, "_" for one; an escape character makes the next one plain.
bool likeMatches(QStringView pattern, QStringView text, QChar escape)
{
    qsizetype p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('%') && pattern[p] != escape) {
            starP = ++p;
            starT = t;
            continue;
        }
        if (p < pattern.size()) {
            const bool escaped = !escape.isNull() && pattern[p] == escape && p + 1 < pattern.size();
            const QChar wanted = escaped ? pattern[p + 1] : pattern[p];
            if ((!escaped && wanted == QLatin1Char('_')) || wanted == text[t]) {
                p += escaped ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP; // let the last "%" take one character more
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}

// LIKE without regard to case in every script, as the spreadsheet driver's is.
void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    const QString pattern = valueOf(argv[0]).toText().toCaseFolded();
    const QString text = valueOf(argv[1]).toText().toCaseFolded();
    QChar escape;
    if (argc == 3) {
        const QString e = valueOf(argv[2]).toText();
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0).toCaseFolded();
    }
    sqlite3_result_int(context, likeMatches(pattern, text, escape) ? 1 : 0);
}

bool isAscii(const char *text, int size)
{
    for (int i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

int noCaseCollation(void *, int leftSize, const void *left, int rightSize, const void *right)
{
    const auto *l = static_cast<const char *>(left);
    const auto *r = static_cast<const char *>(right);
    if (isAscii(l, leftSize) && isAscii(r, rightSize)) {
        const int common = std::min(leftSize, rightSize);
        for (int i = 0; i < common; ++i) {
            const int a = std::tolower(static_cast<unsigned char>(l[i]));
            const int b = std::tolower(static_cast<unsigned char>(r[i]));
            if (a != b)
                return a - b;
        }
        return leftSize - rightSize;
    }
    return compareTextNoCase(QString::fromUtf8(l, leftSize), QString::fromUtf8(r, rightSize));
}

} // namespace

void registerDialect(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc = sqlite3_create_function_v2(db, "zort_concat", -1, flags, nullptr, concatFunction,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "zort_num", 1, flags, nullptr, numberFunction, nullptr,
                                        nullptr, nullptr);
    for (int args : {2, 3}) {
        if (rc == SQLITE_OK)
            rc = sqlite3_create_function_v2(db, "like", args, flags, nullptr, likeFunction, nullptr,
                                            nullptr, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation_v2(db, "zort_nocase", SQLITE_UTF8, nullptr, noCaseCollation,
                                         nullptr);
    if (rc != SQLITE_OK)
        throw DataSourceError(QStringLiteral("Could not set up the query engine: %1")
                                      .arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace zort
