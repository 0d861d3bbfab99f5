#include "RowFilter.h"

#include "WorkbookSource.h"

#include <QRegularExpression>

#include <optional>

namespace zort {

enum class FilterOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Like };

struct RowFilter::Node
{
    enum class Kind { And, Or, Not, Compare } kind = Kind::Compare;
    std::unique_ptr<Node> left, right; // And, Or; Not uses left
    int column = -1; // Compare
    FilterOp op = FilterOp::Equal;
    SqlValue literal;
    QRegularExpression pattern; // Like

    bool matches(const std::vector<SqlValue> &row) const;
};

namespace {

// The result of one comparison: <0, 0, >0, or nothing when the two cannot be compared.
std::optional<int> compareValues(const SqlValue &field, const SqlValue &literal)
{
    if (field.isNull() || literal.isNull())
        return std::nullopt;
    if (literal.isNumber()) {
        const auto number = field.toNumber();
        if (!number)
            return std::nullopt; // a text that holds no number never matches a number
        return *number < literal.number ? -1 : (*number > literal.number ? 1 : 0);
    }
    return compareTextNoCase(field.toText(), literal.text);
}

bool holds(FilterOp op, int order)
{
    switch (op) {
    case FilterOp::Equal:
        return order == 0;
    case FilterOp::NotEqual:
        return order != 0;
    case FilterOp::Less:
        return order < 0;
    case FilterOp::Greater:
        return order > 0;
    case FilterOp::LessEqual:
        return order <= 0;
    case FilterOp::GreaterEqual:
        return order >= 0;
    case FilterOp::Like:
        break;
    }
    return false;
}

class FilterParser
{
public:
    FilterParser(const QString &text, const QStringList &columns)
        : m_text(text)
        , m_columns(columns)
    { }

    std::unique_ptr<RowFilter::Node> parse()
    {
        skipBlanks();
        if (atEnd())
            return nullptr;
        auto node = parseOr();
        skipBlanks();
        if (!atEnd())
            fail(QStringLiteral("unexpected \"%1\"").arg(m_text.mid(m_pos)));
        return node;
    }

private:
    using Node = RowFilter::Node;

    [[noreturn]] void fail(const QString &why) const
    {
        throw DataSourceError(QStringLiteral("Invalid filter \"%1\": %2").arg(m_text, why));
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text.at(m_pos + ahead) : QChar();
    }
    void skipBlanks()
    {
        while (!atEnd() && peek().isSpace())
            ++m_pos;
    }

    // A keyword (AND, OR, NOT, LIKE, NULL) as a whole word, consumed when present.
    bool keyword(QLatin1String word)
    {
        skipBlanks();
        const qsizetype end = m_pos + word.size();
        if (end > m_text.size()
            || QStringView(m_text).mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < m_text.size()
            && (m_text.at(end).isLetterOrNumber() || m_text.at(end) == QLatin1Char('_')))
            return false;
        m_pos = end;
        return true;
    }

    std::unique_ptr<Node> combine(Node::Kind kind, std::unique_ptr<Node> left,
                                  std::unique_ptr<Node> right)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> parseOr()
    {
        auto node = parseAnd();
        while (keyword(QLatin1String("OR")))
            node = combine(Node::Kind::Or, std::move(node), parseAnd());
        return node;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto node = parseFactor();
        while (keyword(QLatin1String("AND")))
            node = combine(Node::Kind::And, std::move(node), parseFactor());
        return node;
    }

    std::unique_ptr<Node> parseFactor()
    {
        if (++m_depth > 100)
            fail(QStringLiteral("too deeply nested"));
        std::unique_ptr<Node> node;
        skipBlanks();
        if (keyword(QLatin1String("NOT"))) {
            node = combine(Node::Kind::Not, parseFactor(), nullptr);
        } else if (peek() == QLatin1Char('(')) {
            ++m_pos;
            node = parseOr();
            skipBlanks();
            if (peek() != QLatin1Char(')'))
                fail(QStringLiteral("missing \")\""));
            ++m_pos;
        } else {
            node = parseComparison();
        }
        --m_depth;
        return node;
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto node = std::make_unique<Node>();
        node->column = parseField();
        node->op = parseOperator();
        node->literal = parseValue();
        if (node->op == FilterOp::Like) {
            if (node->literal.kind != SqlValue::Kind::Text)
                fail(QStringLiteral("LIKE needs a text in quotes"));
            QString pattern;
            for (QChar c : node->literal.text) {
                if (c == QLatin1Char('*') || c == QLatin1Char('%'))
                    pattern += QStringLiteral(".*");
                else
                    pattern += QRegularExpression::escape(QString(c));
            }
            node->pattern =
                    QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                       QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
        } else if (node->literal.isNull() && node->op != FilterOp::Equal
                   && node->op != FilterOp::NotEqual) {
            fail(QStringLiteral("NULL can only be compared with = or <>"));
        }
        return node;
    }

