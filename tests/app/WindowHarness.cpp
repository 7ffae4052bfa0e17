#include "WindowHarness.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <cstring>
#include <thread>

namespace wexfold::testing {
namespace {

// One QApplication for every test of the program, made before the first test runs.
struct QtEnvironment final : ::testing::Environment {
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
    int argc = 1;
    char* argv[2] = {const_cast<char*>("wexfold_app_tests"), nullptr};
    std::unique_ptr<QApplication> app;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

template <typename T>
T Next(std::deque<T>& queue, T none) {
    if (queue.empty()) return none;
    T next = queue.front();
    queue.pop_front();
    return next;
}

}  // namespace

PromptAnswer ScriptedPrompter::Ask(QWidget* owner, const std::string& caption,
                                   const std::string& text, PromptButtons buttons,
                                   PromptIcon icon) {
    const QWidget* shown = owner != nullptr ? owner->window() : nullptr;
    asked.push_back(
        {caption, text, buttons, icon, shown && shown->isVisible() && !shown->isMinimized()});
    return buttons == PromptButtons::kOk ? PromptAnswer::kOk : Next(answers, PromptAnswer::kNo);
}

std::string ScriptedPrompter::ChooseFile(QWidget*, bool) {
    return Next(files, std::string());
}

FetchOutcome HangingDownloader::Fetch(const std::string&, ProgressSink& sink,
                                      const std::filesystem::path&) {
    while (!sink.StopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    FetchOutcome outcome;
    outcome.result = FetchResult::kFinished;
    return outcome;
}

SiteRecord TestSite(const std::string& name, bool active, const std::string& url) {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name.c_str(), SiteRecord::kNameMax);
    const std::string address = url.empty() ? "http://" + name + ".test/" : url;
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", address.c_str());
    site.active = active;
    site.listImage = !active;
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
    services.fetcher = std::make_shared<ThreadedFetcher>(downloader);
    services.clock = &clock;
    services.prompter = &prompter;
    services.trayIcon = false;
    services.notifier = notifier;
    services.runMenu = [this](QMenu& menu, const QPoint&) {
        menusShown.emplace_back();
        for (const QAction* action : menu.actions()) {
            menusShown.back().push_back(action->text().toStdString() + "/" +
                                        action->data().toString().toStdString() +
                                        (action->isChecked() ? "!" : ""));
        }
        return Next(menuAnswers, 0);
    };
    services.openDocument = [this](const std::filesystem::path& file) { opened.push_back(file); };
    window = std::make_unique<T_wexfoldDlg>(services);
    window->OnInitDialog();
}

std::vector<std::string> WindowTest::ListNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->SiteList()->count(); ++i) {
        names.push_back(window->SiteList()->item(i)->text().toStdString());
    }
    return names;
}

}  // namespace wexfold::testing
