#pragma once

#include "WorkbookSource.h"
#include "xls/Table.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace zort {

// The tables of one opened workbook, asked for by name as statements need them.
class TableProvider
{
public:
    virtual ~TableProvider() = default;
    // Nothing when the workbook has no such name; throws DataSourceError for a name that is
    // not a table or whose cells are damaged. The name is UTF-8 and compared without regard
    // to case.
    virtual std::optional<xls::Table> table(std::string_view name) = 0;
};

// Opens the workbook at a path; throws DataSourceError with a message for the user.
using WorkbookOpener = std::function<std::unique_ptr<TableProvider>(const QString &path)>;

// Reads workbooks from files with the workbook reader.
WorkbookOpener workbookFileOpener();

// The data source over SQLite: each open connection is one in-memory database whose tables are
// the workbook's defined names, created when a statement first names them, with the columns
// of the area's header row. Statements are translated from the spreadsheet driver's dialect;
// a query's result is read whole when it opens, and filtering works on those rows.
class SqliteWorkbookSource : public WorkbookSource
{
public:
    SqliteWorkbookSource(); // opens workbook files with workbookFileOpener()
    explicit SqliteWorkbookSource(WorkbookOpener opener);
    ~SqliteWorkbookSource() override;

    Connection &FormConnection() override;
    Query &qwData() override;
    void setRegionalSettings(const RegionalSettings &settings) override;

    class SqliteConnection;
    class SqliteQuery;

private:
    std::shared_ptr<RegionalSettings> m_settings;
    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<SqliteQuery> m_query;
};

} // namespace zort
