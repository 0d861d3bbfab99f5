#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace zort {

// An ODBC-style connection string: "KEY=value;" pairs. Keys compare without regard to case; a
// value that contains ";" or starts with "{" is written in braces, with "}" doubled inside.
class ConnectionString
{
public:
    // The one data source this program provides.
    static QString dataSourceName() { return QStringLiteral("DataVELT"); }

    // "DSN=DataVELT;DBQ=<workbook>;DefaultDir=<folder>;"
    static QString forWorkbook(const QString &workbook, const QString &defaultDir);

    // Throws DataSourceError for a pair without "=" or a brace that is never closed.
    static ConnectionString parse(const QString &text);

    // The value of the first pair with that key; empty when there is none.
    QString value(const QString &key) const;
    bool contains(const QString &key) const;
    // Replaces the value of an existing key, or adds the pair at the end.
    void set(const QString &key, const QString &value);

    QString toString() const;

private:
    QList<QPair<QString, QString>> m_pairs;
};

} // namespace zort
