// The update checker against the real update server, started by each test on 127.0.0.1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>

#include "core/engine/CurlDownloader.h"
#include "core/engine/EventLoop.h"
#include "core/update/UpdateChecker.h"
#include "core/update/UpdateListFiles.h"
#include "fixtures/Loopback.h"
#include "fixtures/TempFolder.h"
#include "fixtures/UpdateServerProcess.h"

namespace wexfold {
namespace {

namespace fs = std::filesystem;
using testing::FileText;

void Publish(const fs::path& root, const fs::path& source, const std::vector<std::string>& names) {
    ASSERT_TRUE(testing::Publish(WEXFOLD_UPDATE_SERVER, root, source, names));
}

// A copy of what a message carried, kept after the message is gone.
struct Seen {
    UpdateMessageKind kind;
    std::uint32_t wParam;
    std::uint32_t value;
    std::string name;  // the entry's name, or the file of a download message
    bool cancelNotice;
    fs::path path;
};

class Recorder final : public UpdateNotify {
  public:
    void OnUpdateStatus(const UpdateMessage& message) override {
        std::string name = message.entry ? message.entry->name : message.file;
        seen.push_back({message.kind, message.wParam, message.value, name,
                        message.kind == UpdateMessageKind::kProgress && !message.report,
                        message.path});
        if (hook) hook(message);
    }
    std::vector<Seen> Of(UpdateMessageKind kind) const {
        std::vector<Seen> out;
        for (const Seen& s : seen) {
            if (s.kind == kind) out.push_back(s);
        }
        return out;
    }
    std::vector<std::uint32_t> States() const {
        std::vector<std::uint32_t> out;
        for (const Seen& s : Of(UpdateMessageKind::kState)) out.push_back(s.value);
        return out;
    }
    std::vector<Seen> seen;
    std::function<void(const UpdateMessage&)> hook;
};

class UpdateCheckerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GT(server_.Port(), 0);
        UseHost("127.0.0.1:" + std::to_string(server_.Port()));
    }
    void TearDown() override { unsetenv("WEXFOLD_UPDATE_HOST"); }

    void UseHost(const std::string& host) {
        setenv("WEXFOLD_UPDATE_HOST", host.c_str(), 1);
        checker_ = std::make_unique<UpdateChecker>(downloader_, handover_, recorder_, work_.Path());
    }

    void RunUntil(const std::function<bool()>& done) {
        EventLoop(*handover_).Run(std::chrono::seconds(20), done);
    }

    // A whole check on the checker's worker: fetch, compare and the downloads. 0 when the
    // comparison rotated the lists.
    int Check() {
        recorder_.seen.clear();
        EXPECT_EQ(checker_->StartCheck(true), StartResult::kStarted);
        RunUntil([&] { return !checker_->Running(); });
        return recorder_.Of(UpdateMessageKind::kCompared).empty() ? 1 : 0;
    }

    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (const Seen& s : recorder_.Of(UpdateMessageKind::kListEntry)) names.push_back(s.name);
        return names;
    }

    testing::TempFolder root_;
    testing::TempFolder sources_;
    testing::TempFolder work_;
    testing::UpdateServerProcess server_{WEXFOLD_UPDATE_SERVER, root_.Path()};
    CurlDownloader downloader_{{}, work_.Path() / "cache"};
    std::shared_ptr<SyncHandover> handover_ = std::make_shared<SyncHandover>();
    Recorder recorder_;
    std::unique_ptr<UpdateChecker> checker_;
};

TEST_F(UpdateCheckerTest, NothingNewEndsWithoutRotation) {
    Publish(root_.Path(), sources_.Path(), {"a.bin"});
    ASSERT_EQ(Check(), 0);
    Publish(root_.Path(), sources_.Path(), {"b.bin"});
    ASSERT_EQ(Check(), 0);
    const std::string local = FileText(work_.Path() / kUpdateListName);
    const std::string backup = FileText(work_.Path() / kUpdateBackupName);

    EXPECT_EQ(Check(), 1);
    EXPECT_EQ(recorder_.States(), (std::vector<std::uint32_t>{kTextConnected, kTextNothingNew}));
    EXPECT_EQ(recorder_.seen.size(), 2u);
    EXPECT_EQ(FileText(work_.Path() / kUpdateListName), local);
    EXPECT_EQ(FileText(work_.Path() / kUpdateBackupName), backup);
}

