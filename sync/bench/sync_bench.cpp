// What the CalDAV transport costs for 1001 tasks: parsing a whole list's answer, and the requests
// to a real local server, with the longest time the event loop went without turning.

#include "ical/vtodo.h"
#include "store/tests/filledstore.h"
#include "sync/davjobs.h"
#include "sync/davxml.h"
#include "sync/syncengine.h"
#include "sync/tests/radicaleserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <ctime>
#include <fstream>

namespace {

using namespace Qt::StringLiterals;
constexpr int taskCount = 1001;

QByteArray vtodo(int index)
{
    return u"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VTODO\r\nUID:task-%1\r\n"
           "DTSTAMP:20260101T000000Z\r\nSUMMARY:Task number %1 with a title of usual length\r\n"
           "DESCRIPTION:A description\\nover two lines\r\nDUE:20261231T120000\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"_s
               .arg(index)
               .toUtf8();
}

QByteArray multigetAnswer()
{
    QByteArray body = R"(<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)";
    for (int i = 0; i < taskCount; ++i)
        body += "<d:response><d:href>/ada/tasks/task-" + QByteArray::number(i) +
                ".ics</d:href><d:propstat><d:prop><d:getetag>\"" + QByteArray::number(i * 7919) +
                "\"</d:getetag><c:calendar-data>" + vtodo(i) +
                "</c:calendar-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    return body + "</d:multistatus>";
}

void BM_ParseMultigetOf1001(benchmark::State& state)
{
    const QByteArray body = multigetAnswer();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseMultistatus(body));
}
BENCHMARK(BM_ParseMultigetOf1001)->Unit(benchmark::kMillisecond);

// The process's resident memory and its high-water mark since the last reset, in MiB (Linux).
double residentMiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field))
            return std::stod(line.substr(std::strlen(field))) / 1024;
    }
    return 0;
}

// A listing of a million items, as a broken or hostile server might send: what reading it costs
// beyond the answer itself, which must stay below that answer's own size.
void BM_PeakMemoryOfAHugeListing(benchmark::State& state)
{
    QByteArray body = R"(<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">)";
    for (int i = 0; i < 1000000; ++i)
        body += "<d:response><d:href>/ada/tasks/task-" + QByteArray::number(i) +
                ".ics</d:href><d:propstat><d:prop><d:getetag>\"" + QByteArray::number(i) +
                "\"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    body += "</d:multistatus>";
    double peak = 0;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the high-water mark
        const double before = residentMiB("VmRSS:");
        benchmark::DoNotOptimize(parseMultistatus(body));
        peak = std::max(peak, residentMiB("VmHWM:") - before);
    }
    const double answer = static_cast<double>(body.size()) / (1 << 20);
    state.counters["answer_MiB"] = answer;
    state.counters["peak_MiB"] = peak;
    if (peak > answer)
        state.SkipWithError("reading the listing took more memory than the listing itself");
}
BENCHMARK(BM_PeakMemoryOfAHugeListing)->Unit(benchmark::kMillisecond)->Iterations(1);

double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs jobs on the event loop and measures the longest gap between turns of a 1 ms timer. On a
// machine shared with other work a gap is also time the thread waited for a processor; the event
// thread's own processor time within the gap is what the program spent without turning the loop.
struct LoopWatch
{
    QTimer ticker;
    QElapsedTimer sinceTick;
    double cpuAtTick = threadCpuMs();
    qint64 longestStallMs = 0;
    double longestBusyMs = 0;
    LoopWatch()
    {
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            longestStallMs = std::max(longestStallMs, sinceTick.restart());
            const double cpu = threadCpuMs();
            longestBusyMs = std::max(longestBusyMs, cpu - std::exchange(cpuAtTick, cpu));
        });
        sinceTick.start();
        ticker.start();
    }
};

bool run(DavJob& job)
{
    QSignalSpy finished(&job, &DavJob::finished);
    job.start();
    return finished.wait(120000) && job.outcome() == DavJob::Outcome::Succeeded;
}

struct Server
{
    RadicaleServer radicale;
    DavSession session{DavAccount{radicale.root(), RadicaleServer::user, RadicaleServer::password}};
    TaskList list;
    Server()
    {
        MakeTaskListJob make(&session, radicale.home(), u"Bench"_s);
        run(make);
        list = make.created();
    }
};

