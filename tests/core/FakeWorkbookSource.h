#pragma once

// A stand-in for the workbook data source in tests of the checking core: workbooks are tables
// held in memory, keyed by the path the connection string names. It runs exactly the
// statements the core is meant to send and refuses any other text, so a statement changed by
// one character fails the test. It logs every call that changes the query's state.

#include "WorkbookSource.h"
#include "xls/Table.h"

#include <QRegularExpression>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zort::test {

using FakeTables = std::map<std::string, xls::Table>; // "Data_Adr", "T_Check"

inline xls::Cell text(const char *utf8)
{
    return {xls::CellType::Text, 0, utf8};
}
inline xls::Cell number(double value)
{
    return {xls::CellType::Number, value, {}};
}
inline xls::Cell empty()
{
    return {};
}

// "Data_Adr" with its three columns; each row is ID_Element, Name, Val.
inline xls::Table dataAdr(std::vector<std::vector<xls::Cell>> rows)
{
    return {{"ID_Element", "Name", "Val"}, std::move(rows)};
}

// "T_Check": ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result.
inline xls::Table tCheck(std::vector<std::vector<xls::Cell>> rows)
{
    return {{"ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"}, std::move(rows)};
}

class FakeWorkbookSource : public WorkbookSource
{
public:
    using Row = std::vector<std::optional<QString>>;

    std::map<QString, FakeTables> workbooks; // by the DBQ path
    std::vector<std::string> log;
    RegionalSettings settings;
    // Makes switching filtering on fail once it is on, as a source error between two filter
    // steps would.
    bool failWithFilterOn = false;

    Connection &FormConnection() override { return m_connection; }
    Query &qwData() override { return m_query; }
    void setRegionalSettings(const RegionalSettings &s) override { settings = s; }

private:
    class FakeConnection : public Connection
    {
    public:
        explicit FakeConnection(FakeWorkbookSource &owner)
            : m_owner(owner)
        { }
        void setConnectionString(const QString &s) override { m_string = s; }
        QString connectionString() const override { return m_string; }
        void open() override
        {
            m_owner.log.push_back("connect " + m_string.toStdString());
            const auto dbq = QRegularExpression(QStringLiteral("DBQ=([^;]*);")).match(m_string);
            const auto found = m_owner.workbooks.find(dbq.captured(1));
            if (!dbq.hasMatch() || found == m_owner.workbooks.end())
                throw DataSourceError(QStringLiteral("Cannot open the workbook"));
            m_tables = &found->second;
        }
        void close() override
        {
            if (m_tables)
                m_owner.log.push_back("disconnect");
            m_tables = nullptr;
        }
        bool Connected() const override { return m_tables != nullptr; }
        const FakeTables *tables() const { return m_tables; }

    private:
        FakeWorkbookSource &m_owner;
        QString m_string;
        const FakeTables *m_tables = nullptr;
    };

    class FakeQuery : public Query
    {
    public:
        explicit FakeQuery(FakeWorkbookSource &owner)
            : m_owner(owner)
        { }

        void replaceStatement(const QString &statement) override
        {
            close();
            m_statement = statement;
        }
        QString statement() const override { return m_statement; }
        void open() override
        {
            m_owner.log.push_back("open " + m_statement.toStdString());
            const FakeTables *tables = m_owner.m_connection.tables();
            if (!tables)
                throw DataSourceError(QStringLiteral("Connection is closed"));
            run(*tables);
            m_active = true;
            applyFilter();
        }
        void close() override
        {
            m_active = false;
            m_columns.clear();
            m_rows.clear();
            m_visible.clear();
        }
        bool Active() const override { return m_active; }
        bool isEmpty() const override { return m_visible.empty(); }
        FieldValue value(const QString &column) const override
        {
            const std::optional<QString> &cell = field(indexOf(column));
            return cell ? FieldValue(*cell) : FieldValue();
        }
        QString fieldText(int index) const override
        {
            if (index < 0 || index >= int(m_columns.size()))
                throw DataSourceError(QStringLiteral("No column %1").arg(index));
            return field(index).value_or(QString());
        }
        QString fieldText(const QString &column) const override
        {
            return field(indexOf(column)).value_or(QString());
        }
        void setFilterText(const QString &filter) override
        {
            m_owner.log.push_back("filter text '" + filter.toStdString() + "'");
            m_filter = filter;
            if (m_filtered)
                applyFilter();
        }
        QString filterText() const override { return m_filter; }
        void setFiltered(bool on) override
        {
            m_owner.log.push_back(on ? "filter on" : "filter off");
            m_filtered = on;
            applyFilter();
            if (on && m_owner.failWithFilterOn)
                throw DataSourceError(QStringLiteral("Filter failed"));
        }
        bool Filtered() const override { return m_filtered; }
        void next() override
        {
            if (m_current < m_visible.size())
                ++m_current;
        }
        bool eof() const override { return m_current >= m_visible.size(); }

