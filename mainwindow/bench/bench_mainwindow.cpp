// The main window with full tables: a redraw of the list, one layout pass, one paint of the
// visible rows, one keystroke in the find bar, the undo of a delete, and for comparison the same
// cells built as one QLabel each.
#include "mainwindow/frmmain.h"
#include "store/calendar.h"
#include "widgets/labelcontainer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// A few hundred characters, with accents and line breaks as users write them; every third task
// holds the word "notes".
std::string descriptionText(int i)
{
    std::string text = ": call J\u00FCrgen about the caf\u00E9 order before the meeting in M\u00FCnchen.\r\n"
                       "Bring the signed contract, the invoice and the delivery dates; ask whether the second "
                       "shipment can leave on Friday.\r\nCheck the figures for the quarter with Anna first, "
                       "then send the summary to the whole team and book the room.";
    if (i % 3 == 0)
        text += " See the notes.";
    return text;
}

void fillTables(Module1& store)
{
    for (int i = 0; i < Module1::taskSlots; ++i) {
        TaskRecord& task = store.taskList[static_cast<std::size_t>(i)];
        task.title = "Task number " + std::to_string((i * 7919) % 1001);
        task.forWhom = "Person " + std::to_string(i % 37);
        task.year = 2024;
        task.month = static_cast<std::int16_t>(1 + i % 12);
        task.day = static_cast<std::int16_t>(1 + (i * 13) % 28);
        task.hour = static_cast<std::int16_t>(i % 24);
        task.minute = static_cast<std::int16_t>(i % 60);
        task.deleted = i % 10 == 0 ? "Y" : "N";
        task.description = "Notes for task " + std::to_string(i) + descriptionText(i);
    }
    store.taskCount = Module1::taskSlots;
    for (int i = 0; i < Module1::ruleSlots; ++i)
        store.ruleList[static_cast<std::size_t>(i)] = {static_cast<std::int16_t>(i % 40 - 5), "d", 0x1000 * i, 0};
    store.ruleCount = Module1::ruleSlots;
}

template <typename Control> Control& control(const frmMain& w, const char* name)
{
    return *w.findChild<Control*>(QString::fromLatin1(name));
}

const LabelArray& cells(const frmMain& w, const char* name)
{
    return *control<LabelContainer>(w, "lstContainer").array(QString::fromLatin1(name));
}

// Selects the row that shows slot `selectedIndex - 1`; 0 selects none.
void selectSlot(frmMain& w, int selectedIndex)
{
    w.cleanList();
    w.drawList();
    const LabelArray& ids = cells(w, "lblID2");
    for (int row = 1; row < ids.count(); ++row) {
        if (ids[row].caption.toInt() == selectedIndex - 1)
            w.highlight(static_cast<std::int16_t>(row));
    }
}

// A full task file in a folder of its own, and the window that read it.
struct Scene
{
    Scene()
    {
        fillTables(store);
        if (!store.saveTasks().ok)
            std::abort();
        pinToday(civilDay(2024, 6, 15));
        window = std::make_unique<frmMain>(store);
        window->show();
        QApplication::processEvents();
    }

    QTemporaryDir folder;
    Module1 store{folder.filePath(QStringLiteral("tasks.txt")).toStdString()};
    std::unique_ptr<frmMain> window;
};

Scene& scene()
{
    static Scene s;
    return s;
}

void drawList(benchmark::State& state)
{
    frmMain& w = *scene().window;
    selectSlot(w, static_cast<int>(state.range(0)));
    if (w.selectedIndex() != state.range(0))
        std::abort();
    for (auto _ : state)
        w.drawList();
}
BENCHMARK(drawList)
    ->ArgName("selectedIndex")
    ->Arg(0)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

void layoutPass(benchmark::State& state)
{
    frmMain& w = *scene().window;
    for (auto _ : state)
        w.layoutPass();
}
BENCHMARK(layoutPass)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// What the screen gets: the part of the list container inside the viewport.
void paintVisible(const frmMain& w, QImage& image)
{
    auto& list = control<LabelContainer>(w, "lstContainer");
    const QRect visible(0, -list.y(), list.width(), control<QWidget>(w, "pctContainer").height());
    if (image.size() != visible.size())
        image = QImage(visible.size(), QImage::Format_ARGB32_Premultiplied);
    list.render(&image, QPoint(), QRegion(visible));
    benchmark::DoNotOptimize(image.constBits());
}

