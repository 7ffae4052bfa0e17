// The update checker against the real update server on 127.0.0.1, and against hostile lists
// that no real server publishes, handed over by a downloader of the test's own.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "core/engine/CurlDownloader.h"
#include "core/engine/EventLoop.h"
#include "core/update/UpdateChecker.h"
#include "core/update/UpdateListFiles.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

namespace fs = std::filesystem;
using Kind = UpdateMessageKind;

// A message as the test keeps it: its kind, and its entry's or file's name or its state.
using Seen = std::pair<Kind, std::string>;

// Answers the list request with a list of the test's own and any other with "data", and
// keeps the names asked for.
struct ListDownloader final : Downloader {
    FetchOutcome Fetch(const std::string& url, ProgressSink&, const fs::path& to) override {
        const std::string name = url.substr(url.rfind('=') + 1);
        asked.insert(name);
        FetchOutcome outcome;
        outcome.result = FetchResult::kFinished;
        outcome.file = to.empty() ? folder / "fetched" : to;
        std::ofstream(outcome.file, std::ios::binary) << (name == kUpdateListName ? list : "data");
        return outcome;
    }
    fs::path folder;
    std::string list;
    std::set<std::string> asked;
};

class UpdateCheckerTest : public ::testing::Test, public UpdateNotify {
  protected:
    void SetUp() override { UseHost(server.Host(), curl); }
    void TearDown() override { unsetenv("WEXFOLD_UPDATE_HOST"); }

    // Progress with a report goes to onProgress; every other message is kept.
    void OnUpdateStatus(const UpdateMessage& message) override {
        if (message.kind == Kind::kProgress && message.report != nullptr) {
            if (onProgress) onProgress(message);
        } else {
            seen.push_back({message.kind, message.entry ? message.entry->name
                                          : message.kind == Kind::kState
                                              ? std::to_string(message.value)
                                              : message.file});
        }
    }
    void UseHost(const std::string& host, Downloader& downloader) {
        setenv("WEXFOLD_UPDATE_HOST", host.c_str(), 1);
        checker = std::make_unique<UpdateChecker>(downloader, handover, *this, work.Path());
    }
    void Publish(const std::vector<std::string>& names) {
        ASSERT_TRUE(testing::Publish(WEXFOLD_UPDATE_SERVER, root.Path(), sources.Path(), names));
    }
    // A whole check on the checker's worker: fetch, compare and downloads.
    void Check() {
        seen.clear();
        ASSERT_EQ(checker->StartCheck(true), StartResult::kStarted);
        EventLoop(*handover).Run(std::chrono::seconds(20), [&] { return !checker->Running(); });
    }
    std::vector<std::string> Of(Kind kind) const {
        std::vector<std::string> names;
        for (const Seen& s : seen) {
            if (s.first == kind) names.push_back(s.second);
        }
        return names;
    }
    std::string List() const { return FileText(work.Path() / kUpdateListName); }
    std::string Backup() const { return FileText(work.Path() / kUpdateBackupName); }

    TempFolder root;
    TempFolder sources;
    TempFolder work;
    UpdateServerProcess server{WEXFOLD_UPDATE_SERVER, root.Path()};
    CurlDownloader curl{{}, work.Path() / "cache"};
    std::shared_ptr<SyncHandover> handover = std::make_shared<SyncHandover>();
    std::vector<Seen> seen;
    std::function<void(const UpdateMessage&)> onProgress;
    std::unique_ptr<UpdateChecker> checker;
};

TEST_F(UpdateCheckerTest, NewGroupsAreListedNewestFirstDownloadedPrivatelyAndNothingNewTwice) {
    // Without a local list every file of the server's list counts, once.
    Publish({"old.bin", "x"});
    Publish({"old.bin"});
    Check();
    EXPECT_EQ(Of(Kind::kState), (std::vector<std::string>{std::to_string(kTextConnected),
                                                          std::to_string(kTextNoLocalList)}));
    EXPECT_EQ(Of(Kind::kDownloaded), (std::vector<std::string>{"old.bin", "x"}));
    const std::string firstList = List();
    // Names that need escaping in the request, and one whose place holds a link to a file
    // outside the update folder: the download replaces the link and never writes through it.
    Publish({"a 1", "a#2", "..hidden"});
    Publish({"b&1", "b+2", "b3"});
    std::ofstream(work.Path() / "outside") << "keep";
    fs::create_symlink(work.Path() / "outside", checker->UpdateFolder() / "b3");
    Check();
    EXPECT_EQ(Of(Kind::kListEntry),
              (std::vector<std::string>{"b&1", "b+2", "b3", "a 1", "a#2", "..hidden"}));
    EXPECT_EQ(Of(Kind::kDownloaded), Of(Kind::kListEntry));
    for (const Seen& s : seen) {
        if (s.first == Kind::kDownloaded) {
            EXPECT_EQ(FileText(checker->UpdateFolder() / s.second), "body of " + s.second);
        }
    }
    EXPECT_EQ(FileText(work.Path() / "outside"), "keep");
    EXPECT_EQ(Backup(), firstList);
    // The lists and the folder are the user's alone.
    const auto mode = [](const fs::path& path) { return fs::status(path).permissions(); };
    EXPECT_EQ(mode(work.Path() / kUpdateListName), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(checker->UpdateFolder()), fs::perms::owner_all);

    // Nothing new: no rotation, nothing fetched.
    const std::string list = List();
    Check();
    EXPECT_EQ(List() + Backup(), list + firstList);
}

