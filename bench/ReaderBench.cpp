// Opening a form workbook and reading its two tables, "Data_Adr" and "T_Check": the reader's
// share of checking one form. Forms are generated in memory and written to a temporary file,
// so the file-backed runs include reading the file (from the page cache).
#include "FormContent.h"
#include "FormFiles.h"
#include "HeapCounter.h"
#include "xls/Workbook.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using zort::bench::FormShape;
using Sample = zort::bench::FormFile;
using zort::bench::HeapCounter;
using zort::xls::CellType;
using zort::xls::Table;
using zort::xls::TextReading;
using zort::xls::Workbook;

struct Tables
{
    Table data;
    Table checks;
};

// Decode gives every text of the two tables at once; OnDemand leaves shared-string texts in the
// workbook until asked for, as the checker's data source reads them.
Tables readTables(const Workbook &workbook, TextReading reading = TextReading::Decode)
{
    return {workbook.readTable("Data_Adr", reading), workbook.readTable("T_Check", reading)};
}

// The tables must hold what was generated, or the timing means nothing.
bool agrees(const Tables &tables, const Sample &sample)
{
    if (tables.checks.rows.size() != sample.checks || tables.checks.columns.size() != 6)
        return false;
    std::size_t failing = 0;
    for (const auto &row : tables.checks.rows)
        failing += row[5].type == CellType::Number && row[5].number > 0;
    return failing == sample.failing && !tables.data.rows.empty();
}

// Peak heap of one open and read, per byte of the file: the reader should stay within a small
// multiple of the file's size.
double heapPerFileByte(const Sample &sample, TextReading reading)
{
    const std::size_t before = HeapCounter::current();
    HeapCounter::resetPeak();
    {
        const auto workbook = Workbook::open(sample.path.string());
        const auto tables = readTables(workbook, reading);
        benchmark::DoNotOptimize(tables.checks.rows.data());
    }
    return static_cast<double>(HeapCounter::peak() - before)
           / static_cast<double>(sample.bytes.size());
}

void finish(benchmark::State &state, const Sample &sample,
            TextReading reading = TextReading::Decode)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.bytes.size()));
    state.counters["file_MB"] = static_cast<double>(sample.bytes.size()) / 1e6;
    state.counters["checks"] = static_cast<double>(sample.checks);
    state.counters["heap_per_byte"] = heapPerFileByte(sample, reading);
}

// Workbook::open on a file, as the checker does it.
void openAndRead(benchmark::State &state, const std::string &label, FormShape shape,
                 TextReading reading)
{
    const Sample &sample = zort::bench::formFile(label, shape);
    if (!agrees(readTables(Workbook::open(sample.path.string()), reading), sample)) {
        state.SkipWithError("the tables read differ from the generated form");
        return;
    }
    for (auto _ : state) {
        const auto workbook = Workbook::open(sample.path.string());
        const auto tables = readTables(workbook, reading);
        benchmark::DoNotOptimize(tables.checks.rows.data());
    }
    finish(state, sample, reading);
}

// Workbook::fromBytes on bytes already in memory; the copy handed over is timed too.
void readInMemory(benchmark::State &state, const std::string &label, FormShape shape)
{
    const Sample &sample = zort::bench::formFile(label, shape);
    if (!agrees(readTables(Workbook::fromBytes(sample.bytes)), sample)) {
        state.SkipWithError("the tables read differ from the generated form");
        return;
    }
    for (auto _ : state) {
        const auto workbook = Workbook::fromBytes(sample.bytes);
        const auto tables = readTables(workbook);
        benchmark::DoNotOptimize(tables.checks.rows.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.bytes.size()));
    state.counters["file_MB"] = static_cast<double>(sample.bytes.size()) / 1e6;
}

// The batch of the whole-job comparison, form after form: the reader's share of that job.
void openAndReadBatch(benchmark::State &state)
{
    std::size_t bytes = 0;
    for (const Sample &sample : zort::bench::batchFiles()) {
        bytes += sample.bytes.size();
        if (!agrees(readTables(Workbook::open(sample.path.string())), sample)) {
            state.SkipWithError("the tables read differ from the generated form");
            return;
        }
    }
    for (auto _ : state) {
        for (const Sample &sample : zort::bench::batchFiles()) {
            const auto workbook = Workbook::open(sample.path.string());
            const auto tables = readTables(workbook);
            benchmark::DoNotOptimize(tables.checks.rows.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["forms"] = static_cast<double>(zort::bench::batchFiles().size());
}

} // namespace

BENCHMARK(openAndReadBatch)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndRead, small, std::string("small"), zort::bench::smallForm(),
                  TextReading::Decode)
        ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openAndRead, medium, std::string("medium"), zort::bench::mediumForm(),
                  TextReading::Decode)
        ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndRead, large, std::string("large"), zort::bench::largeForm(),
                  TextReading::Decode)
        ->Unit(benchmark::kMillisecond);
// The same as the checker reads them: texts decoded only when a statement asks for them.
BENCHMARK_CAPTURE(openAndRead, smallOnDemand, std::string("small"), zort::bench::smallForm(),
                  TextReading::OnDemand)
        ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openAndRead, largeOnDemand, std::string("large"), zort::bench::largeForm(),
                  TextReading::OnDemand)
        ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readInMemory, small, std::string("small"), zort::bench::smallForm())
        ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(readInMemory, large, std::string("large"), zort::bench::largeForm())
        ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
