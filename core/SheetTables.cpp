#include "SheetTables.h"

#include "SqlDialect.h"
#include "WorkbookSource.h"

#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <sqlite3.h>

namespace zort {

namespace {

struct SheetVtab
{
    sqlite3_vtab base {}; // first, as SQLite expects
    std::size_t index = 0;
    const SheetTables *owner = nullptr;
};

struct SheetCursor
{
    sqlite3_vtab_cursor base {};
    const xls::Table *table = nullptr; // the table bound when the scan started
    std::size_t row = 0;
};

QString quotedName(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// The columns as SQLite may declare them: unique without regard to case.
QByteArray declarationOf(const xls::Table &table)
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
    return QStringLiteral("CREATE TABLE x(%1)").arg(columns.join(QStringLiteral(", "))).toUtf8();
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
    const int rc = sqlite3_declare_vtab(db, owner->declaration(index).constData());
    if (rc != SQLITE_OK)
        return rc;
    auto *sheet = new SheetVtab;
    sheet->index = index;
    sheet->owner = owner;
    *vtab = &sheet->base;
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab *vtab, sqlite3_index_info *info)
{
    const auto *sheet = reinterpret_cast<SheetVtab *>(vtab);
    sheet->owner->planned(sheet->index);
    // Every statement scans the table: constraints are left to SQLite to test.
    const xls::Table *table = sheet->owner->table(sheet->index);
    const std::size_t rows = table ? table->rows.size() : 0;
    info->estimatedRows = static_cast<sqlite3_int64>(rows);
    info->estimatedCost = static_cast<double>(rows) + 1;
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
    auto *c = reinterpret_cast<SheetCursor *>(cursor);
    auto *sheet = reinterpret_cast<SheetVtab *>(cursor->pVtab);
    c->row = 0;
    c->table = sheet->owner->table(sheet->index);
    if (!c->table) {
        // The connection binds every table a statement reads before running it.
        sqlite3_free(sheet->base.zErrMsg);
        sheet->base.zErrMsg =
                sqlite3_mprintf("no workbook table behind %s",
                                sheet->owner->name(sheet->index).toUtf8().constData());
        return SQLITE_ERROR;
    }
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
    return !c->table || c->row >= c->table->rows.size();
}

int column(sqlite3_vtab_cursor *cursor, sqlite3_context *context, int index)
{
    const auto *c = reinterpret_cast<SheetCursor *>(cursor);
    const auto *sheet = reinterpret_cast<SheetVtab *>(cursor->pVtab);
    const auto &row = c->table->rows[c->row];
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
        if (cell.sharedString != 0) {
            // Left in the workbook until a statement reads it.
            try {
                const std::string text = c->table->text(cell);
                sqlite3_result_text(context, text.data(), static_cast<int>(text.size()),
                                    SQLITE_TRANSIENT);
            } catch (const std::exception &e) {
                sqlite3_result_error(context, e.what(), -1);
            }
            break;
        }
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

void SheetTables::planned(std::size_t index) const
{
    m_planned.push_back(index);
}

std::vector<std::size_t> SheetTables::takePlanned()
{
    std::vector<std::size_t> planned = std::move(m_planned);
    m_planned.clear();
    std::sort(planned.begin(), planned.end());
    planned.erase(std::unique(planned.begin(), planned.end()), planned.end());
    return planned;
}

void SheetTables::create(std::size_t index)
{
    Entry &entry = m_entries[index];
    const QString sql = QStringLiteral("CREATE VIRTUAL TABLE %1 USING zort_sheet(%2)")
                                .arg(quotedName(entry.name))
                                .arg(index);
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString why = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        throw DataSourceError(
                QStringLiteral("Could not read the table \"%1\": %2").arg(entry.name, why));
    }
}

void SheetTables::add(const QString &name, xls::Table table)
{
    if (table.columns.empty())
        throw DataSourceError(QStringLiteral("The table \"%1\" has no columns").arg(name));
    QByteArray declared = declarationOf(table);
    m_entries.push_back(
            {name, std::move(declared), std::make_unique<xls::Table>(std::move(table))});
    try {
        create(m_entries.size() - 1);
    } catch (...) {
        m_entries.pop_back();
        throw;
    }
}

bool SheetTables::bind(std::size_t index, xls::Table table)
{
    Entry &entry = m_entries.at(index);
    if (table.columns.empty())
        throw DataSourceError(QStringLiteral("The table \"%1\" has no columns").arg(entry.name));
    QByteArray declared = declarationOf(table);
    entry.table = std::make_unique<xls::Table>(std::move(table));
    if (declared == entry.declaration)
        return true;
    // Other columns: the table is declared anew under its name.
    const QString drop = QStringLiteral("DROP TABLE %1").arg(quotedName(entry.name));
    char *error = nullptr;
    if (sqlite3_exec(m_db, drop.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString why = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        entry.table.reset();
        throw DataSourceError(
                QStringLiteral("Could not read the table \"%1\": %2").arg(entry.name, why));
    }
    entry.declaration = std::move(declared);
    try {
        create(index);
    } catch (...) {
        // The name is no longer declared; a later statement naming it declares it again.
        entry.table.reset();
        entry.name.clear();
        throw;
    }
    return false;
}

void SheetTables::unbindAll()
{
    for (Entry &entry : m_entries)
        entry.table.reset();
    m_planned.clear();
}

} // namespace zort
