#include "engine/EngineHarness.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace wexfold::testing {

std::vector<std::string> RecordingView::EventsOf(int site) const {
    std::vector<std::string> texts;
    for (const Event& event : events) {
        if (event.site == site) texts.push_back(event.text);
    }
    return texts;
}

int RecordingView::CountOf(int site, const std::string& prefix) const {
    int count = 0;
    for (const Event& event : events) {
        if (event.site == site && event.text.rfind(prefix, 0) == 0) ++count;
    }
    return count;
}

SiteRecord TestSite(const char* name, const char* host, std::uint8_t logAllDetail) {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name, SiteRecord::kNameMax);
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "http://%s/", host);
    site.active = 1;
    site.logEnabled = 1;
    site.logAllDetail = logAllDetail;
    return site;
}

EngineTest::EngineTest()
    : downloader(std::make_shared<ScriptedDownloader>()),
      handover(std::make_shared<SyncHandover>()) {
    downloader->SetDefault(AnsweredFetch());
}

EngineTest::~EngineTest() {
    if (engine) engine->Shutdown(std::chrono::seconds(5));
}

void EngineTest::StartEngine() {
    log = std::make_unique<EventLog>(clock, sites, folder.Path());
    for (SiteRecord& site : sites) log->OpenSiteLog(site);
    engine = std::make_unique<MonitorEngine>(
        sites, *log, view, std::make_shared<ThreadedFetcher>(downloader), handover);
}

bool EngineTest::PumpUntil(const std::function<bool()>& done) {
    EventLoop loop(*handover);
    loop.Run(std::chrono::seconds(2), done);
    return done();
}

bool EngineTest::PumpUntilIdle() {
    return PumpUntil([this] {
        for (int i = 0; i < engine->MonitorCount(); ++i) {
            if (!engine->Monitor(i).checks.empty()) return false;
        }
        return engine->FetchesInFlight() == 0;
    });
}

std::string EngineTest::LogOf(const SiteRecord& site) {
    const std::string day = log->DateText(DateKind::kTodayName);
    std::ifstream in(log->LogRoot() / site.name / day, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace wexfold::testing
