#include "WindowHarness.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRecord.h"
#include "fixtures/ThreadedFetcher.h"

namespace wexfold::testing {

PromptAnswer ScriptedPrompter::Ask(QWidget*, const std::string& caption, const std::string& text,
                                   PromptButtons buttons, PromptIcon icon) {
    asked.push_back({caption, text, buttons, icon});
    if (buttons == PromptButtons::kOk) return PromptAnswer::kOk;
    if (answers.empty()) return PromptAnswer::kNo;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string ScriptedPrompter::ChooseFile(QWidget*, bool save) {
    fileDialogs.push_back(save);
    if (files.empty()) return {};
    const std::string file = files.front();
    files.pop_front();
    return file;
}

FetchOutcome HangingDownloader::Fetch(const std::string&, ProgressSink& sink,
                                      const std::filesystem::path&) {
    while (!sink.StopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    FetchOutcome outcome;
    outcome.result = FetchResult::kFinished;
    outcome.error = "aborted";
    return outcome;
}

WindowTest::WindowTest() : previousFolder(std::filesystem::current_path()) {
    std::filesystem::current_path(folder.Path());
}

WindowTest::~WindowTest() {
    window.reset();
    std::filesystem::current_path(previousFolder);
}

void WindowTest::WriteSites(const std::vector<std::pair<std::string, bool>>& sites) {
    std::vector<SiteRecord> list;
    for (const auto& [name, active] : sites) {
        SiteRecord site = NewSiteRecord();
        std::strncpy(site.name, name.c_str(), SiteRecord::kNameMax);
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "http://%s.test/", name.c_str());
        site.active = active ? 1 : 0;
        site.listImage = active ? 0 : 1;
        list.push_back(site);
    }
    ASSERT_TRUE(SaveSiteList(list));
}

void WindowTest::Open() {
    WindowServices services;
    services.downloader = downloader;
    services.fetcher = std::make_shared<ThreadedFetcher>(downloader);
    services.clock = &clock;
    services.prompter = &prompter;
    services.trayIcon = false;
    services.runMenu = [this](QMenu& menu, const QPoint&) {
        std::vector<ShownItem> items;
        for (const QAction* action : menu.actions()) {
            if (action->isSeparator()) {
                items.push_back({"-", 0, false, true});
            } else {
                items.push_back({action->text().toStdString(), action->data().toInt(),
                                 action->isChecked(), action->isEnabled()});
            }
        }
        menusShown.push_back(items);
        if (menuAnswers.empty()) return 0;
        const int answer = menuAnswers.front();
        menuAnswers.pop_front();
        return answer;
    };
    services.openDocument = [this](const std::filesystem::path& document) {
        opened.push_back(document);
    };
    window = std::make_unique<T_wexfoldDlg>(services);
    window->OnInitDialog();
}

std::vector<ShownItem> WindowTest::Shown(const Menu& menu) {
    const std::size_t before = menusShown.size();
    window->RunMenu(menu, {});
    return menusShown.size() > before ? menusShown.back() : std::vector<ShownItem>{};
}

std::vector<std::string> WindowTest::ListNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->SiteList()->count(); ++i) {
        names.push_back(window->SiteList()->item(i)->text().toStdString());
    }
    return names;
}

}  // namespace wexfold::testing