void paintVisibleList(benchmark::State& state)
{
    frmMain& w = *scene().window;
    auto& vscroll = control<QScrollBar>(w, "vscroll");
    vscroll.setValue(vscroll.maximum() / 2);
    QImage image;
    for (auto _ : state)
        paintVisible(w, image);
}
BENCHMARK(paintVisibleList)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void pressKey(QWidget& widget, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

// From a key pressed in the find bar until the list it leaves is painted. "note" lists every task
// of the view; an "s" narrows it to a third, Backspace widens it again, in turns.
void findKeystroke(benchmark::State& state)
{
    frmMain& w = *scene().window;
    control<QAction>(w, "menu_find").trigger();
    auto& field = control<QLineEdit>(w, "findField");
    field.setText(QStringLiteral("note"));
    QImage image;
    bool narrow = true;
    for (auto _ : state) {
        if (narrow)
            pressKey(field, Qt::Key_S, QStringLiteral("s"));
        else
            pressKey(field, Qt::Key_Backspace, {});
        paintVisible(w, image);
        narrow = !narrow;
    }
    pressKey(field, Qt::Key_Escape, {});
}
BENCHMARK(findKeystroke)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// The same cells, one widget each, rebuilt as a redraw rebuilds them.
void qlabelCells(benchmark::State& state)
{
    frmMain& w = *scene().window;
    auto* host = new QWidget(&control<QWidget>(w, "pctContainer"));
    host->setGeometry(control<LabelContainer>(w, "lstContainer").geometry());
    host->show();
    const LabelArray* columns[] = {&cells(w, "lblTitle"), &cells(w, "lblFor"), &cells(w, "lblDue"),
                                   &cells(w, "lblID2")};
    for (auto _ : state) {
        qDeleteAll(host->findChildren<QLabel*>(Qt::FindDirectChildrenOnly));
        for (int row = 1; row < columns[1]->count(); ++row) {
            for (const LabelArray* column : columns) {
                const LabelElement& cell = (*column)[row];
                auto* label = new QLabel(cell.caption, host);
                QFont font = cell.font;
                font.setBold(cell.bold);
                label->setFont(font);
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, cell.foreColor);
                label->setPalette(palette);
                label->setGeometry(cell.pixelRect());
                label->setVisible(cell.visible);
            }
        }
    }
    delete host;
}
BENCHMARK(qlabelCells)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// Ctrl+Z after a task was deleted for good from the bin, until the list is drawn again: the undo
// puts the task back, saves the whole file, reads it back and redraws.
void undoDelete(benchmark::State& state)
{
    frmMain& w = *scene().window;
    w.Image1_Click(NavigationPane::Recycled);
    QAction& remove = control<QAction>(w, "menu_delete");
    QAction& undo = control<QAction>(w, "menu_undo");
    for (auto _ : state) {
        state.PauseTiming();
        w.highlight(1);
        QTimer::singleShot(0, &w, [] {
            if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                question->button(QMessageBox::Yes)->click();
        });
        remove.trigger();
        if (w.findChild<QUndoStack*>()->count() == 0 || !undo.isEnabled())
            std::abort();
        state.ResumeTiming();
        undo.trigger();
    }
    w.Image1_Click(NavigationPane::AllItems);
}
BENCHMARK(undoDelete)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// Keeps the medians so that the ratio of the two ways to build the cells can be printed.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    // Colours only on a terminal, so that logs stay plain text.
    MedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_None) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
                    run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& medians = reporter.medians;
    const auto cells = medians.find("qlabelCells");
    const auto draw = medians.find("drawList/selectedIndex:0");
    if (cells != medians.end() && draw != medians.end() && draw->second > 0)
        std::printf("one QLabel per cell / drawList (medians): %.1f\n", cells->second / draw->second);
    scene().window.reset();
    benchmark::Shutdown();
    return 0;
}