TEST_F(UpdateCheckerTest, StopsAndFailuresLeaveTheLocalListsAsTheyWere) {
    Publish({"old.bin"});
    Check();
    const std::string firstList = List();
    Publish({"f1", "f2", "f3"});
    onProgress = [&](const UpdateMessage& message) {
        if (message.file == "f2") checker->Cancel();
    };
    Check();
    // A stop during the second file skips the rest and puts the old list back; its notice
    // comes before the failure of the file it stopped.
    EXPECT_EQ(Of(Kind::kDownloaded), std::vector<std::string>{"f1"});
    EXPECT_EQ(std::vector(seen.end() - 2, seen.end()),
              (std::vector<Seen>{{Kind::kProgress, ""}, {Kind::kFailed, "f2"}}));
    EXPECT_FALSE(fs::exists(checker->UpdateFolder() / "f2") ||
                 fs::exists(checker->UpdateFolder() / "f3"));
    EXPECT_EQ(List(), firstList);

    // A stop while the server is silent reports the stop only.
    UpdateServerProcess slow{WEXFOLD_UPDATE_SERVER, root.Path(), 10};
    UseHost(slow.Host(), curl);
    seen.clear();
    ASSERT_EQ(checker->StartCheck(true), StartResult::kStarted);
    checker->Cancel();
    EventLoop(*handover).Run(std::chrono::seconds(20), [&] { return !checker->Running(); });
    EXPECT_EQ(seen, (std::vector<Seen>{{Kind::kProgress, ""}}));

    // An unreachable server: the lists stay, and a stop after it brings no older list back.
    RefusingPort refusing;
    UseHost("127.0.0.1:" + std::to_string(refusing.Port()), curl);
    std::ofstream(work.Path() / kUpdateListName) << "local";
    std::ofstream(work.Path() / kUpdateBackupName) << "older";
    Check();
    EXPECT_EQ(seen, (std::vector<Seen>{{Kind::kState, std::to_string(kTextNoConnection)}}));
    checker->Cancel();
    EXPECT_EQ(List() + Backup(), "localolder");
}

TEST_F(UpdateCheckerTest, HostileListsAreReadOnlyAsFarAsTheyAreSafe) {
    ListDownloader lists;
    lists.folder = work.Path();
    UseHost("hostile.test", lists);
    // Names that are not plain are never fetched nor written.
    const std::vector<std::string> unsafe{"../evil", "/tmp/abs", "a/b",
                                          "..",      "sub\\x",   "tab\there"};
    for (const std::string& name : unsafe) lists.list += EncodeEntry({name, 0, 0});
    lists.list += std::string(64, 'L') + std::string(16, '\0');  // a name without its NUL
    lists.list += EncodeEntry({"ok.bin", 0, 0}) + EncodeHeader({8, 1});
    Check();
    EXPECT_EQ(checker->FileNames(), std::vector<std::string>{"ok.bin"});
    EXPECT_EQ(checker->RejectedNames(), unsafe.size() + 1);
    EXPECT_EQ(lists.asked, (std::set<std::string>{"update.txt", "ok.bin"}));

    // Of a huge list only the newest part is read: 5 MiB of 0x01 bytes scan as groups of one
    // entry with a control-character name, of which about 31,000 would otherwise be seen.
    lists.list =
        std::string(5u << 20, '\x01') + EncodeEntry({"tail.bin", 0, 0}) + EncodeHeader({1, 6});
    Check();
    EXPECT_EQ(checker->FileNames(), std::vector<std::string>{"tail.bin"});
    EXPECT_LE(checker->RejectedNames(), kMaxListBytes / (80 + 88));
}

}  // namespace
}  // namespace wexfold::testing
