// A main window over a private folder, with answers to its questions and menus scripted.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/logs/Clock.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

// Answers questions from a queue (No when it is empty) and keeps what was asked.
class ScriptedPrompter final : public Prompter {
  public:
    struct Question {
        std::string caption;
        std::string text;
        PromptButtons buttons;
        PromptIcon icon;
        bool ownerShown;  // the window asking was on screen, not minimised
    };

    PromptAnswer Ask(QWidget* owner, const std::string& caption, const std::string& text,
                     PromptButtons buttons, PromptIcon icon) override;
    // Hands out the files queued in files, empty when none is left.
    std::string ChooseFile(QWidget* owner, bool save) override;

    std::deque<PromptAnswer> answers;
    std::deque<std::string> files;
    std::vector<bool> fileDialogs;  // true for each save dialog shown
    std::vector<Question> asked;
};

// An item of a menu as the user saw it.
struct ShownItem {
    std::string text;
    int command;
    bool checked;
    bool enabled;
    bool operator==(const ShownItem&) const = default;
};

// A fetch that reports nothing and ends only when it is stopped.
class HangingDownloader final : public Downloader {
  public:
    FetchOutcome Fetch(const std::string& url, ProgressSink& sink,
                       const std::filesystem::path& destination) override;
};

// 2026-03-10 12:00:00 in the test time zone.
constexpr std::int64_t kWindowNoon = 1773124200;

class WindowTest : public ::testing::Test {
  protected:
    WindowTest();
    ~WindowTest() override;

    // Saves sites named by names (active as given) into the folder's site list.
    void WriteSites(const std::vector<std::pair<std::string, bool>>& sites);
    // Makes the window and runs its start-up.
    void Open();
    // Opens a menu the way the window does and answers it with command (0: close it).
    std::vector<ShownItem> Shown(const Menu& menu);
    // The names of the sites in the list view, in order.
    std::vector<std::string> ListNames() const;

    TempFolder folder;
    std::filesystem::path previousFolder;
    ManualClock clock{kWindowNoon};
    ScriptedPrompter prompter;
    std::deque<int> menuAnswers;
    std::vector<std::vector<ShownItem>> menusShown;
    std::vector<std::filesystem::path> opened;
    // What the window fetches with, and its notifier; a test may set them before Open.
    std::shared_ptr<Downloader> downloader = std::make_shared<HangingDownloader>();
    std::shared_ptr<DesktopNotifier> notifier;
    std::unique_ptr<T_wexfoldDlg> window;
};

}  // namespace wexfold::testing
