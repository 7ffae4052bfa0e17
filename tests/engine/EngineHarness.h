// The engine with everything around it for tests: a recording view, real log files in a
// temporary folder, a clock that stands still, and checks run by libcurl.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "core/engine/CurlFetchLoop.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/logs/EventLog.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

class RecordingView final : public EngineView {
  public:
    void SiteEvent(int site, const std::string& text) override { events.push_back({site, text}); }
    void ShowDetailText(const std::string& text) override { details.push_back(text); }
    void SetListImage(int, std::uint32_t image) override { images.push_back(image); }
    void RedrawSiteList() override { ++redraws; }
    void PaintAlert(const AlertPaint& paint) override { alerts.push_back(paint); }
    bool SpeedGraphVisible() const override { return graphVisible; }
    void DrawSpeedGraph(std::uint32_t bytes) override { graphBytes.push_back(bytes); }
    void ShowWarning(const char*) override {}

    std::vector<std::string> EventsOf(int site) const {
        std::vector<std::string> texts;
        for (const auto& [of, text] : events) {
            if (of == site) texts.push_back(text);
        }
        return texts;
    }
    // How many events of a site begin with prefix.
    int CountOf(int site, const std::string& prefix) const {
        int count = 0;
        for (const auto& text : EventsOf(site)) count += text.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }

    std::vector<std::pair<int, std::string>> events;
    std::vector<std::string> details;
    std::vector<std::uint32_t> images;
    int redraws = 0;
    std::vector<AlertPaint> alerts;
    bool graphVisible = false;
    std::vector<std::uint32_t> graphBytes;
};

// An active site fetching url once an hour, every detail logged.
inline SiteRecord SiteAt(const char* name, const std::string& url) {
    SiteRecord site = NewSiteRecord();
    std::snprintf(site.name, sizeof site.name, "%s", name);
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", url.c_str());
    site.active = site.logEnabled = site.logAllDetail = 1;
    site.intervalSeconds = 3600;
    return site;
}

// 2026-03-10 12:00:00 in the test time zone (Asia/Kolkata).
constexpr std::int64_t kNoon = 1773124200;

class EngineTest : public ::testing::Test {
  protected:
    ~EngineTest() override {
        if (engine) engine->Shutdown(std::chrono::seconds(5));
    }

    // Builds the engine over the sites added so far, opens their logs and starts the active
    // sites' checks.
    void StartEngine(CurlLimits limits = {}) {
        log = std::make_unique<EventLog>(clock, sites, folder.Path());
        for (SiteRecord& site : sites) log->OpenSiteLog(site);
        engine = std::make_unique<MonitorEngine>(
            sites, *log, view, std::make_shared<CurlFetchLoop>(std::move(limits)), handover);
        engine->ControlMonitor(kAllSites, true);
    }

    // Runs hand-over tasks until done() holds or the limit has passed; false on timeout.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::seconds limit = std::chrono::seconds(5)) {
        EventLoop(*handover).Run(limit, done);
        return done();
    }

    // The bytes stored in a site's log file for today.
    std::string LogOf(const SiteRecord& site) const {
        return FileText(log->LogRoot() / site.name / log->DateText(DateKind::kTodayName));
    }

    TempFolder folder;
    ManualClock clock{kNoon};
    std::vector<SiteRecord> sites;
    std::unique_ptr<EventLog> log;
    RecordingView view;
    std::shared_ptr<SyncHandover> handover = std::make_shared<SyncHandover>();
    std::unique_ptr<MonitorEngine> engine;
};

}  // namespace wexfold::testing
