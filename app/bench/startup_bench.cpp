// Start-up against the floor: the program with a full task file (1001 tasks, 101 rules), with and
// without a sync account, and a bare Qt main window, started in turns on one private X server.
// Each start is timed from the exec to the last big repaint the X server's DAMAGE extension
// reports, so that both programs are measured the same way and neither needs to cooperate; the
// peak memory is the child's maxrss. Then the program's own phases, as it traces them itself.
// Other builds of the program given as arguments (one from before a change) run in the same rounds.
#include "store/calendar.h"
#include "store/duetext.h"
#include "store/module1.h"
#include "sync/secretstore.h"
#include "sync/syncaccount.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Many: on a shared machine the wall-clock times of single starts scatter widely.
constexpr int rounds = 20;
constexpr int traceRounds = 5;
// No repaint for this long after the last one: the window is complete.
constexpr int settleMs = 1500;
// A start that paints nothing for this long has failed.
constexpr int giveUpMs = 30000;

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "startup_bench: %s\n", why.c_str());
    std::exit(1);
}

// Tasks due around today, so that the rules colour them and some call for attention.
void writeTaskFile(const std::filesystem::path& file)
{
    auto store = std::make_unique<Module1>(file);
    const DayNumber first = today() - 500;
    for (int i = 0; i < Module1::taskSlots; ++i) {
        TaskRecord& task = store->taskList[static_cast<std::size_t>(i)];
        const CivilDate due = civilDate(first + (i * 7919) % 1001);
        task.title = "Task number " + std::to_string((i * 7919) % 1001);
        task.forWhom = "Person " + std::to_string(i % 37);
        task.year = static_cast<std::int16_t>(due.year);
        task.month = static_cast<std::int16_t>(due.month);
        task.day = static_cast<std::int16_t>(due.day);
        task.hour = static_cast<std::int16_t>(i % 24);
        task.minute = static_cast<std::int16_t>(i % 60);
        task.deleted = i % 10 == 0 ? "Y" : "N";
        task.description = "Notes for task " + std::to_string(i) + ": call J\u00FCrgen about the caf\u00E9 order.\r\n" +
                           "Bring the signed contract and the invoice; ask whether the second shipment can leave.";
        task.dueKey = dueKey(task);
    }
    store->taskCount = Module1::taskSlots;
    for (int i = 0; i < Module1::ruleSlots; ++i)
        store->ruleList[static_cast<std::size_t>(i)] = {static_cast<std::int16_t>(i % 40 - 5), "d", 0x1000 * i,
                                                        static_cast<std::int16_t>(i % 20 == 0 ? popupOn : 0)};
    store->ruleCount = Module1::ruleSlots;
    // In the order the program saves it: the list's, by due date.
    store->sortKey = SortKey::dueAscending;
    store->sortTasks();
    if (!store->saveTasks().ok)
        fail("cannot write " + file.string());
}

// A server that takes the connection and never answers: the sync is under way all through the start.
int silentServer()
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 64) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        fail("cannot listen on 127.0.0.1");
    return ntohs(address.sin_port);
}

void keepAccount(const std::filesystem::path& taskFile, int port)
{
    const QUrl server(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    const QString user = QStringLiteral("bench");
    storeSyncAccount(taskFile, {server, server.resolved(QUrl(QStringLiteral("tasks/"))), user, false});
    SecretStore secrets(passwordService);
    QEventLoop loop;
    bool kept = false;
    secrets.write(SecretStore::accountKey(server, user), QStringLiteral("secret"),
                  [&](const SecretStore::Answer& answer) {
                      kept = answer.kind == SecretStore::Answer::Kind::Found;
                      loop.quit();
                  });
    loop.exec();
    if (!kept)
        fail("the secret store did not keep the password");
}

// A private X server on a display number of its own choosing.
struct XServer
{
    XServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            fail("pipe");
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x900x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The pipe stays open: Xvfb ends when it cannot write the line end.
        numberFd = fds[0];
        display = ":";
        for (char c; read(numberFd, &c, 1) == 1 && c != '\n';)
            display += c;
        if (display == ":")
            fail("Xvfb did not start");
    }
    ~XServer()
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        close(numberFd);
    }
    pid_t pid;
    int numberFd;
    std::string display;
};

