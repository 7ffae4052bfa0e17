// Hostile or damaged update lists, served by a small server inside the test: unsafe names
// are never fetched nor written, and damaged groups are read only as far as their bytes go.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include "core/engine/CurlDownloader.h"
#include "core/engine/EventLoop.h"
#include "core/update/UpdateChecker.h"
#include "fixtures/TempFolder.h"

namespace wexfold {
namespace {

namespace fs = std::filesystem;

std::string Entry(const std::string& name) {
    std::string bytes(80, '\0');
    bytes.replace(0, std::min<std::size_t>(name.size(), 64), name.substr(0, 64));
    return bytes;
}

std::string Header(int count, char stamp) {
    std::string bytes(88, '\0');
    bytes[68] = static_cast<char>(count);
    bytes[80] = stamp;
    return bytes;
}

// Serves one fixed list as "update.txt" and a small body for any other name, on 127.0.0.1,
// remembering the names asked for. One request per connection, short timeouts.
class ListServer {
  public:
    explicit ListServer(std::string list) : list_(std::move(list)) {
        server_.set_keep_alive_max_count(1);
        server_.set_read_timeout(2, 0);
        server_.Get("/update.asp", [this](const httplib::Request& request,
                                          httplib::Response& response) {
            const std::string name = request.get_param_value("filename");
            std::lock_guard lock(mutex_);
            asked_.insert(name);
            response.set_content(name == "update.txt" ? list_ : "data", "application/octet-stream");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~ListServer() {
        server_.stop();
        thread_.join();
    }
    int Port() const { return port_; }
    std::set<std::string> Asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

  private:
    std::string list_;
    httplib::Server server_;
    std::mutex mutex_;
    std::set<std::string> asked_;
    int port_ = 0;
    std::thread thread_;
};

class QuietNotify final : public UpdateNotify {
  public:
    void OnUpdateStatus(const UpdateMessage&) override {}
};

struct Outcome {
    std::vector<std::string> names;
    std::size_t rejected = 0;
    std::set<std::string> asked;
};

// Runs a whole check against the list from an empty working folder inside a private parent.
Outcome CheckList(const std::string& list, const fs::path& parent) {
    ListServer server(list);
    EXPECT_GT(server.Port(), 0);
    setenv("WEXFOLD_UPDATE_HOST", ("127.0.0.1:" + std::to_string(server.Port())).c_str(), 1);
    const fs::path work = parent / "work";
    fs::create_directories(work);
    CurlDownloader downloader({}, parent / "cache");
    auto handover = std::make_shared<SyncHandover>();
    QuietNotify notify;
    Outcome outcome;
    {
        UpdateChecker checker(downloader, handover, notify, work);
        EXPECT_EQ(checker.StartCheck(true), StartResult::kStarted);
        EventLoop(*handover).Run(std::chrono::seconds(20), [&] { return !checker.Running(); });
        outcome.names = checker.FileNames();
        outcome.rejected = checker.RejectedNames();
    }
    unsetenv("WEXFOLD_UPDATE_HOST");
    outcome.asked = server.Asked();
    return outcome;
}

// Every file below parent, relative to it.
std::set<std::string> FilesBelow(const fs::path& parent) {
    std::set<std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(parent)) {
        if (item.is_regular_file()) files.insert(fs::relative(item.path(), parent).string());
    }
    return files;
}

TEST(UnsafeListTest, NamesThatAreNotPlainAreNeverFetchedNorWritten) {
    const std::vector<std::string> unsafe{"../evil", "/tmp/abs",          "a/b", ".", "..",
                                          "sub\\x",  std::string(64, 'L')};
    std::string list;
    for (const std::string& name : unsafe) list += Entry(name);
    list += Entry("ok.bin") + Header(static_cast<int>(unsafe.size()) + 1, 1);

    testing::TempFolder parent;
    const Outcome outcome = CheckList(list, parent.Path());
    EXPECT_EQ(outcome.names, std::vector<std::string>{"ok.bin"});
    EXPECT_EQ(outcome.rejected, unsafe.size());
    EXPECT_EQ(outcome.asked, (std::set<std::string>{"update.txt", "ok.bin"}));
    const std::set<std::string> files = FilesBelow(parent.Path());
    EXPECT_TRUE(files.count("work/update/ok.bin"));
    EXPECT_TRUE(files.count("work/update.txt"));
    for (const std::string& file : files) {
        EXPECT_TRUE(file.rfind("work/", 0) == 0 || file.rfind("cache/", 0) == 0) << file;
    }
}

TEST(UnsafeListTest, DamagedGroupsAreReadOnlyAsFarAsTheirBytes) {
    struct Case {
        const char* what;
        std::string list;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases{
        {"count beyond the data",
         std::string(30, 'j') + Entry("a") + Entry("b") + Header(127, 1),
         {"b", "a"}},
        {"negative count ends the scan",
         Entry("old") + Header(1, 2) + Header(-5, 3) + Entry("new") + Header(1, 4),
         {"new"}},
        {"cut header before a group", std::string(87, '\x01') + Entry("c") + Header(1, 5), {"c"}},
    };
    for (const Case& test : cases) {
        testing::TempFolder parent;
        const Outcome outcome = CheckList(test.list, parent.Path());
        EXPECT_EQ(outcome.names, test.names) << test.what;
    }
}

TEST(UnsafeListTest, OnlyTheNewestPartOfAHugeListIsRead) {
    // 5 MiB of 0x01 bytes scan as groups of one entry with a control-character name.
    const std::string list = std::string(5u << 20, '\x01') + Entry("tail.bin") + Header(1, 6);
    testing::TempFolder parent;
    const Outcome outcome = CheckList(list, parent.Path());
    EXPECT_EQ(outcome.names, std::vector<std::string>{"tail.bin"});
    EXPECT_GT(outcome.rejected, 0u);
    // Had all of the file been read there would be about 31,000 junk groups.
    EXPECT_LE(outcome.rejected, kMaxListBytes / (80 + 88));
}

}  // namespace
}  // namespace wexfold