void upload(Server& server)
{
    for (int i = 0; i < taskCount; ++i) {
        PutJob put(&server.session, newItemUrl(server.list.url, u"task-%1"_s.arg(i)), vtodo(i), {});
        run(put);
    }
}

// One server for the reading benchmarks, filled once: Google Benchmark calls each function more than once.
std::unique_ptr<Server> filled;

Server& filledServer()
{
    if (!filled) {
        filled = std::make_unique<Server>();
        upload(*filled);
    }
    return *filled;
}

void countRequests(benchmark::State& state, const Server& server, int before, const LoopWatch& watch)
{
    state.counters["requests"] = server.session.requestsSent() - before;
    state.counters["longest_stall_ms"] = static_cast<double>(watch.longestStallMs);
}

void BM_Upload1001(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Server server;
        const int before = server.session.requestsSent();
        LoopWatch watch;
        state.ResumeTiming();
        upload(server);
        countRequests(state, server, before, watch);
    }
}
BENCHMARK(BM_Upload1001)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ListAndFetchAll1001(benchmark::State& state)
{
    Server& server = filledServer();
    const int before = server.session.requestsSent();
    LoopWatch watch;
    for (auto _ : state) {
        ChangesJob changes(&server.session, server.list, {});
        run(changes);
        QList<QUrl> hrefs;
        for (const ItemVersion& item : changes.changes().changed)
            hrefs.append(item.href);
        MultigetJob fetch(&server.session, server.list.url, hrefs);
        run(fetch);
        state.counters["fetched"] = static_cast<double>(fetch.items().size());
    }
    countRequests(state, server, before, watch);
    state.counters["requests"] = state.counters["requests"] / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ListAndFetchAll1001)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

void BM_NothingChangedOf1001(benchmark::State& state)
{
    Server& server = filledServer();
    ChangesJob initial(&server.session, server.list, {});
    run(initial);
    int requests = 0;
    for (auto _ : state) {
        const int before = server.session.requestsSent();
        ChangesJob changes(&server.session, server.list, initial.changes().syncToken);
        run(changes);
        requests = server.session.requestsSent() - before;
    }
    state.counters["requests"] = requests;
}
BENCHMARK(BM_NothingChangedOf1001)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);

std::unique_ptr<Module1> storeOf1001(const std::filesystem::path& file)
{
    std::vector<TaskRecord> tasks(taskCount);
    for (int i = 0; i < taskCount; ++i) {
        tasks[static_cast<std::size_t>(i)].title = "Task number " + std::to_string(i) + " with a title of usual length";
        tasks[static_cast<std::size_t>(i)].description = "A description\r\nover two lines";
        tasks[static_cast<std::size_t>(i)].year = 2026;
    }
    return testsupport::storeWith(tasks, {}, file);
}

SyncResult sync(Server& server, Module1& store)
{
    SyncEngine engine(store, &server.session, server.list, [](Module1& s) { return s.saveTasks().ok; });
    QSignalSpy finished(&engine, &SyncEngine::finished);
    engine.start();
    finished.wait(600000);
    return engine.result();
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + std::ssize(values) / 2, values.end());
    return values[values.size() / 2];
}

void countSync(benchmark::State& state, const SyncResult& result, const LoopWatch& watch)
{
    state.counters["requests"] = result.requests;
    state.counters["synced"] = result.outcome == SyncResult::Outcome::Synced;
    state.counters["longest_stall_ms"] = static_cast<double>(watch.longestStallMs);
    state.counters["longest_busy_ms"] = watch.longestBusyMs;
}

// The first sync of a full table runs once, as the server needs minutes for it; its figures are
// counters of the benchmark of the syncs with nothing changed that follow it.
void BM_SyncWithNothingChangedOf1001Tasks(benchmark::State& state)
{
    testsupport::ScratchFolder folder;
    const auto store = storeOf1001(folder / "tasks.txt");
    Server server;
    LoopWatch firstWatch;
    QElapsedTimer firstTime;
    firstTime.start();
    const SyncResult first = sync(server, *store);
    state.counters["first_sync_s"] = static_cast<double>(firstTime.elapsed()) / 1000.0;
    state.counters["first_sync_requests"] = first.requests;
    state.counters["first_sync_sent"] = first.sent;
    state.counters["first_sync_longest_stall_ms"] = static_cast<double>(firstWatch.longestStallMs);
    state.counters["first_sync_longest_busy_ms"] = firstWatch.longestBusyMs;
    // The other direction: a second task file takes in the whole list, every form parsed and merged.
    Module1 other(folder / "other.txt");
    LoopWatch receiveWatch;
    QElapsedTimer receiveTime;
    receiveTime.start();
    const SyncResult received = sync(server, other);
    state.counters["receive_all_s"] = static_cast<double>(receiveTime.elapsed()) / 1000.0;
    state.counters["receive_all_received"] = received.received;
    state.counters["receive_all_longest_stall_ms"] = static_cast<double>(receiveWatch.longestStallMs);
    state.counters["receive_all_longest_busy_ms"] = receiveWatch.longestBusyMs;
    LoopWatch watch;
    SyncResult result;
    std::vector<double> wallMs;
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        result = sync(server, *store);
        wallMs.push_back(static_cast<double>(wall.elapsed()));
    }
    countSync(state, result, watch);
    state.counters["median_ms"] = median(wallMs);
}
BENCHMARK(BM_SyncWithNothingChangedOf1001Tasks)->Unit(benchmark::kMillisecond)->Iterations(11);

