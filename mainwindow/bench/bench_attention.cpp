// The attention page from the click on its button to the view laid out: with both tables full and
// every task due today, and with one task whose title is one long word. Two moments count: the first
// screenful painted (what the user waits for) and the whole page in the view.
#include "mainwindow/frmmain.h"
#include "os/tests/filetesting.h"
#include "store/calendar.h"
#include "store/tests/filledstore.h"
#include "widgets/safehtmlview.h"

#include <QApplication>
#include <QFrame>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const DayNumber day = civilDay(2024, 6, 15);

TaskRecord dueToday(std::string title, int number)
{
    TaskRecord task;
    task.title = std::move(title);
    task.forWhom = "Person " + std::to_string(number % 37);
    task.year = 2024;
    task.month = 6;
    task.day = 15;
    task.hour = static_cast<std::int16_t>(number % 24);
    task.minute = static_cast<std::int16_t>(number % 60);
    task.description = "Notes for task " + std::to_string(number) + "\r\nand a second line";
    return task;
}

std::vector<TaskRecord> fullTable()
{
    std::vector<TaskRecord> tasks;
    for (int i = 0; i < Module1::taskSlots; ++i)
        tasks.push_back(dueToday("Task number " + std::to_string(i), i));
    return tasks;
}

std::vector<AlertRule> popupRules(int count)
{
    std::vector<AlertRule> rules;
    for (int i = 0; i < count; ++i)
        rules.push_back({static_cast<std::int16_t>(i % 40), "d", 0x1000 * i, popupOn});
    return rules;
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// A window over its own task file and cache folder, showing the list.
struct Scene
{
    Scene(const std::vector<TaskRecord>& tasks, int rules)
        : cache("XDG_CACHE_HOME", folder.filePath(QStringLiteral("cache")).toStdString()),
          store(testsupport::storeWith(tasks, popupRules(rules),
                                       folder.filePath(QStringLiteral("tasks.txt")).toStdString()))
    {
        if (!store->saveTasks().ok)
            std::abort();
        pinToday(day);
        window = std::make_unique<frmMain>(*store);
        window->resize(800, 600);
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        view = window->findChild<SafeHtmlView*>(QStringLiteral("WebBrowser1"));
    }

    void click(int button)
    {
        auto* hot = window->findChild<QFrame*>(QStringLiteral("Image1_%1").arg(button));
        QTest::mouseClick(hot, Qt::LeftButton, {}, hot->rect().center());
    }

    QTemporaryDir folder;
    testsupport::EnvironmentOverride cache;
    std::unique_ptr<Module1> store;
    std::unique_ptr<frmMain> window;
    SafeHtmlView* view = nullptr;
};

void runAttention(benchmark::State& state, const std::vector<TaskRecord>& tasks, int rules, bool wholePage)
{
    Scene scene(tasks, rules);
    // What the first page on a fresh window adds to the memory in use.
    const long before = residentKiB();
    long firstGrowth = -1;
    for (auto _ : state) {
        state.PauseTiming();
        scene.click(NavigationPane::AllItems);
        QApplication::processEvents();
        state.ResumeTiming();
        scene.click(NavigationPane::Attention);
        benchmark::DoNotOptimize(scene.view->viewport()->grab());
        if (wholePage) {
            while (scene.view->isFeeding())
                QApplication::processEvents();
            benchmark::DoNotOptimize(scene.view->document()->size());
            benchmark::DoNotOptimize(scene.view->viewport()->grab());
        }
        if (firstGrowth < 0)
            firstGrowth = residentKiB() - before;
    }
    state.counters["rssGrowthMiB"] = static_cast<double>(firstGrowth) / 1024.0;
}

void fullTableFirstScreen(benchmark::State& state)
{
    runAttention(state, fullTable(), Module1::ruleSlots, false);
}

void fullTableWholePage(benchmark::State& state)
{
    runAttention(state, fullTable(), Module1::ruleSlots, true);
}

void longTitle(benchmark::State& state)
{
    const std::string title(static_cast<std::size_t>(state.range(0)), 'x');
    runAttention(state, {dueToday(title, 1)}, 1, true);
}

// The list with the same task: a redraw and a paint of the window.
void longTitleInList(benchmark::State& state)
{
    Scene scene({dueToday(std::string(static_cast<std::size_t>(state.range(0)), 'x'), 1)}, 1);
    for (auto _ : state) {
        scene.click(NavigationPane::AllItems);
        benchmark::DoNotOptimize(scene.window->grab());
    }
}

} // namespace

BENCHMARK(fullTableFirstScreen)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(fullTableWholePage)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(longTitle)
    ->ArgName("characters")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(longTitleInList)
    ->ArgName("characters")
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