    int parseField()
    {
        skipBlanks();
        QString name;
        if (peek() == QLatin1Char('[')) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos + 1);
            if (close < 0)
                fail(QStringLiteral("missing \"]\""));
            name = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
        } else {
            const qsizetype start = m_pos;
            while (!atEnd()
                   && (peek().isLetterOrNumber() || peek() == QLatin1Char('_')
                       || peek() == QLatin1Char('$')))
                ++m_pos;
            name = m_text.mid(start, m_pos - start);
            if (name.isEmpty())
                fail(atEnd() ? QStringLiteral("a field name is missing")
                             : QStringLiteral("a field name is missing before \"%1\"")
                                       .arg(m_text.mid(m_pos)));
        }
        for (int i = 0; i < m_columns.size(); ++i) {
            if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        fail(QStringLiteral("no field \"%1\" in the result").arg(name));
    }

    FilterOp parseOperator()
    {
        skipBlanks();
        if (keyword(QLatin1String("LIKE")))
            return FilterOp::Like;
        const QChar a = peek(), b = peek(1);
        auto take = [this](qsizetype n, FilterOp op) {
            m_pos += n;
            return op;
        };
        if (a == QLatin1Char('<') && b == QLatin1Char('>'))
            return take(2, FilterOp::NotEqual);
        if (a == QLatin1Char('<') && b == QLatin1Char('='))
            return take(2, FilterOp::LessEqual);
        if (a == QLatin1Char('>') && b == QLatin1Char('='))
            return take(2, FilterOp::GreaterEqual);
        if (a == QLatin1Char('<'))
            return take(1, FilterOp::Less);
        if (a == QLatin1Char('>'))
            return take(1, FilterOp::Greater);
        if (a == QLatin1Char('='))
            return take(1, FilterOp::Equal);
        fail(atEnd() ? QStringLiteral("a comparison operator is missing")
                     : QStringLiteral("a comparison operator is missing before \"%1\"")
                               .arg(m_text.mid(m_pos)));
    }

    SqlValue parseValue()
    {
        skipBlanks();
        if (peek() == QLatin1Char('\'')) {
            QString text;
            ++m_pos;
            for (;;) {
                if (atEnd())
                    fail(QStringLiteral("a text has no closing quote"));
                if (peek() == QLatin1Char('\'')) {
                    if (peek(1) == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                text += peek();
                ++m_pos;
            }
            return SqlValue::fromText(text);
        }
        if (keyword(QLatin1String("NULL")))
            return SqlValue::null();
        const qsizetype start = m_pos;
        while (!atEnd() && !peek().isSpace() && peek() != QLatin1Char(')'))
            ++m_pos;
        const QString word = m_text.mid(start, m_pos - start);
        if (const auto number = numberFromText(word))
            return SqlValue::real(*number);
        fail(word.isEmpty()
                     ? QStringLiteral("a value is missing")
                     : QStringLiteral("\"%1\" is neither a quoted text nor a number").arg(word));
    }

    const QString &m_text;
    const QStringList &m_columns;
    qsizetype m_pos = 0;
    int m_depth = 0;
};

} // namespace

bool RowFilter::Node::matches(const std::vector<SqlValue> &row) const
{
    switch (kind) {
    case Kind::And:
        return left->matches(row) && right->matches(row);
    case Kind::Or:
        return left->matches(row) || right->matches(row);
    case Kind::Not:
        return !left->matches(row);
    case Kind::Compare:
        break;
    }
    const SqlValue &field = row.at(static_cast<std::size_t>(column));
    if (literal.isNull())
        return field.isNull() == (op == FilterOp::Equal);
    if (op == FilterOp::Like)
        return !field.isNull() && pattern.match(field.toText()).hasMatch();
    const auto order = compareValues(field, literal);
    return order && holds(op, *order);
}

RowFilter::RowFilter(const QString &text, const QStringList &columns)
    : m_root(FilterParser(text, columns).parse())
{ }

RowFilter::~RowFilter() = default;
RowFilter::RowFilter(RowFilter &&) noexcept = default;
RowFilter &RowFilter::operator=(RowFilter &&) noexcept = default;

bool RowFilter::matches(const std::vector<SqlValue> &row) const
{
    return !m_root || m_root->matches(row);
}

} // namespace zort
