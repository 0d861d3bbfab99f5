#pragma once

#include "RegionalSettings.h"
#include "xls/Table.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct sqlite3;

namespace zort {

// The workbook tables of one database: each is a virtual table over an xls::Table held here,
// so that statements read the cells in place. Numbers stay numbers, texts texts, booleans are
// 1 and 0, empty and error cells null; a date cell reads as its date made text. Text columns
// compare without regard to case.
//
// A table's declaration outlives the workbook it was made for: when the connection moves on to
// another workbook, its tables are unbound, and a table of the next workbook with the same
// columns is bound to the existing declaration. The schema then stays as it was, and statements
// prepared for the previous workbook still hold.
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
    // Binds the declared table `index` to a table of the current workbook. When its columns
    // differ from the declaration, the table is declared again (the schema changes) and false
    // is returned. Throws DataSourceError.
    bool bind(std::size_t index, xls::Table table);
    // Lets every table go; their declarations stay.
    void unbindAll();

    // The tables statements planned since the last call read, by index.
    std::vector<std::size_t> takePlanned();

    // What the module's callbacks need; table() is null for an unbound table.
    const xls::Table *table(std::size_t index) const { return m_entries.at(index).table.get(); }
    const QByteArray &declaration(std::size_t index) const
    {
        return m_entries.at(index).declaration;
    }
    const QString &name(std::size_t index) const { return m_entries.at(index).name; }
    std::size_t count() const { return m_entries.size(); }
    const RegionalSettings &settings() const { return *m_settings; }
    void planned(std::size_t index) const;

private:
    struct Entry
    {
        QString name;
        QByteArray declaration;
        std::unique_ptr<xls::Table> table;
    };
    void create(std::size_t index);

    sqlite3 *m_db;
    std::shared_ptr<const RegionalSettings> m_settings;
    std::vector<Entry> m_entries;
    mutable std::vector<std::size_t> m_planned;
};

} // namespace zort