    private:
        static QString cellText(const xls::Cell &cell)
        {
            if (cell.type == xls::CellType::Text)
                return QString::fromStdString(cell.text);
            return QString::number(cell.number, 'g', 15);
        }
        static std::optional<QString> cellValue(const xls::Cell &cell)
        {
            if (cell.type == xls::CellType::Empty || cell.type == xls::CellType::Error)
                return std::nullopt;
            return cellText(cell);
        }
        static const xls::Table &table(const FakeTables &tables, const char *name)
        {
            const auto found = tables.find(name);
            if (found == tables.end())
                throw DataSourceError(QStringLiteral("No table %1").arg(QLatin1String(name)));
            return found->second;
        }
        static std::size_t column(const xls::Table &t, const char *name)
        {
            for (std::size_t i = 0; i < t.columns.size(); ++i) {
                if (t.columns[i] == name)
                    return i;
            }
            throw DataSourceError(QStringLiteral("No column %1").arg(QLatin1String(name)));
        }

        void run(const FakeTables &tables)
        {
            m_rows.clear();
            if (m_statement == u"Select Val from Data_Adr Where ID_Element = 'P_OKUD'") {
                const xls::Table &t = table(tables, "Data_Adr");
                const std::size_t id = column(t, "ID_Element"), val = column(t, "Val");
                m_columns = {QStringLiteral("Val")};
                for (const auto &row : t.rows) {
                    if (cellText(row[id]) == u"P_OKUD")
                        m_rows.push_back({cellValue(row[val])});
                }
            } else if (m_statement
                       == u"Select (Name &  Val) as CaptionInForm, ID_Element from Data_Adr") {
                const xls::Table &t = table(tables, "Data_Adr");
                const std::size_t id = column(t, "ID_Element"), name = column(t, "Name"),
                                  val = column(t, "Val");
                m_columns = {QStringLiteral("CaptionInForm"), QStringLiteral("ID_Element")};
                for (const auto &row : t.rows) {
                    const auto n = cellValue(row[name]), v = cellValue(row[val]);
                    std::optional<QString> caption;
                    if (n || v)
                        caption = n.value_or(QString()) + v.value_or(QString());
                    m_rows.push_back({caption, cellValue(row[id])});
                }
            } else if (m_statement
                       == u"Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from "
                          u"T_Check where Result>0 Order by ID_Form, ID_Section, ID_Rule, "
                          u"ID_Check") {
                const xls::Table &t = table(tables, "T_Check");
                const char *names[] = {"ID_Form",  "ID_Section", "ID_Rule",
                                       "ID_Check", "Name",       "Result"};
                std::vector<std::size_t> at;
                for (const char *n : names)
                    at.push_back(column(t, n));
                m_columns.clear();
                for (const char *n : names)
                    m_columns.push_back(QLatin1String(n));
                std::vector<const std::vector<xls::Cell> *> failed;
                for (const auto &row : t.rows) {
                    const xls::Cell &result = row[at[5]];
                    if (result.type == xls::CellType::Number && result.number > 0)
                        failed.push_back(&row);
                }
                std::stable_sort(failed.begin(), failed.end(), [&](auto *a, auto *b) {
                    for (int k = 0; k < 4; ++k) {
                        const double x = (*a)[at[k]].number, y = (*b)[at[k]].number;
                        if (x != y)
                            return x < y;
                    }
                    return false;
                });
                for (const auto *row : failed) {
                    Row out;
                    for (std::size_t i : at)
                        out.push_back(cellValue((*row)[i]));
                    m_rows.push_back(out);
                }
            } else {
                throw DataSourceError(QStringLiteral("Unexpected statement: ") + m_statement);
            }
        }

        void applyFilter()
        {
            m_visible.clear();
            m_current = 0;
            if (!m_active)
                return;
            if (!m_filtered || m_filter.isEmpty()) {
                for (std::size_t i = 0; i < m_rows.size(); ++i)
                    m_visible.push_back(i);
                return;
            }
            const auto match =
                    QRegularExpression(QStringLiteral("^ (\\w+) = '([^']*)'$")).match(m_filter);
            if (!match.hasMatch())
                throw DataSourceError(QStringLiteral("Bad filter: ") + m_filter);
            const int at = indexOf(match.captured(1));
            for (std::size_t i = 0; i < m_rows.size(); ++i) {
                if (m_rows[i][at].value_or(QString()).compare(match.captured(2),
                                                              Qt::CaseInsensitive)
                    == 0)
                    m_visible.push_back(i);
            }
        }

        int indexOf(const QString &name) const
        {
            for (std::size_t i = 0; i < m_columns.size(); ++i) {
                if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
                    return int(i);
            }
            throw DataSourceError(QStringLiteral("No column ") + name);
        }
        std::optional<QString> field(int index) const
        {
            if (m_current >= m_visible.size())
                return std::nullopt;
            return m_rows[m_visible[m_current]][std::size_t(index)];
        }

        FakeWorkbookSource &m_owner;
        QString m_statement;
        bool m_active = false;
        std::vector<QString> m_columns;
        std::vector<Row> m_rows;
        std::vector<std::size_t> m_visible;
        std::size_t m_current = 0;
        QString m_filter;
        bool m_filtered = false;
    };

    FakeConnection m_connection {*this};
    FakeQuery m_query {*this};
};

} // namespace zort::test
