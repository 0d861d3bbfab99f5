// The checking run in one process, without the program's start: the core's share of the
// whole-job comparison. checkRun reads the forms from files as zort-check does;
// checkRunOverTables hands the data source tables read beforehand, so that what remains is the
// data source, the identification and the report writer (copying the tables included).
#include "CheckRun.h"
#include "FormChecker.h"
#include "FormFiles.h"
#include "SqliteWorkbookSource.h"
#include "xls/Workbook.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <benchmark/benchmark.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using zort::bench::FormFile;

class QuietHost : public zort::CheckRunHost
{
public:
    void showMessage(const QString &) override { }
    void openReport(const QString &) override { }
};

// The tables of one workbook, read once and copied out for every connection.
class TablesInMemory : public zort::TableProvider
{
public:
    explicit TablesInMemory(const std::map<std::string, zort::xls::Table> &tables)
        : m_tables(tables)
    { }

    std::optional<zort::xls::Table> table(std::string_view name) override
    {
        for (const auto &[key, table] : m_tables) {
            if (QString::fromStdString(key).compare(QString::fromUtf8(name.data(), name.size()),
                                                    Qt::CaseInsensitive)
                == 0)
                return table;
        }
        return std::nullopt;
    }

private:
    const std::map<std::string, zort::xls::Table> &m_tables;
};

using Workbooks = std::map<QString, std::map<std::string, zort::xls::Table>>;

Workbooks readAll(const std::vector<const FormFile *> &files)
{
    Workbooks all;
    for (const FormFile *file : files) {
        const auto workbook = zort::xls::Workbook::open(file->path.string());
        auto &tables = all[QString::fromStdString(file->path.string())];
        for (const char *name : {"Data_Adr", "T_Check"})
            tables[name] = workbook.readTable(name);
    }
    return all;
}

QString reportPath()
{
    return QString::fromStdString((std::filesystem::temp_directory_path()
                                   / ("zort_check_bench_" + std::to_string(getpid()) + ".txt"))
                                          .string());
}

std::vector<zort::DocumentEntry> entriesOf(const std::vector<const FormFile *> &files)
{
    std::vector<zort::DocumentEntry> entries;
    for (const FormFile *file : files)
        entries.push_back({QString::fromStdString(file->path.string()), true});
    return entries;
}

void finish(benchmark::State &state, const std::vector<const FormFile *> &files)
{
    std::size_t bytes = 0;
    for (const FormFile *file : files)
        bytes += file->bytes.size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["forms"] = static_cast<double>(files.size());
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    QFile::remove(reportPath());
}

// One run over the files, as zort-check --report does it after its start.
void run(benchmark::State &state, const std::vector<const FormFile *> &files,
         const zort::WorkbookOpener &opener)
{
    const auto entries = entriesOf(files);
    QuietHost host;
    for (auto _ : state) {
        auto source = opener ? std::make_unique<zort::SqliteWorkbookSource>(opener)
                             : std::make_unique<zort::SqliteWorkbookSource>();
        zort::FormChecker checker(std::move(source), reportPath());
        if (zort::runChecks(checker, entries, host) != zort::RunOutcome::ReportWritten) {
            state.SkipWithError("the run wrote no report");
            return;
        }
    }
    finish(state, files);
}

std::vector<const FormFile *> batch()
{
    std::vector<const FormFile *> files;
    for (const FormFile &file : zort::bench::batchFiles())
        files.push_back(&file);
    return files;
}

std::vector<const FormFile *> large()
{
    return {&zort::bench::formFile("large", zort::bench::largeForm())};
}

void checkRun(benchmark::State &state, std::vector<const FormFile *> (*files)())
{
    run(state, files(), {});
}

void checkRunOverTables(benchmark::State &state, std::vector<const FormFile *> (*files)())
{
    static std::map<std::vector<const FormFile *> (*)(), Workbooks> read;
    auto it = read.find(files);
    if (it == read.end())
        it = read.emplace(files, readAll(files())).first;
    const Workbooks &workbooks = it->second;
    run(state, files(), [&workbooks](const QString &path) {
        return std::make_unique<TablesInMemory>(workbooks.at(QFileInfo(path).absoluteFilePath()));
    });
}

} // namespace

BENCHMARK_CAPTURE(checkRun, batch, batch)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(checkRun, large, large)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(checkRunOverTables, batch, batch)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(checkRunOverTables, large, large)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
