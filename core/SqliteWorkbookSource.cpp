#include "SqliteWorkbookSource.h"

#include "ConnectionString.h"
#include "RowFilter.h"
#include "SheetTables.h"
#include "SqlDialect.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <sqlite3.h>
#include <unordered_map>
#include <vector>

namespace zort {

// A statement's whole result, read when the query opens.
struct SqliteQueryResult
{
    QStringList columns;
    std::vector<std::vector<SqlValue>> rows;
};

namespace {

struct StatementDeleter
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

SqlValue columnValue(sqlite3_stmt *statement, int index)
{
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER:
        return SqlValue::integer(static_cast<double>(sqlite3_column_int64(statement, index)));
    case SQLITE_FLOAT:
        return SqlValue::real(sqlite3_column_double(statement, index));
    case SQLITE_TEXT:
        return SqlValue::fromText(QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(statement, index)),
                sqlite3_column_bytes(statement, index)));
    default:
        return SqlValue::null();
    }
}

// Statements read the workbook's tables and nothing else: no other database may be attached,
// and no pragma may change how this one works.
int authorize(void *, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

bool onlyBlanks(const char *text)
{
    for (; *text; ++text) {
        if (!QChar::isSpace(static_cast<unsigned char>(*text)) && *text != ';')
            return false;
    }
    return true;
}

} // namespace

// --- the connection ----------------------------------------------------------------------------

class SqliteWorkbookSource::SqliteConnection : public Connection
{
public:
    SqliteConnection(WorkbookOpener opener, std::shared_ptr<const RegionalSettings> settings)
        : m_opener(std::move(opener))
        , m_settings(std::move(settings))
    { }
    ~SqliteConnection() override
    {
        unbind();
        tearDown();
    }

    void setConnectionString(const QString &connectionString) override
    {
        m_connectionString = connectionString;
    }
    QString connectionString() const override { return m_connectionString; }

    void open() override
    {
        if (Connected())
            close();
        const ConnectionString parts = ConnectionString::parse(m_connectionString);
        const QString dsn = parts.value(QStringLiteral("DSN"));
        if (dsn.compare(ConnectionString::dataSourceName(), Qt::CaseInsensitive) != 0) {
            throw DataSourceError(
                    dsn.isEmpty() ? QStringLiteral("Data source name not found and no default "
                                                   "driver specified: the connection string "
                                                   "names no data source")
                                  : QStringLiteral("Data source name \"%1\" not found and no "
                                                   "default driver specified")
                                            .arg(dsn));
        }
        QString workbook = parts.value(QStringLiteral("DBQ"));
        if (workbook.isEmpty())
            throw DataSourceError(QStringLiteral("The connection string names no workbook (DBQ)"));
        // A relative workbook path lies in the default folder, when there is one.
        const QString folder = parts.value(QStringLiteral("DefaultDir"));
        if (QDir::isRelativePath(workbook) && !folder.isEmpty())
            workbook = QDir(folder).filePath(workbook);

        std::unique_ptr<TableProvider> provider = m_opener(workbook);
        if (!provider)
            throw DataSourceError(
                    QStringLiteral("Could not open the workbook \"%1\"").arg(workbook));
        if (!m_db)
            setUp();
        m_provider = std::move(provider);
        m_workbook = workbook;
    }

    void close() override
    {
        if (m_provider && onClose)
            onClose();
        unbind();
    }

    bool Connected() const override { return m_provider != nullptr; }

    // Runs one statement of the spreadsheet driver's dialect and reads its whole result.
    SqliteQueryResult run(const QString &statement)
    {
        if (!m_provider)
            throw DataSourceError(QStringLiteral("The connection is not open"));
        const QByteArray sql = translated(statement);
        for (;;) {
            auto found = m_prepared.find(sql);
            if (found == m_prepared.end())
                found = m_prepared.emplace(sql, prepare(statement, sql)).first;
            if (bindTables(found->second.tables))
                return step(statement, found->second.statement.get());
            // A table was declared anew: every prepared statement is prepared again.
            m_prepared.clear();
        }
    }

    std::function<void()> onClose; // the query's result goes with the connection

private:
    // A prepared statement kept for the next workbook, with the tables it reads.
    struct Prepared
    {
        Statement statement;
        std::vector<std::size_t> tables;
    };

    // How many statements are kept prepared; the checking run uses three.
    static constexpr std::size_t kKeptStatements = 32;

