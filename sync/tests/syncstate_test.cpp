#include "sync/syncstate.h"

#include "os/tests/filetesting.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

const SyncState someState{QUrl(u"https://dav.example.org/ada/tasks/"_s),
                          u"http://radicale.org/ns/sync/42"_s,
                          {{u"uid-1"_s, QUrl(u"https://dav.example.org/ada/tasks/uid-1.ics"_s), "\"e1\"",
                            "BEGIN:VCALENDAR\r\nSUMMARY:Grüße \"quoted\"\\n\r\n multi\r\nEND:VCALENDAR\r\n"},
                           {u"ü/2"_s, QUrl(u"https://dav.example.org/ada/tasks/%C3%BC.ics"_s), "W/\"e2\"", ""}},
                          {{u"uid-3"_s, QUrl(u"https://dav.example.org/ada/tasks/uid-3.ics"_s), "BEGIN:VCALENDAR\r\n"},
                           {u"uid-1"_s, QUrl(u"https://dav.example.org/ada/tasks/uid-1.ics"_s), ""}}};

} // namespace

TEST(SyncState, IsKeptPrivatelyPerTaskFileAndForgottenOnRequest)
{
    testsupport::ScratchFolder folder;
    testsupport::EnvironmentOverride state("XDG_STATE_HOME", (folder / "state").string());
    testsupport::writeBytes(folder / "tasks.txt", "");
    fs::create_directory_symlink(folder.path(), folder / "link");

    const SyncStateFiles files(folder / "tasks.txt");
    EXPECT_EQ(files.load().state, SyncState{});
    ASSERT_FALSE(files.save(someState));
    const LoadedSyncState viaLink = SyncStateFiles(folder / "link" / "." / "tasks.txt").load();
    EXPECT_FALSE(viaLink.failure || viaLink.damaged);
    EXPECT_EQ(viaLink.state, someState);
    EXPECT_EQ(testsupport::modeOf(files.folder()), 0700u);
    EXPECT_EQ(testsupport::modeOf(files.folder() / "items.json"), 0600u);
    EXPECT_EQ(SyncStateFiles(folder / "other.txt").load().state, SyncState{});

    // A token that belongs to another list is not used; a damaged file is reported, not taken as empty.
    const std::string items = testsupport::readBytes(files.folder() / "items.json");
    testsupport::writeBytes(files.folder() / "token.json", R"({"version":1,"taskList":"https://x/","syncToken":"t"})");
    EXPECT_EQ(files.load().state.syncToken, QString());
    EXPECT_EQ(files.load().state.items, someState.items);
    testsupport::writeBytes(files.folder() / "items.json", items.substr(0, items.size() / 2));
    EXPECT_TRUE(files.load().damaged);

    ASSERT_FALSE(files.remove());
    EXPECT_EQ(files.load().state, SyncState{});
    EXPECT_FALSE(files.load().damaged);
}
