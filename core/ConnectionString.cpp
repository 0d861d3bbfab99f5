#include "ConnectionString.h"

#include "WorkbookSource.h"

namespace zort {

namespace {

QString escaped(const QString &value)
{
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{')))
        return value;
    QString inner = value;
    inner.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

DataSourceError syntaxError(const QString &text, const QString &what)
{
    return DataSourceError(QStringLiteral("Invalid connection string \"%1\": %2").arg(text, what));
}

} // namespace

QString ConnectionString::forWorkbook(const QString &workbook, const QString &defaultDir)
{
    ConnectionString result;
    result.set(QStringLiteral("DSN"), dataSourceName());
    result.set(QStringLiteral("DBQ"), workbook);
    result.set(QStringLiteral("DefaultDir"), defaultDir);
    return result.toString();
}

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString result;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        const qsizetype equals = text.indexOf(QLatin1Char('='), i);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            // Blanks between pairs and empty pairs (";;") are allowed; anything else needs "=".
            const qsizetype end = semicolon < 0 ? n : semicolon;
            if (!text.mid(i, end - i).trimmed().isEmpty())
                throw syntaxError(
                        text,
                        QStringLiteral("\"%1\" has no \"=\"").arg(text.mid(i, end - i).trimmed()));
            i = end + 1;
            continue;
        }
        const QString key = text.mid(i, equals - i).trimmed();
        if (key.isEmpty())
            throw syntaxError(text, QStringLiteral("a value has no key"));
        i = equals + 1;
        QString value;
        if (i < n && text.at(i) == QLatin1Char('{')) {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text.at(i) == QLatin1Char('}')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += text.at(i++);
            }
            if (!closed)
                throw syntaxError(text,
                                  QStringLiteral("the value of %1 has no closing \"}\"").arg(key));
            const qsizetype end = text.indexOf(QLatin1Char(';'), i);
            const QString rest = text.mid(i, (end < 0 ? n : end) - i);
            if (!rest.trimmed().isEmpty())
                throw syntaxError(text, QStringLiteral("text after the value of %1").arg(key));
            i = end < 0 ? n : end + 1;
        } else {
            const qsizetype end = semicolon < 0 ? n : semicolon;
            value = text.mid(i, end - i);
            i = end + 1;
        }
        if (!result.contains(key)) // the first occurrence of a key counts
            result.m_pairs.append({key, value});
    }
    return result;
}

QString ConnectionString::value(const QString &key) const
{
    for (const auto &[k, v] : m_pairs) {
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    }
    return {};
}

bool ConnectionString::contains(const QString &key) const
{
    for (const auto &pair : m_pairs) {
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void ConnectionString::set(const QString &key, const QString &value)
{
    for (auto &pair : m_pairs) {
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0) {
            pair.second = value;
            return;
        }
    }
    m_pairs.append({key, value});
}

QString ConnectionString::toString() const
{
    QString text;
    for (const auto &[key, value] : m_pairs)
        text += key + QLatin1Char('=') + escaped(value) + QLatin1Char(';');
    return text;
}

} // namespace zort