    // The database lives as long as the connection: each workbook's tables are bound to it in
    // turn, so the engine, the dialect and the statements are set up once.
    void setUp()
    {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr)
            != SQLITE_OK) {
            const QString why =
                    db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
            sqlite3_close(db);
            throw DataSourceError(QStringLiteral("Could not set up the query engine: %1").arg(why));
        }
        m_db = db;
        sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_set_authorizer(db, authorize, nullptr);
        try {
            registerDialect(db);
            m_tables = std::make_unique<SheetTables>(db, m_settings);
        } catch (...) {
            tearDown();
            throw;
        }
    }

    void tearDown()
    {
        m_prepared.clear();
        m_tables.reset(); // before the database: the module refers to it
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
    }

    // The workbook goes; the database, its declarations and prepared statements stay.
    void unbind()
    {
        if (m_tables)
            m_tables->unbindAll();
        m_provider.reset();
        m_workbook.clear();
    }

    QByteArray translated(const QString &statement)
    {
        const auto found = m_translated.constFind(statement);
        if (found != m_translated.cend())
            return *found;
        QByteArray sql = translateStatement(statement).toUtf8();
        if (m_translated.size() >= qsizetype(kKeptStatements))
            m_translated.clear();
        m_translated.insert(statement, sql);
        return sql;
    }

    // Binds every table the statement reads to this workbook's table of that name; false when
    // one of them had to be declared anew.
    bool bindTables(const std::vector<std::size_t> &tables)
    {
        for (const std::size_t index : tables) {
            if (m_tables->table(index))
                continue;
            const QString name = m_tables->name(index);
            std::optional<xls::Table> table = m_provider->table(name.toStdString());
            if (!table)
                throw DataSourceError(QStringLiteral("The workbook \"%1\" has no table \"%2\"")
                                              .arg(m_workbook, name));
            if (!m_tables->bind(index, std::move(*table)))
                return false;
        }
        return true;
    }

    SqliteQueryResult step(const QString &statement, sqlite3_stmt *prepared)
    {
        // The statement is kept: it goes back to its start however the reading ends.
        struct Rewind
        {
            sqlite3_stmt *statement;
            ~Rewind() { sqlite3_reset(statement); }
        } rewind {prepared};

        SqliteQueryResult result;
        const int columns = sqlite3_column_count(prepared);
        for (int i = 0; i < columns; ++i)
            result.columns << QString::fromUtf8(sqlite3_column_name(prepared, i));
        for (;;) {
            const int rc = sqlite3_step(prepared);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW)
                throw statementError(statement);
            std::vector<SqlValue> row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int i = 0; i < columns; ++i)
                row.push_back(columnValue(prepared, i));
            result.rows.push_back(std::move(row));
        }
        return result;
    }

    // Prepares the statement, creating each workbook table it names on the way.
    Prepared prepare(const QString &statement, const QByteArray &sql)
    {
        if (m_prepared.size() >= kKeptStatements)
            m_prepared.clear();
        (void)m_tables->takePlanned();
        QSet<QString> created;
        for (;;) {
            sqlite3_stmt *raw = nullptr;
            const char *tail = nullptr;
            const int rc = sqlite3_prepare_v3(m_db, sql.constData(), static_cast<int>(sql.size()),
                                              SQLITE_PREPARE_PERSISTENT, &raw, &tail);
            Statement prepared(raw);
            if (rc == SQLITE_OK) {
                if (!prepared)
                    throw DataSourceError(QStringLiteral("The statement is empty"));
                if (!onlyBlanks(tail))
                    throw DataSourceError(
                            QStringLiteral("Only one statement can be run at a time: \"%1\"")
                                    .arg(statement));
                if (!sqlite3_stmt_readonly(prepared.get()))
                    throw DataSourceError(
                            QStringLiteral("Only Select statements can be run: \"%1\"")
                                    .arg(statement));
                return {std::move(prepared), m_tables->takePlanned()};
            }
            const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
            const QString noTable = QStringLiteral("no such table: ");
            if (!message.startsWith(noTable))
                throw statementError(statement);
            QString name = message.mid(noTable.size());
            if (name.startsWith(QStringLiteral("main."), Qt::CaseInsensitive))
                name = name.mid(5);
            if (created.contains(name))
                throw statementError(statement);
            created.insert(name);
            std::optional<xls::Table> table = m_provider->table(name.toStdString());
            if (!table)
                throw DataSourceError(QStringLiteral("The workbook \"%1\" has no table \"%2\"")
                                              .arg(m_workbook, name));
            m_tables->add(name, std::move(*table));
        }
    }

    DataSourceError statementError(const QString &statement) const
    {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        const QString noColumn = QStringLiteral("no such column: ");
        if (message.startsWith(noColumn))
            return DataSourceError(
                    QStringLiteral("The workbook \"%1\" has no column \"%2\" for "
                                   "the statement \"%3\"")
                            .arg(m_workbook, message.mid(noColumn.size()), statement));
        return DataSourceError(
                QStringLiteral("Could not run the statement \"%1\": %2").arg(statement, message));
    }

    WorkbookOpener m_opener;
    std::shared_ptr<const RegionalSettings> m_settings;
    QString m_connectionString;
    sqlite3 *m_db = nullptr;
    std::unique_ptr<SheetTables> m_tables;
    std::unique_ptr<TableProvider> m_provider; // the open workbook
    QString m_workbook;
    QHash<QString, QByteArray> m_translated;
    std::unordered_map<QByteArray, Prepared> m_prepared;
};

// --- the query ---------------------------------------------------------------------------------