// Every change to the screen, as the X server's DAMAGE extension reports it.
class DamageWatch
{
public:
    explicit DamageWatch(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr))
    {
        if (xcb_connection_has_error(connection_))
            fail("cannot open " + display);
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (!extension || !extension->present)
            fail("no DAMAGE extension");
        notifyEvent_ = extension->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        xcb_damage_create(connection_, xcb_generate_id(connection_), root, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(connection_);
    }
    ~DamageWatch() { xcb_disconnect(connection_); }

    struct Repaint
    {
        Clock::time_point when;
        long area;
    };

    // The repaints until none came for `quietMs`, or until `untilMs` passed with none at all.
    std::vector<Repaint> repaintsUntilQuiet(int quietMs, int untilMs)
    {
        std::vector<Repaint> repaints;
        const Clock::time_point start = Clock::now();
        for (;;) {
            const auto since = repaints.empty() ? start : repaints.back().when;
            const int limit = repaints.empty() ? untilMs : quietMs;
            const int left = limit - static_cast<int>(Milliseconds(Clock::now() - since).count());
            if (left <= 0)
                return repaints;
            pollfd wait{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&wait, 1, left);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                if ((event->response_type & 0x7f) == notifyEvent_) {
                    const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                    repaints.push_back({Clock::now(), long{damage->area.width} * damage->area.height});
                }
                free(event);
            }
            if (xcb_connection_has_error(connection_))
                fail("lost the X server");
        }
    }

private:
    xcb_connection_t* connection_;
    std::uint8_t notifyEvent_ = 0;
};

