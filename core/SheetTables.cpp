#include "SheetTables.h"

#include "SqlDialect.h"
#include "WorkbookSource.h"

#include <QSet>

#include <cstdlib>
#include <sqlite3.h>

namespace zort {

namespace {

struct SheetVtab
{
    sqlite3_vtab base {}; // first, as SQLite expects
    const xls::Table *table = nullptr;
    const SheetTables *owner = nullptr;
};

struct SheetCursor
{
    sqlite3_vtab_cursor base {};
    std::size_t row = 0;
};

QString quotedName(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// The columns as SQLite may declare them: unique without regard to case.
QString declaration(const xls::Table &table)
{
    QStringList columns;
    QSet<QString> seen;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        QString name = QString::fromStdString(table.columns[i]);
        if (name.trimmed().isEmpty() || seen.contains(name.toCaseFolded()))
            name = QStringLiteral("F%1").arg(i + 1);
        seen.insert(name.toCaseFolded());
        columns << quotedName(name) + QStringLiteral(" COLLATE zort_nocase");
    }
    return QStringLiteral("CREATE TABLE x(%1)").arg(columns.join(QStringLiteral(", ")));
}

int connect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **vtab,
            char **error)
{
    const auto *owner = static_cast<const SheetTables *>(aux);
    // argv: module name, database, table name, then our one argument: the table's index.
    char *end = nullptr;
    const unsigned long index = argc == 4 ? std::strtoul(argv[3], &end, 10) : owner->count();
    if (index >= owner->count() || end == argv[3]) {
        *error = sqlite3_mprintf("no workbook table behind %s", argc > 2 ? argv[2] : "?");
        return SQLITE_ERROR;
    }
    const xls::Table &table = owner->table(index);
    const int rc = sqlite3_declare_vtab(db, declaration(table).toUtf8().constData());
    if (rc != SQLITE_OK)
        return rc;
    auto *sheet = new SheetVtab;
    sheet->table = &table;
    sheet->owner = owner;
    *vtab = &sheet->base;
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab *vtab, sqlite3_index_info *info)
{
    const auto *sheet = reinterpret_cast<SheetVtab *>(vtab);
    // Every statement scans the table: constraints are left to SQLite to test.
    info->estimatedRows = static_cast<sqlite3_int64>(sheet->table->rows.size());
    info->estimatedCost = static_cast<double>(sheet->table->rows.size()) + 1;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab *vtab)
{
    delete reinterpret_cast<SheetVtab *>(vtab);
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab *, sqlite3_vtab_cursor **cursor)
{
    *cursor = &(new SheetCursor)->base;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor *cursor)
{
    delete reinterpret_cast<SheetCursor *>(cursor);
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor *cursor, int, const char *, int, sqlite3_value **)
{
    reinterpret_cast<SheetCursor *>(cursor)->row = 0;
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor *cursor)
{
    ++reinterpret_cast<SheetCursor *>(cursor)->row;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor *cursor)
{
    const auto *c = reinterpret_cast<SheetCursor *>(cursor);
    return c->row >= reinterpret_cast<SheetVtab *>(cursor->pVtab)->table->rows.size();
}

int column(sqlite3_vtab_cursor *cursor, sqlite3_context *context, int index)
{
    const auto *c = reinterpret_cast<SheetCursor *>(cursor);
    const auto *sheet = reinterpret_cast<SheetVtab *>(cursor->pVtab);
    const auto &row = sheet->table->rows[c->row];
    if (index < 0 || static_cast<std::size_t>(index) >= row.size()) {
        sqlite3_result_null(context);
        return SQLITE_OK;
    }
    const xls::Cell &cell = row[static_cast<std::size_t>(index)];
    switch (cell.type) {
    case xls::CellType::Number:
        sqlite3_result_double(context, cell.number);
        break;
    case xls::CellType::Text:
        // The table outlives every statement: results are read whole before anything changes.
        sqlite3_result_text(context, cell.text.data(), static_cast<int>(cell.text.size()),
                            SQLITE_STATIC);
        break;
    case xls::CellType::Boolean:
        sqlite3_result_int(context, cell.number != 0 ? 1 : 0);
        break;
    case xls::CellType::Date: {
        const QByteArray text = serialDateText(cell.number, sheet->owner->settings()).toUtf8();
        sqlite3_result_text(context, text.constData(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT);
        break;
    }
    case xls::CellType::Empty:
    case xls::CellType::Error:
        sqlite3_result_null(context);
        break;
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *cursor, sqlite3_int64 *id)
{
    *id = static_cast<sqlite3_int64>(reinterpret_cast<SheetCursor *>(cursor)->row);
    return SQLITE_OK;
}

const sqlite3_module *sheetModule()
{
    static const sqlite3_module module = [] {
        sqlite3_module m {};
        m.xCreate = connect;
        m.xConnect = connect;
        m.xBestIndex = bestIndex;
        m.xDisconnect = disconnect;
        m.xDestroy = disconnect;
        m.xOpen = openCursor;
        m.xClose = closeCursor;
        m.xFilter = filter;
        m.xNext = next;
        m.xEof = eof;
        m.xColumn = column;
        m.xRowid = rowid;
        return m;
    }();
    return &module;
}

} // namespace

SheetTables::SheetTables(sqlite3 *db, std::shared_ptr<const RegionalSettings> settings)
    : m_db(db)
    , m_settings(std::move(settings))
{
    if (sqlite3_create_module_v2(db, "zort_sheet", sheetModule(), this, nullptr) != SQLITE_OK)
        throw DataSourceError(QStringLiteral("Could not set up the workbook tables: %1")
                                      .arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

SheetTables::~SheetTables() = default;

void SheetTables::add(const QString &name, xls::Table table)
{
    if (table.columns.empty())
        throw DataSourceError(QStringLiteral("The table \"%1\" has no columns").arg(name));
    m_tables.push_back(std::make_unique<xls::Table>(std::move(table)));
    const QString sql = QStringLiteral("CREATE VIRTUAL TABLE %1 USING zort_sheet(%2)")
                                .arg(quotedName(name))
                                .arg(m_tables.size() - 1);
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString why = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        m_tables.pop_back();
        throw DataSourceError(QStringLiteral("Could not read the table \"%1\": %2").arg(name, why));
    }
}

} // namespace zort
