#pragma once

// Workbooks held in memory for the real data source: the opener hands the SQLite source the
// tables of the workbook a connection string names, or fails as an unreadable file would.

#include "FakeWorkbookSource.h"
#include "SqliteWorkbookSource.h"

#include <QString>

#include <map>
#include <memory>

namespace zort::test {

class MemoryWorkbooks
{
public:
    void add(const QString &path, FakeTables tables) { m_workbooks[path] = std::move(tables); }

    std::unique_ptr<SqliteWorkbookSource> source() const
    {
        const auto *workbooks = &m_workbooks;
        return std::make_unique<SqliteWorkbookSource>(
                [workbooks](const QString &path) -> std::unique_ptr<TableProvider> {
                    const auto found = workbooks->find(path);
                    if (found == workbooks->end())
                        throw DataSourceError(QStringLiteral("Cannot open ") + path);
                    return std::make_unique<Provider>(found->second);
                });
    }

private:
    class Provider : public TableProvider
    {
    public:
        explicit Provider(FakeTables tables)
            : m_tables(std::move(tables))
        { }
        std::optional<xls::Table> table(std::string_view name) override
        {
            for (const auto &[key, table] : m_tables) {
                if (QString::fromStdString(key).compare(
                            QString::fromUtf8(name.data(), qsizetype(name.size())),
                            Qt::CaseInsensitive)
                    == 0)
                    return table;
            }
            return std::nullopt;
        }

    private:
        FakeTables m_tables;
    };

    std::map<QString, FakeTables> m_workbooks;
};

} // namespace zort::test