TEST_F(UpdateCheckerTest, NewGroupsAreListedNewestFirstAndDownloadedPrivately) {
    Publish(root_.Path(), sources_.Path(), {"old.bin"});
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(checker_->RequestUrl(), "http://127.0.0.1:" + std::to_string(server_.Port()) +
                                          "/update.asp?user=&pass=&filename=update.txt");
    const std::string firstList = FileText(work_.Path() / kUpdateListName);
    // Names that need escaping in the request, and one whose place holds a link to a file
    // outside the update folder: the download replaces the link and never writes through it.
    Publish(root_.Path(), sources_.Path(), {"a 1", "a#2"});
    Publish(root_.Path(), sources_.Path(), {"b&1", "b+2", "b3"});
    std::ofstream(work_.Path() / "outside") << "keep";
    fs::create_symlink(work_.Path() / "outside", checker_->UpdateFolder() / "b3");

    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"b&1", "b+2", "b3", "a 1", "a#2"}));
    const auto entries = recorder_.Of(UpdateMessageKind::kListEntry);
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].wParam, i + 1);
    EXPECT_EQ(FileText(work_.Path() / kUpdateBackupName), firstList);
    EXPECT_EQ(FileText(work_.Path() / kUpdateListName), FileText(checker_->CacheFile()));

    const auto done = recorder_.Of(UpdateMessageKind::kDownloaded);
    ASSERT_EQ(done.size(), 5u);
    for (std::size_t i = 0; i < done.size(); ++i) {
        EXPECT_EQ(done[i].value, i);
        EXPECT_EQ(done[i].path, checker_->UpdateFolder() / checker_->FileNames()[i]);
        EXPECT_EQ(FileText(done[i].path), "body of " + checker_->FileNames()[i]);
    }
    EXPECT_FALSE(fs::is_symlink(checker_->UpdateFolder() / "b3"));
    EXPECT_EQ(FileText(work_.Path() / "outside"), "keep");
    EXPECT_TRUE(recorder_.Of(UpdateMessageKind::kFailed).empty());
    EXPECT_FALSE(recorder_.Of(UpdateMessageKind::kProgress).empty());
    // The lists and the folder are the user's alone.
    const auto mode = [](const fs::path& path) { return fs::status(path).permissions(); };
    EXPECT_EQ(mode(work_.Path() / kUpdateListName), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(work_.Path() / kUpdateBackupName), mode(work_.Path() / kUpdateListName));
    EXPECT_EQ(mode(checker_->UpdateFolder()), fs::perms::owner_all);
}

TEST_F(UpdateCheckerTest, WithoutALocalCopyEveryFileCountsOnceAndIsFetchedOnce) {
    Publish(root_.Path(), sources_.Path(), {"x.bin", "y.bin"});
    Publish(root_.Path(), sources_.Path(), {"x.bin"});
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(recorder_.States(), (std::vector<std::uint32_t>{kTextConnected, kTextNoLocalList}));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"x.bin", "y.bin"}));
    EXPECT_EQ(recorder_.Of(UpdateMessageKind::kDownloaded).size(), 2u);
    EXPECT_FALSE(fs::exists(work_.Path() / kUpdateBackupName));
}

TEST_F(UpdateCheckerTest, CancelDuringTheSecondFileSkipsTheRestAndRestoresTheList) {
    Publish(root_.Path(), sources_.Path(), {"old.bin"});
    ASSERT_EQ(Check(), 0);
    const std::string firstList = FileText(work_.Path() / kUpdateListName);
    Publish(root_.Path(), sources_.Path(), {"f1", "f2", "f3"});
    recorder_.hook = [&](const UpdateMessage& message) {
        if (message.kind == UpdateMessageKind::kProgress && message.file == "f2" &&
            message.report) {
            recorder_.hook = nullptr;
            checker_->Cancel();
        }
    };
    Check();

    std::vector<std::pair<UpdateMessageKind, std::uint32_t>> ends;
    bool noticeBeforeFailure = false;
    for (const Seen& s : recorder_.seen) {
        if (s.cancelNotice) noticeBeforeFailure = true;
        if (s.kind == UpdateMessageKind::kDownloaded || s.kind == UpdateMessageKind::kFailed) {
            ends.emplace_back(s.kind, s.value);
            if (s.kind == UpdateMessageKind::kFailed) {
                EXPECT_TRUE(noticeBeforeFailure);
            }
        }
    }
    const std::vector<std::pair<UpdateMessageKind, std::uint32_t>> expected{
        {UpdateMessageKind::kDownloaded, 0}, {UpdateMessageKind::kFailed, 1}};
    EXPECT_EQ(ends, expected);
    EXPECT_FALSE(fs::exists(work_.Path() / "update" / "f2"));
    EXPECT_FALSE(fs::exists(work_.Path() / "update" / "f3"));
    EXPECT_EQ(FileText(work_.Path() / kUpdateListName), firstList);
}

TEST_F(UpdateCheckerTest, AStopWhileTheServerIsSilentReportsUserCanceledOnly) {
    testing::UpdateServerProcess slow{WEXFOLD_UPDATE_SERVER, root_.Path(), 10};
    UseHost(slow.Host());
    ASSERT_EQ(checker_->StartCheck(true), StartResult::kStarted);
    checker_->Cancel();
    RunUntil([&] { return !checker_->Running(); });
    ASSERT_EQ(recorder_.seen.size(), 1u);
    EXPECT_TRUE(recorder_.seen[0].cancelNotice);
    EXPECT_FALSE(fs::exists(work_.Path() / kUpdateListName));
}

TEST_F(UpdateCheckerTest, UnreachableServerLeavesTheLocalListsAlone) {
    int port = 0;
    const int reserved = testing::BindLoopback(false, 0, port);  // bound, never listening
    UseHost("127.0.0.1:" + std::to_string(port));
    std::ofstream(work_.Path() / kUpdateListName) << "local";
    std::ofstream(work_.Path() / kUpdateBackupName) << "older";

    EXPECT_EQ(Check(), 1);
    EXPECT_EQ(recorder_.States(), std::vector<std::uint32_t>{kTextNoConnection});
    EXPECT_TRUE(checker_->CacheFile().empty());
    EXPECT_EQ(recorder_.seen.size(), 1u);
    // Stopping after a failed fetch must not bring back the older list.
    checker_->Cancel();
    EXPECT_EQ(FileText(work_.Path() / kUpdateListName), "local");
    EXPECT_EQ(FileText(work_.Path() / kUpdateBackupName), "older");
    ::close(reserved);
}

}  // namespace
}  // namespace wexfold
