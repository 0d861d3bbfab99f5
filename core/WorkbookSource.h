#pragma once

#include "RegionalSettings.h"

#include <QString>

#include <stdexcept>

namespace zort {

// Any failure of the data source: the workbook cannot be opened, a table or column is missing,
// a statement is wrong. The message is complete and meant for a user.
class DataSourceError : public std::runtime_error
{
public:
    explicit DataSourceError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A field's value as the query holds it: null for no row or an empty cell.
class FieldValue
{
public:
    FieldValue() = default;
    explicit FieldValue(QString text) : m_null(false), m_text(std::move(text)) { }

    bool isNull() const { return m_null; }
    // Throws DataSourceError for a null value: a null has no text.
    QString toText() const;

private:
    bool m_null = true;
    QString m_text;
};

// The connection to one workbook, named by an ODBC-style connection string
// "DSN=DataVELT;DBQ=<workbook>;DefaultDir=<folder>;".
class Connection
{
public:
    virtual ~Connection() = default;
    virtual void setConnectionString(const QString &connectionString) = 0;
    virtual QString connectionString() const = 0;
    // Opens the workbook named in the connection string; throws DataSourceError.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool Connected() const = 0;
};

// One statement over the open connection, with a row filter.
class Query
{
public:
    virtual ~Query() = default;
    // Closes an open result and makes the statement the whole statement text.
    virtual void replaceStatement(const QString &statement) = 0;
    virtual QString statement() const = 0;
    // Runs the statement on the open connection; the current row is the first. Throws.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool Active() const = 0;
    // The result, or the filtered result, has no row.
    virtual bool isEmpty() const = 0;
    // The value of a column of the current row; null when there is no row. Throws for a
    // column the result does not have.
    virtual FieldValue value(const QString &column) const = 0;
    // The current row's field as text; empty text on an empty result or a null field.
    virtual QString fieldText(int index) const = 0;
    virtual QString fieldText(const QString &column) const = 0;
    // A filter such as " ID_Element = 'P_FormName'". Filtering on keeps only matching rows;
    // either switch makes the first (remaining) row current.
    virtual void setFilterText(const QString &filter) = 0;
    virtual QString filterText() const = 0;
    virtual void setFiltered(bool on) = 0;
    virtual bool Filtered() const = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
};

// The connection and the query the checking core reads workbooks through.
class WorkbookSource
{
public:
    virtual ~WorkbookSource() = default;
    virtual Connection &FormConnection() = 0;
    virtual Query &qwData() = 0;
    // Date-formatted cells made text follow these settings.
    virtual void setRegionalSettings(const RegionalSettings &settings) = 0;
};

} // namespace zort