// Six keep-alive connections PUTting every file of a folder, as fast as the server takes them:
// the limit any client of this server can reach. Prints the seconds it took.
const char* const rawUploadScript = R"(
import base64, http.client, os, queue, sys, threading, time
host, port, path, user, password, folder = sys.argv[1:7]
auth = 'Basic ' + base64.b64encode(f'{user}:{password}'.encode()).decode()
bodies = queue.Queue()
for name in sorted(os.listdir(folder)):
    with open(os.path.join(folder, name), 'rb') as f:
        bodies.put((name, f.read()))
failures = []
def put_all():
    connection = http.client.HTTPConnection(host, int(port))
    while True:
        try:
            name, body = bodies.get_nowait()
        except queue.Empty:
            return
        connection.request('PUT', path + name, body, {'Content-Type': 'text/calendar; charset=utf-8',
                                                      'If-None-Match': '*', 'Authorization': auth})
        answer = connection.getresponse()
        answer.read()
        if answer.status not in (200, 201, 204):
            failures.append(answer.status)
start = time.monotonic()
threads = [threading.Thread(target=put_all) for _ in range(6)]
for thread in threads:
    thread.start()
for thread in threads:
    thread.join()
print(time.monotonic() - start)
sys.exit(1 if failures else 0)
)";

double secondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The same bodies the first sync sends, one file each, for the other clients.
void writeForms(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    TaskRecord task;
    task.description = "A description\r\nover two lines";
    task.year = 2026;
    for (int i = 0; i < taskCount; ++i) {
        task.title = "Task number " + std::to_string(i) + " with a title of usual length";
        task.uid = "bench-" + std::to_string(i);
        std::ofstream(folder / (task.uid + ".ics"), std::ios::binary) << ical::calendarOfTask(task, nullptr, 0);
    }
}

bool runPython(const QStringList& arguments, double* printedSeconds = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TASKWYN_SYSTEM_PYTHON), arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return false;
    if (printedSeconds)
        *printedSeconds = process.readAllStandardOutput().trimmed().toDouble();
    return true;
}

// One real server, a new empty list for every client's run.
struct LimitServer
{
    RadicaleServer radicale;
    int lists = 0;

    TaskList newList()
    {
        DavSession session{DavAccount{radicale.root(), RadicaleServer::user, RadicaleServer::password}};
        MakeTaskListJob make(&session, radicale.home(), u"Bench %1"_s.arg(++lists));
        run(make);
        return make.created();
    }
};

struct Figures
{
    std::vector<double> taskwyn, raw, vdirsyncer, unchanged, vdirsyncerUnchanged, unchangedRequests;
    bool allWell = true;
};

// Each run starts as a new user would: its own state folder, a fresh session.
void measureTaskwyn(LimitServer& server, const std::filesystem::path& folder, Figures& figures)
{
    const testsupport::ScratchFolder state(folder);
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    const auto store = storeOf1001(state / "tasks.txt");
    DavSession session{DavAccount{server.radicale.root(), RadicaleServer::user, RadicaleServer::password}};
    const TaskList list = server.newList();
    const auto syncOnce = [&] {
        SyncEngine engine(*store, &session, list, [](Module1& s) { return s.saveTasks().ok; });
        QSignalSpy finished(&engine, &SyncEngine::finished);
        engine.start();
        finished.wait(600000);
        figures.allWell = figures.allWell && engine.result().outcome == SyncResult::Outcome::Synced;
        return engine.result();
    };
    figures.taskwyn.push_back(secondsOf([&] { figures.allWell = figures.allWell && syncOnce().sent == taskCount; }));
    SyncResult unchanged;
    figures.unchanged.push_back(secondsOf([&] { unchanged = syncOnce(); }));
    figures.unchangedRequests.push_back(unchanged.requests);
}