class SqliteWorkbookSource::SqliteQuery : public Query
{
public:
    explicit SqliteQuery(SqliteConnection &connection)
        : m_connection(connection)
    { }

    void replaceStatement(const QString &statement) override
    {
        close();
        m_statement = statement;
    }
    QString statement() const override { return m_statement; }

    void open() override
    {
        close();
        if (!m_connection.Connected())
            throw DataSourceError(
                    QStringLiteral("The query cannot run: the connection is not open"));
        if (m_statement.trimmed().isEmpty())
            throw DataSourceError(QStringLiteral("The query has no statement to run"));
        SqliteQueryResult result = m_connection.run(m_statement);
        std::vector<std::size_t> visible = visibleRows(result, m_filtered);
        m_result = std::move(result);
        m_visible = std::move(visible);
        m_current = 0;
        m_active = true;
    }

    void close() override
    {
        m_active = false;
        m_result = {};
        m_visible.clear();
        m_current = 0;
    }

    bool Active() const override { return m_active; }

    bool isEmpty() const override { return !m_active || m_visible.empty(); }

    FieldValue value(const QString &column) const override
    {
        const SqlValue *field = current(columnIndex(column));
        if (!field || field->isNull())
            return {};
        return FieldValue(field->toText());
    }

    QString fieldText(int index) const override
    {
        requireActive();
        if (index < 0 || index >= m_result.columns.size())
            throw DataSourceError(QStringLiteral("The result has no field %1").arg(index));
        const SqlValue *field = current(index);
        return field ? field->toText() : QString();
    }

    QString fieldText(const QString &column) const override
    {
        const SqlValue *field = current(columnIndex(column));
        return field ? field->toText() : QString();
    }

    void setFilterText(const QString &filter) override
    {
        if (m_active && m_filtered) {
            m_visible = visibleRows(m_result, true, filter);
            m_current = 0;
        }
        m_filterText = filter;
    }
    QString filterText() const override { return m_filterText; }

    void setFiltered(bool on) override
    {
        if (m_active) {
            m_visible = visibleRows(m_result, on);
            m_current = 0;
        }
        m_filtered = on;
    }
    bool Filtered() const override { return m_filtered; }

    void next() override
    {
        requireActive();
        if (m_current < m_visible.size())
            ++m_current;
    }

    bool eof() const override { return !m_active || m_current >= m_visible.size(); }

private:
    void requireActive() const
    {
        if (!m_active)
            throw DataSourceError(QStringLiteral("The query is not open"));
    }

    int columnIndex(const QString &column) const
    {
        requireActive();
        for (int i = 0; i < m_result.columns.size(); ++i) {
            if (m_result.columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
                return i;
        }
        throw DataSourceError(QStringLiteral("The result has no field \"%1\"").arg(column));
    }

    // The current row's field; nothing past the last row.
    const SqlValue *current(int index) const
    {
        if (m_current >= m_visible.size())
            return nullptr;
        return &m_result.rows[m_visible[m_current]][static_cast<std::size_t>(index)];
    }

    std::vector<std::size_t> visibleRows(const SqliteQueryResult &result, bool filtered) const
    {
        return visibleRows(result, filtered, m_filterText);
    }

    static std::vector<std::size_t> visibleRows(const SqliteQueryResult &result, bool filtered,
                                                const QString &filter)
    {
        std::vector<std::size_t> rows;
        rows.reserve(result.rows.size());
        if (!filtered) {
            for (std::size_t i = 0; i < result.rows.size(); ++i)
                rows.push_back(i);
            return rows;
        }
        const RowFilter rowFilter(filter, result.columns);
        for (std::size_t i = 0; i < result.rows.size(); ++i) {
            if (rowFilter.matches(result.rows[i]))
                rows.push_back(i);
        }
        return rows;
    }

    SqliteConnection &m_connection;
    QString m_statement;
    bool m_active = false;
    SqliteQueryResult m_result;
    std::vector<std::size_t> m_visible; // indexes into m_result.rows, filtered or not
    std::size_t m_current = 0;
    QString m_filterText;
    bool m_filtered = false;
};

// --- the source --------------------------------------------------------------------------------

SqliteWorkbookSource::SqliteWorkbookSource(WorkbookOpener opener)
    : m_settings(std::make_shared<RegionalSettings>())
    , m_connection(std::make_unique<SqliteConnection>(std::move(opener), m_settings))
    , m_query(std::make_unique<SqliteQuery>(*m_connection))
{
    m_connection->onClose = [query = m_query.get()] { query->close(); };
}

SqliteWorkbookSource::~SqliteWorkbookSource()
{
    m_connection->onClose = nullptr;
}

Connection &SqliteWorkbookSource::FormConnection()
{
    return *m_connection;
}

Query &SqliteWorkbookSource::qwData()
{
    return *m_query;
}

void SqliteWorkbookSource::setRegionalSettings(const RegionalSettings &settings)
{
    *m_settings = settings;
}

} // namespace zort
