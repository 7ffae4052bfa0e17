#include "WindowHarness.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <cstring>
#include <thread>

#include "core/sites/SiteListFile.h"

namespace wexfold::testing {
namespace {

// One QApplication for every test of the program, made before the first test runs.
struct QtEnvironment final : ::testing::Environment {
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
    int argc = 1;
    char name[18] = "wexfold_app_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

PromptAnswer ScriptedPrompter::Ask(QWidget* owner, const std::string& caption,
                                   const std::string& text, PromptButtons buttons,
                                   PromptIcon icon) {
    const QWidget* shown = owner != nullptr ? owner->window() : nullptr;
    asked.push_back({caption, text, icon, shown && shown->isVisible() && !shown->isMinimized()});
    if (buttons == PromptButtons::kOk) return PromptAnswer::kOk;
    if (answers.empty()) return PromptAnswer::kNo;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string ScriptedPrompter::ChooseFile(QWidget*, bool) {
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

SiteRecord TestSite(const std::string& name, bool active, const std::string& url) {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name.c_str(), SiteRecord::kNameMax);
    const std::string address = url.empty() ? "http://" + name + ".test/" : url;
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", address.c_str());
    site.active = active ? 1 : 0;
    site.listImage = active ? 0 : 1;
    return site;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

void WindowTest::WriteSites(const std::vector<std::pair<std::string, bool>>& sites) {
    std::vector<SiteRecord> list;
    for (const auto& [name, active] : sites) list.push_back(TestSite(name, active));
    ASSERT_TRUE(SaveSiteList(list));
}

void WindowTest::Open() {
    WindowServices services;
    services.downloader = downloader;
    services.clock = &clock;
    services.prompter = &prompter;
    services.trayIcon = false;
    services.notifier = notifier;
    services.runMenu = [this](QMenu& menu, const QPoint&) {
        std::vector<std::string> items;
        for (const QAction* action : menu.actions()) {
            items.push_back(action->isSeparator() ? "-"
                                                  : action->text().toStdString() + "/" +
                                                        action->data().toString().toStdString() +
                                                        (action->isChecked() ? "!" : "") +
                                                        (action->isEnabled() ? "" : "~"));
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

std::vector<std::string> WindowTest::Shown(const Menu& menu) {
    const std::size_t before = menusShown.size();
    window->RunMenu(menu, {});
    return menusShown.size() > before ? menusShown.back() : std::vector<std::string>{};
}

std::vector<std::string> WindowTest::ListNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->SiteList()->count(); ++i) {
        names.push_back(window->SiteList()->item(i)->text().toStdString());
    }
    return names;
}

}  // namespace wexfold::testing
