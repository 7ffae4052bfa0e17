// A main window over a private folder, with answers to its questions and menus scripted, and
// the widgets its tests read.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/logs/Clock.h"
#include "core/sites/SiteListFile.h"
#include "fixtures/TempFolder.h"
#include "fixtures/ThreadedFetcher.h"

namespace wexfold::testing {

// Answers questions from a queue (No when it is empty), file dialogs from another (none when
// it is empty), and keeps what was asked and whether the asking window was on screen.
struct ScriptedPrompter final : Prompter {
    struct Question {
        std::string caption, text;
        PromptButtons buttons;
        PromptIcon icon;
        bool ownerShown;
    };
    PromptAnswer Ask(QWidget* owner, const std::string& caption, const std::string& text,
                     PromptButtons buttons, PromptIcon icon) override;
    std::string ChooseFile(QWidget* owner, bool save) override;

    std::deque<PromptAnswer> answers;
    std::deque<std::string> files;
    std::vector<Question> asked;
};

// A fetch that reports nothing and ends only when it is stopped.
struct HangingDownloader final : Downloader {
    FetchOutcome Fetch(const std::string& url, ProgressSink& sink,
                       const std::filesystem::path& destination) override;
};

// A site watching url ("http://NAME.test/" when empty).
SiteRecord TestSite(const std::string& name, bool active, const std::string& url = {});

// Runs the event loop until done holds or limit has passed; returns done().
bool WaitFor(const std::function<bool()>& done,
             std::chrono::seconds limit = std::chrono::seconds(20));

class WindowTest : public ::testing::Test {
  protected:
    void WriteSites(const std::vector<std::pair<std::string, bool>>& sites);
    void Open();
    std::vector<std::string> ListNames() const;
    const MainControls& Controls() const { return window->Controls(); }

    TempFolder folder{true};
    ManualClock clock{1773124200};  // 2026-03-10 12:00:00 in the test time zone
    ScriptedPrompter prompter;
    // Menus open as the window opens them; each is kept as "text/command" items, "!" marking a
    // checked one, a separator "/", and the next of menuAnswers is chosen.
    std::deque<int> menuAnswers;
    std::vector<std::vector<std::string>> menusShown;
    std::vector<std::filesystem::path> opened;
    // What the window fetches with, and its notifier; a test may set them before Open.
    std::shared_ptr<Downloader> downloader = std::make_shared<HangingDownloader>();
    std::shared_ptr<DesktopNotifier> notifier;
    std::unique_ptr<T_wexfoldDlg> window;
};

}  // namespace wexfold::testing
