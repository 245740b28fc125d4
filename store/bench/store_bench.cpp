// Load, save, sort and the reminders' walk with both tables full (1001 tasks, 101 rules): the cost
// every change pays, since each change rewrites and rereads the whole file and each redraw sorts
// the whole table.
#include "os/tests/filetesting.h"
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

// Realistic, varied content: mixed case, accents, dates across decades, multi-line descriptions.
class TableMaker
{
public:
    std::unique_ptr<Module1> make(const std::filesystem::path& file)
    {
        auto store = std::make_unique<Module1>(file);
        for (int i = 0; i < Module1::taskSlots; ++i)
            store->taskList[static_cast<std::size_t>(i)] = task(i);
        for (int i = 0; i < Module1::ruleSlots; ++i)
            store->ruleList[static_cast<std::size_t>(i)] = rule();
        store->taskCount = Module1::taskSlots;
        store->ruleCount = Module1::ruleSlots;
        // Reading the text back gives every record the dueKey that only the reader builds.
        readTaskFileText(taskFileText(*store), *store);
        return store;
    }

private:
    template <std::size_t N> const char* pick(const std::array<const char*, N>& words)
    {
        return words[std::uniform_int_distribution<std::size_t>(0, N - 1)(random_)];
    }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    TaskRecord task(int number)
    {
        static constexpr std::array verbs = {"Call",   "review", "Prepare", "send",  "Fix",   "book",
                                             "Écrire", "order",  "Plan",    "check", "Renew", "pay"};
        static constexpr std::array things = {"the quarterly report",
                                              "invoice",
                                              "dentist appointment",
                                              "flight to Zürich",
                                              "Café order",
                                              "car insurance",
                                              "budget draft",
                                              "birthday present",
                                              "server backup",
                                              "Tax return",
                                              "slides"};
        static constexpr std::array names = {"Anna",  "bob",          "José Müller", "Zoë",    "Team", "me",
                                             "Ørjan", "Mrs. O'Neill", "accounts",    "Émilie", ""};
        TaskRecord t;
        t.title = std::string(pick(verbs)) + " " + pick(things) + " #" + std::to_string(number);
        t.forWhom = pick(names);
        t.year = static_cast<std::int16_t>(between(1998, 2030));
        t.month = static_cast<std::int16_t>(between(0, 12));
        t.day = static_cast<std::int16_t>(between(1, 31));
        t.hour = static_cast<std::int16_t>(between(0, 23));
        t.minute = static_cast<std::int16_t>(between(0, 59));
        t.second = static_cast<std::int16_t>(between(0, 59) / 30 * 30);
        t.description = description();
        t.deleted = between(0, 9) == 0 ? "Y" : between(0, 1) == 0 ? "N" : "";
        return t;
    }

    std::string description()
    {
        static constexpr std::array sentences = {"Ask about the new figures before Friday.",
                                                 "Bring the signed copy.",
                                                 "Price went up to 120 €.",
                                                 "See the mail from last week | notes ~ attached.",
                                                 "Call back if nobody answers.",
                                                 "Remember the café on the corner.",
                                                 "Two copies, one for accounts."};
        std::string text;
        for (int line = between(0, 5); line > 0; --line) {
            text += pick(sentences);
            if (line > 1)
                text += "\r\n";
        }
        return text;
    }

    AlertRule rule()
    {
        return {static_cast<std::int16_t>(between(-5, 60)), "d", between(0, 0xFFFFFF),
                static_cast<std::int16_t>(between(0, 1) == 0 ? popupOn : 0)};
    }

    std::mt19937 random_{20030905};
};

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
    const auto store = TableMaker().make(folder.file());
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
    const auto store = TableMaker().make(folder.file());
    for (auto _ : state) {
        if (!saved(state, *store))
            break;
    }
}

// The check every save makes first: has the file on disk changed since it was read here?
void BM_changedOnDisk(benchmark::State& state)
{
    const TempFolder folder;
    const auto store = TableMaker().make(folder.file());
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
    const auto store = TableMaker().make("tasks.txt");
    for (auto _ : state) {
        std::string text = taskFileText(*store);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(taskFileText(*store).size()));
}

void BM_readTaskFileText(benchmark::State& state)
{
    const auto store = TableMaker().make("tasks.txt");
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
    const auto store = TableMaker().make("tasks.txt");
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
    const auto store = TableMaker().make("tasks.txt");
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
