// A main window over a private folder, with answers to its questions and menus scripted.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/logs/Clock.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

// Answers questions from a queue (No when it is empty), files from another, and keeps what
// was asked.
class ScriptedPrompter final : public Prompter {
  public:
    struct Question {
        std::string caption;
        std::string text;
        PromptIcon icon;
        bool ownerShown;  // the window asking was on screen, not minimised
    };
    PromptAnswer Ask(QWidget* owner, const std::string& caption, const std::string& text,
                     PromptButtons buttons, PromptIcon icon) override;
    std::string ChooseFile(QWidget* owner, bool save) override;

    std::deque<PromptAnswer> answers;
    std::deque<std::string> files;
    std::vector<Question> asked;
};

// A fetch that reports nothing and ends only when it is stopped.
class HangingDownloader final : public Downloader {
  public:
    FetchOutcome Fetch(const std::string& url, ProgressSink& sink,
                       const std::filesystem::path& destination) override;
};

// 2026-03-10 12:00:00 in the test time zone.
constexpr std::int64_t kWindowNoon = 1773124200;

// A site watching url ("http://NAME.test/" when empty).
SiteRecord TestSite(const std::string& name, bool active, const std::string& url = {});

// Runs the event loop until done holds or limit has passed; returns done().
bool WaitFor(const std::function<bool()>& done,
             std::chrono::seconds limit = std::chrono::seconds(20));

class WindowTest : public ::testing::Test {
  protected:
    // Saves sites named by names (active as given) into the folder's site list.
    void WriteSites(const std::vector<std::pair<std::string, bool>>& sites);
    // Makes the window and runs its start-up.
    void Open();
    // Opens a menu the way the window does: its items as "text/command", "!" marking a checked
    // item and "~" a grayed one, "-" a separator. The next of menuAnswers is chosen.
    std::vector<std::string> Shown(const Menu& menu);
    // The names of the sites in the list view, in order.
    std::vector<std::string> ListNames() const;
    const MainControls& Controls() const { return window->Controls(); }

    TempFolder folder{true};
    ManualClock clock{kWindowNoon};
    ScriptedPrompter prompter;
    std::deque<int> menuAnswers;
    std::vector<std::vector<std::string>> menusShown;
    std::vector<std::filesystem::path> opened;
    // What the window fetches with, and its notifier; a test may set them before Open.
    std::shared_ptr<Downloader> downloader = std::make_shared<HangingDownloader>();
    std::shared_ptr<DesktopNotifier> notifier;
    std::unique_ptr<T_wexfoldDlg> window;
};

}  // namespace wexfold::testing
