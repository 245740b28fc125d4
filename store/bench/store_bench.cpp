// Load, save, sort and the reminders' walk with both tables full (1001 tasks, 101 rules): the cost
// every change pays, since each change rewrites and rereads the whole file and each redraw sorts
// the whole table.
#include "os/tests/filetesting.h"
#include "store/bench/tablemaker.h"
#include "store/module1.h"
#include "store/popups.h"
#include "store/taskfile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A folder of its own for the task file, removed when the benchmark ends.
struct TempFolder : testsupport::ScratchFolder
{
    TempFolder() : ScratchFolder(std::filesystem::temp_directory_path()) {}
    std::filesystem::path file() const { return *this / "tasks.txt"; }
};

bool saved(benchmark::State& state, Module1& store)
{
    const SaveReport report = store.saveTasks();
    if (!report.ok)
        state.SkipWithError("the task file could not be saved");
    return report.ok;
}

void BM_loadTasks(benchmark::State& state)
{
    const TempFolder folder;
    const auto store = benchsupport::TableMaker().make(folder.file());
    if (!saved(state, *store))
        return;
    for (auto _ : state) {
        const LoadReport report = store->loadTasks();
        benchmark::DoNotOptimize(report);
    }
}

void BM_saveTasks(benchmark::State& state)
{
    const TempFolder folder;
    const auto store = benchsupport::TableMaker().make(folder.file());
    for (auto _ : state) {
        if (!saved(state, *store))
            break;
    }
}

// The check every save makes first: has the file on disk changed since it was read here?
void BM_changedOnDisk(benchmark::State& state)
{
    const TempFolder folder;
    const auto store = benchsupport::TableMaker().make(folder.file());
    if (!saved(state, *store))
        return;
    for (auto _ : state) {
        const bool changed = store->changedOnDisk();
        benchmark::DoNotOptimize(changed);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(folder.file())));
}

void BM_taskFileText(benchmark::State& state)
{
    const auto store = benchsupport::TableMaker().make("tasks.txt");
    for (auto _ : state) {
        std::string text = taskFileText(*store);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(taskFileText(*store).size()));
}

void BM_readTaskFileText(benchmark::State& state)
{
    const auto store = benchsupport::TableMaker().make("tasks.txt");
    const std::string text = taskFileText(*store);
    for (auto _ : state) {
        const LoadReport report = readTaskFileText(text, *store);
        benchmark::DoNotOptimize(report);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// The sort under test; every iteration starts from the same shuffled table, restored untimed.
void BM_sortTasks(benchmark::State& state)
{
    const auto store = benchsupport::TableMaker().make("tasks.txt");
    std::shuffle(store->taskList.begin(), store->taskList.begin() + store->taskCount, std::mt19937(1999));
    const auto shuffled = std::make_unique<std::array<TaskRecord, Module1::taskSlots>>(store->taskList);
    store->sortKey = static_cast<std::int16_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        store->taskList = *shuffled;
        state.ResumeTiming();
        store->sortTasks();
    }
}

// The walk over every task and rule that the reminders repeat after each redraw of the list.
void BM_popupMatches(benchmark::State& state)
{
    const auto store = benchsupport::TableMaker().make("tasks.txt");
    const DayNumber day = civilDay(2014, 6, 15);
    for (auto _ : state)
        benchmark::DoNotOptimize(popupMatches(store->tasks(), store->rules(), day));
}

constexpr int repetitions = 9;

} // namespace

BENCHMARK(BM_loadTasks)->Unit(benchmark::kMicrosecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_saveTasks)->Unit(benchmark::kMicrosecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_changedOnDisk)->Unit(benchmark::kMicrosecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_taskFileText)->Unit(benchmark::kMicrosecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_readTaskFileText)->Unit(benchmark::kMicrosecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_sortTasks)
    ->ArgName("sortKey")
    ->Arg(0)
    ->Arg(2)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_popupMatches)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