void measureRaw(LimitServer& server, const std::filesystem::path& forms, Figures& figures)
{
    const QUrl list = server.newList().url;
    double seconds = 0;
    figures.allWell = figures.allWell && runPython({u"-c"_s, QString::fromUtf8(rawUploadScript), list.host(),
                                                    QString::number(list.port()), list.path(), RadicaleServer::user,
                                                    RadicaleServer::password, QString::fromStdString(forms.string())},
                                                   &seconds);
    figures.raw.push_back(seconds);
}

void measureVdirsyncer(LimitServer& server, const std::filesystem::path& folder, const std::filesystem::path& forms,
                       Figures& figures)
{
    const testsupport::ScratchFolder work(folder);
    std::filesystem::copy(forms, work / "local");
    std::ofstream(work / "config") << "[general]\nstatus_path = \"" << (work / "status").string()
                                   << "\"\n[pair bench]\na = \"local\"\nb = \"remote\"\ncollections = null\n"
                                   << "[storage local]\ntype = \"filesystem\"\npath = \"" << (work / "local").string()
                                   << "\"\nfileext = \".ics\"\n[storage remote]\ntype = \"caldav\"\nurl = \""
                                   << server.newList().url.toString().toStdString() << "\"\nusername = \""
                                   << RadicaleServer::user.toStdString() << "\"\npassword = \""
                                   << RadicaleServer::password.toStdString() << "\"\n";
    const QString config = QString::fromStdString((work / "config").string());
    const auto vdirsyncer = [&](const QString& command) {
        figures.allWell =
            figures.allWell && runPython({u"/usr/bin/vdirsyncer"_s, u"-v"_s, u"WARNING"_s, u"-c"_s, config, command});
    };
    vdirsyncer(u"discover"_s);
    figures.vdirsyncer.push_back(secondsOf([&] { vdirsyncer(u"sync"_s); }));
    figures.vdirsyncerUnchanged.push_back(secondsOf([&] { vdirsyncer(u"sync"_s); }));
}

// The first sync of a full table against what the server allows at most and against another
// client, on one server. The machine may be shared: the clients take turns, in a changing order,
// and the figures are medians of TASKWYN_BENCH_ROUNDS rounds (3 unless told).
void BM_FirstSyncAgainstTheServersLimit(benchmark::State& state)
{
    const int rounds = std::max(1, qEnvironmentVariableIntValue("TASKWYN_BENCH_ROUNDS"));
    const testsupport::ScratchFolder folder;
    const char* const userState = std::getenv("XDG_STATE_HOME");
    writeForms(folder / "forms");
    LimitServer server;
    Figures figures;
    const std::array<std::function<void()>, 3> clients{
        [&] { measureTaskwyn(server, folder.path(), figures); }, [&] { measureRaw(server, folder / "forms", figures); },
        [&] { measureVdirsyncer(server, folder.path(), folder / "forms", figures); }};
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t i = 0; i < clients.size(); ++i)
                clients[(i + static_cast<std::size_t>(round)) % clients.size()]();
        }
    }
    ::setenv("XDG_STATE_HOME", userState, 1);
    state.counters["taskwyn_s"] = median(figures.taskwyn);
    state.counters["raw_limit_s"] = median(figures.raw);
    state.counters["vdirsyncer_s"] = median(figures.vdirsyncer);
    state.counters["taskwyn_per_limit"] = median(figures.taskwyn) / median(figures.raw);
    state.counters["taskwyn_per_vdirsyncer"] = median(figures.taskwyn) / median(figures.vdirsyncer);
    state.counters["unchanged_s"] = median(figures.unchanged);
    state.counters["unchanged_requests"] = median(figures.unchangedRequests);
    state.counters["vdirsyncer_unchanged_s"] = median(figures.vdirsyncerUnchanged);
    if (!figures.allWell)
        state.SkipWithError("a client's run failed");
}
BENCHMARK(BM_FirstSyncAgainstTheServersLimit)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    // The sync state of the benchmarks' task files stays out of the user's own state folder.
    const testsupport::ScratchFolder state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    filled.reset();
    return 0;
}
