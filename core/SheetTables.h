#pragma once

#include "RegionalSettings.h"
#include "xls/Table.h"

#include <QString>

#include <memory>
#include <vector>

struct sqlite3;

namespace zort {

// The workbook tables of one database: each is a virtual table over an xls::Table held here,
// so that statements read the cells in place. Numbers stay numbers, texts texts, booleans are
// 1 and 0, empty and error cells null; a date cell reads as its date made text. Text columns
// compare without regard to case.
class SheetTables
{
public:
    // Registers the table module on db, which must outlive this object's tables.
    SheetTables(sqlite3 *db, std::shared_ptr<const RegionalSettings> settings);
    ~SheetTables();
    SheetTables(const SheetTables &) = delete;
    SheetTables &operator=(const SheetTables &) = delete;

    // Creates the table `name` with the table's header as its columns; a header cell that does
    // not name its column uniquely makes it "F<n>" (n 1-based). Throws DataSourceError.
    void add(const QString &name, xls::Table table);

    // What the module's callbacks need.
    const xls::Table &table(std::size_t index) const { return *m_tables.at(index); }
    std::size_t count() const { return m_tables.size(); }
    const RegionalSettings &settings() const { return *m_settings; }

private:
    sqlite3 *m_db;
    std::shared_ptr<const RegionalSettings> m_settings;
    std::vector<std::unique_ptr<xls::Table>> m_tables;
};

} // namespace zort
