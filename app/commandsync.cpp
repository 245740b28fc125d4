#include "app/commandsync.h"

#include "app/batchexchange.h"
#include "commands/filemessages.h"
#include "commands/syncmessages.h"
#include "store/module1.h"
#include "sync/accountchange.h"
#include "sync/accountsync.h"
#include "sync/davaddress.h"
#include "sync/secretstore.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <iostream>
#include <string>
#include <vector>

#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The context the translators find these texts in.
struct CommandSync
{
    Q_DECLARE_TR_FUNCTIONS(CommandSync)
};

// Runs the event loop until `start` has called the `done` it was given.
void runUntilDone(const std::function<void(const std::function<void()>& done)>& start)
{
    QEventLoop loop;
    bool ended = false;
    start([&loop, &ended] {
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec();
}

// Starts `job` and runs the event loop until it has finished.
template <typename Job> void runToTheEnd(Job& job)
{
    runUntilDone([&job](const std::function<void()>& done) {
        QObject::connect(&job, &Job::finished, done);
        job.start();
    });
}

struct CommandAnswer
{
    int exitStatus;
    QString text;
};

CommandAnswer commandAnswer(const SyncResult& result)
{
    // Changes the server got meanwhile are merged next time, as after any sync that worked.
    const bool synced =
        result.outcome == SyncResult::Outcome::Synced || result.outcome == SyncResult::Outcome::ChangedMeanwhile;
    return {synced ? 0 : failedStatus, syncDetailsText(result)};
}

int report(const CommandAnswer& answer)
{
    tell(answer.exitStatus == 0 ? stdout : stderr, answer.text);
    return answer.exitStatus;
}

// The store's own save, which refuses to overwrite a file changed elsewhere; the reason is told.
bool saveTelling(Module1& store)
{
    const SaveReport saved = store.saveTasks();
    tell(stderr, saved.ok ? saveNoticeText(saved) : saveFailureText(saved));
    return saved.ok;
}

// Runs the sync in this process, which holds the task file. Another `--sync` asking meanwhile gets
// this run's result.
int syncHere(Module1& store, SingleInstance& instance)
{
    SecretStore secrets(passwordService);
    AccountSync sync(store, secrets, saveTelling);
    std::vector<SingleInstance::SyncReply> waiting;
    QObject::connect(&instance, &SingleInstance::syncRequested, &sync,
                     [&waiting](const SingleInstance::SyncReply& reply) { waiting.push_back(reply); });
    runToTheEnd(sync);
    const CommandAnswer answer = commandAnswer(sync.result());
    for (const SingleInstance::SyncReply& reply : waiting)
        reply(answer.exitStatus, answer.text);
    return report(answer);
}

int reportWindowAnswer(const SingleInstance::SyncAnswer& answer)
{
    if (!answer.answered)
        return failed(CommandSync::tr("The task file is open in a window, and the running window did not answer."));
    return report({answer.exitStatus, answer.text});
}

// One line from standard input, not shown as it is typed on a terminal.
std::optional<QString> readPassword(const QString& user)
{
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    if (terminal)
        std::fputs(qPrintable(CommandSync::tr("Password for %1: ").arg(user)), stderr);
    termios before{};
    const bool echoTurnedOff = terminal && ::tcgetattr(STDIN_FILENO, &before) == 0;
    if (echoTurnedOff) {
        termios quiet = before;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (echoTurnedOff)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
    if (terminal)
        std::fputc('\n', stderr);
    if (!read)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line);
}

QString listChoiceText(const QList<TaskList>& lists)
{
    if (lists.isEmpty())
        return CommandSync::tr(
            "The server holds no task list. Give the address of a task list, or create one in the window under "
            "Options → Sync with Server….");
    QString text = CommandSync::tr("The server holds several task lists; give the address of the one to sync with:");
    for (const TaskList& list : lists)
        text += u"\n  %1  %2"_s.arg(list.url.toString(), list.displayName);
    return text;
}

// The password goes to the secret store; a password held for this run only would be lost to a later
// `--sync`, so then nothing is set up.
int keepAccount(const SetUpSync& request, const SyncAccount& account, const QString& password)
{
    SecretStore secrets(passwordService);
    SecretStore::Answer written;
    runUntilDone([&](const std::function<void()>& done) {
        secrets.write(SecretStore::accountKey(account.server, account.user), password,
                      [&written, done](const SecretStore::Answer& answer) {
                          written = answer;
                          done();
                      });
    });
    if (written.kind != SecretStore::Answer::Kind::Found)
        return failed(
            CommandSync::tr("The password cannot be kept in the secret store (%1). A sync without a window would not "
                            "find it, so nothing was set up.")
                .arg(written.detail));
    runUntilDone(
        [&](const std::function<void()>& done) { replaceSyncAccount(request.taskFile, account, secrets, done); });
    tell(stdout,
         CommandSync::tr("\"%1\" syncs with %2 as %3.")
             .arg(QString::fromStdString(request.taskFile.string()), account.taskList.toString(), account.user));
    return 0;
}

} // namespace

int syncTasks(const SyncTasks& request)
{
    SingleInstance instance(request.taskFile);
    if (!instance.takeWithoutWindow())
        return reportWindowAnswer(instance.askToSync());
    return withLoadedStore(request.taskFile, [&instance](Module1& store) { return syncHere(store, instance); });
}

int setUpSync(const SetUpSync& request)
{
    const QUrl server = serverAddressFromUserText(request.server.trimmed());
    if (server.isEmpty()) {
        tell(stderr, serverAddressProblemText(request.server.trimmed()));
        return usageErrorStatus;
    }
    const std::optional<QString> password = readPassword(request.user);
    if (!password) {
        tell(stderr, CommandSync::tr("No password was given on standard input."));
        return usageErrorStatus;
    }
    DavSession session(DavAccount{server, request.user, *password});
    DiscoveryJob discovery(&session);
    runToTheEnd(discovery);
    if (discovery.outcome() != DavJob::Outcome::Succeeded)
        return failed(davOutcomeText(discovery.outcome(), discovery.detail()));
    if (discovery.taskLists().size() != 1)
        return failed(listChoiceText(discovery.taskLists()));
    const TaskList& list = discovery.taskLists().first();
    return keepAccount(request, SyncAccount{server, list.url, request.user, list.offersSyncCollection}, *password);
}

void answerSyncRequest(const std::function<void(SyncDone)>& runSync, const SingleInstance::SyncReply& reply)
{
    runSync([reply](const SyncResult& result) {
        const CommandAnswer answer = commandAnswer(result);
        reply(answer.exitStatus, answer.text);
    });
}