struct Start
{
    double painted = 0; // ms from the exec to the last big repaint
    double cpuMs = 0;   // the whole run's, which other programs on the machine do not stretch
    long peakKiB = 0;
    std::string trace; // what the program wrote to standard error
};

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, int errorFd)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    dup2(errorFd, STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

Start measure(DamageWatch& screen, const std::string& program, const std::vector<std::string>& arguments)
{
    // A session's runtime folder of its own for each start, in memory as a desktop's is: the locks
    // of a program ended by a signal are not left for the next start to clear.
    QTemporaryDir runtime(QStringLiteral("/dev/shm/startup-bench-XXXXXX"));
    if (!runtime.isValid())
        fail("no runtime folder in /dev/shm");
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    int errors[2];
    if (pipe(errors) != 0)
        fail("pipe");
    const Clock::time_point exec = Clock::now();
    const pid_t pid = spawn(program, arguments, errors[1]);
    close(errors[1]);
    const std::vector<DamageWatch::Repaint> repaints = screen.repaintsUntilQuiet(settleMs, giveUpMs);
    kill(pid, SIGTERM);
    Start start;
    start.trace = readAll(errors[0]);
    close(errors[0]);
    rusage usage{};
    int status = 0;
    wait4(pid, &status, 0, &usage);
    start.peakKiB = usage.ru_maxrss;
    start.cpuMs = (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec)) /
                  1e3;
    if (repaints.empty())
        fail(program + " painted nothing");
    long biggest = 0;
    for (const auto& repaint : repaints)
        biggest = std::max(biggest, repaint.area);
    const auto last = std::find_if(repaints.rbegin(), repaints.rend(),
                                   [biggest](const auto& repaint) { return repaint.area * 2 >= biggest; });
    start.painted = Milliseconds(last->when - exec).count();
    // The window going away repaints the screen: not part of the next start.
    screen.repaintsUntilQuiet(200, 200);
    return start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The program's phases as milliseconds since its exec, in the order it reached them.
std::vector<std::pair<std::string, double>> phases(const std::string& trace, double execMs)
{
    std::vector<std::pair<std::string, double>> found;
    std::size_t at = 0;
    while ((at = trace.find("startup ", at)) != std::string::npos) {
        const std::size_t end = trace.find('\n', at);
        const std::string line = trace.substr(at + 8, end - at - 8);
        const std::size_t space = line.find(' ');
        found.emplace_back(line.substr(space + 1), std::stod(line.substr(0, space)) - execMs);
        at = end;
    }
    return found;
}

double monotonicMs(Clock::time_point moment)
{
    return Milliseconds(moment.time_since_epoch()).count();
}

struct Scenario
{
    const char* name;
    std::string taskFile;
};

struct Figures
{
    std::vector<double> painted, ratios, cpuMs, peakMiB;
};

// The programs in turns, the bare window first in one round and last in the next, so that none
// has the warmer caches throughout.
void compare(DamageWatch& screen, const Scenario& scenario, const std::vector<std::string>& programs)
{
    std::vector<Figures> figures(programs.size());
    Figures bare;
    for (int round = 0; round < rounds; ++round) {
        const bool bareFirst = round % 2 == 0;
        Start floor;
        if (bareFirst)
            floor = measure(screen, BARE_WINDOW_PROGRAM, {});
        std::vector<Start> starts;
        for (const std::string& program : programs)
            starts.push_back(measure(screen, program, {scenario.taskFile}));
        if (!bareFirst)
            floor = measure(screen, BARE_WINDOW_PROGRAM, {});
        bare.painted.push_back(floor.painted);
        bare.cpuMs.push_back(floor.cpuMs);
        bare.peakMiB.push_back(static_cast<double>(floor.peakKiB) / 1024);
        for (std::size_t i = 0; i < programs.size(); ++i) {
            figures[i].painted.push_back(starts[i].painted);
            figures[i].ratios.push_back(starts[i].painted / floor.painted);
            figures[i].cpuMs.push_back(starts[i].cpuMs);
            figures[i].peakMiB.push_back(static_cast<double>(starts[i].peakKiB) / 1024 - bare.peakMiB.back());
        }
    }
    std::printf("%s (medians of %d rounds): bare window %.1f ms (CPU %.1f ms), %.1f MiB\n", scenario.name, rounds,
                median(bare.painted), median(bare.cpuMs), median(bare.peakMiB));
    for (std::size_t i = 0; i < programs.size(); ++i)
        std::printf("  %s: final painted window %.1f ms, %.2f x the bare window; CPU %.1f ms, %.2f x; peak memory "
                    "%+.1f MiB\n",
                    programs[i].c_str(), median(figures[i].painted), median(figures[i].ratios),
                    median(figures[i].cpuMs), median(figures[i].cpuMs) / median(bare.cpuMs),
                    median(figures[i].peakMiB));
}

void breakdown(DamageWatch& screen, const Scenario& scenario, const std::string& program)
{
    setenv("TASKWYN_STARTUP_TRACE", "1", 1);
    std::map<std::string, std::vector<double>> ends;
    std::vector<std::string> order;
    for (int round = 0; round < traceRounds; ++round) {
        const double exec = monotonicMs(Clock::now());
        const Start start = measure(screen, program, {scenario.taskFile});
        std::set<std::string> seen; // a redraw later in the run traces its phases again
        for (const auto& [phase, at] : phases(start.trace, exec)) {
            if (!seen.insert(phase).second)
                continue;
            if (!ends.contains(phase))
                order.push_back(phase);
            ends[phase].push_back(at);
        }
        ends["final paint (damage)"].push_back(start.painted);
    }
    unsetenv("TASKWYN_STARTUP_TRACE");
    order.push_back("final paint (damage)");
    std::printf("%s, %s, phases (ms since exec at their end, and their own length; medians of %d):\n", program.c_str(),
                scenario.name, traceRounds);
    double previous = 0;
    for (const std::string& phase : order) {
        const double end = median(ends[phase]);
        std::printf("  %8.1f %+7.1f  %s\n", end, end - previous, phase.c_str());
        previous = end;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // A private session bus with a secret store of its own holds the account's password.
    if (!std::getenv("TASKWYN_TEST_SECRET_SERVICE")) {
        std::vector<char*> again{const_cast<char*>(KEYRING_SESSION)};
        again.insert(again.end(), argv, argv + argc + 1);
        execv(KEYRING_SESSION, again.data());
        fail("cannot run " KEYRING_SESSION);
    }
    // Other builds of the program named on the command line run in the same rounds, for a before
    // and after.
    std::vector<std::string> programs{TASKWYN_PROGRAM};
    programs.insert(programs.end(), argv + 1, argv + argc);
    QTemporaryDir home;
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        setenv(folder, home.filePath(QString::fromLatin1(folder)).toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QCoreApplication app(argc, argv);
    const Scenario local{"1001 tasks, 101 rules", home.filePath(QStringLiteral("local.txt")).toStdString()};
    const Scenario synced{"the same, syncing", home.filePath(QStringLiteral("synced.txt")).toStdString()};
    writeTaskFile(local.taskFile);
    writeTaskFile(synced.taskFile);
    keepAccount(synced.taskFile, silentServer());

    const XServer server;
    setenv("DISPLAY", server.display.c_str(), 1);
    DamageWatch screen(server.display);
    for (const Scenario& scenario : {local, synced})
        compare(screen, scenario, programs);
    for (const std::string& program : programs) {
        for (const Scenario& scenario : {local, synced})
            breakdown(screen, scenario, program);
    }
    return 0;
}
