// Export and import of a full table (1001 tasks): the text of the .ics and the reading and planning
// of an import, without the disk but for the forms an import keeps. An export from kept forms parses each form first.
#include "ical/exchange.h"
#include "store/bench/tablemaker.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::time_t now = 1797033600;

std::unique_ptr<Module1> fullTable()
{
    auto store = benchsupport::TableMaker().make("tasks.txt");
    store->giveMissingUids();
    return store;
}

void BM_exportText(benchmark::State& state)
{
    const auto store = fullTable();
    const ical::KeptForms forms("unused");
    for (auto _ : state)
        benchmark::DoNotOptimize(ical::exportText(store->tasks(), forms, now));
}

void BM_exportTextFromKeptForms(benchmark::State& state)
{
    const auto store = fullTable();
    ical::KeptForms forms("unused");
    for (const ical::IncomingTask& incoming : ical::readCalendar(ical::exportText(store->tasks(), forms, now)).tasks)
        forms.put(incoming.task.uid, incoming.calendar);
    for (auto _ : state)
        benchmark::DoNotOptimize(ical::exportText(store->tasks(), forms, now));
}

void BM_importText(benchmark::State& state)
{
    const std::string ics = ical::exportText(fullTable()->tasks(), ical::KeptForms("unused"), now);
    const auto empty = std::make_unique<Module1>();
    for (auto _ : state) {
        const ical::ImportPlan plan = ical::planImport(*empty, ical::readCalendar(ics));
        if (plan.summary.imported != Module1::taskSlots)
            state.SkipWithError("not every task was imported");
        benchmark::DoNotOptimize(plan);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ics.size()));
}

// What an import does once the file is read: plan (on the window's thread), then keep the forms, read
// and written on disk (on a worker, as this takes longer than a frame).
void BM_planAndKeepForms(benchmark::State& state)
{
    const ical::CalendarContent content =
        ical::readCalendar(ical::exportText(fullTable()->tasks(), ical::KeptForms("unused"), now));
    const auto empty = std::make_unique<Module1>();
    ical::KeptForms forms(std::filesystem::current_path() / "bench-kept-forms.ics");
    for (auto _ : state) {
        const ical::ImportPlan plan = ical::planImport(*empty, content);
        if (ical::keepForms(plan, forms))
            state.SkipWithError("the forms were not kept");
    }
}

constexpr int repetitions = 9;

} // namespace

BENCHMARK(BM_exportText)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_exportTextFromKeptForms)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_importText)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_planAndKeepForms)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
