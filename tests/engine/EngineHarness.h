// The engine with everything around it for tests: a recording view, a scripted downloader,
// real log files in a temporary folder and a clock that stands still.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/EngineView.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/logs/Clock.h"
#include "core/logs/EventLog.h"
#include "engine/ScriptedDownloader.h"
#include "fixtures/TempFolder.h"
#include "fixtures/ThreadedFetcher.h"

namespace wexfold::testing {

class RecordingView final : public EngineView {
public:
    struct Event {
        int site;
        std::string text;
    };

    void SiteEvent(int siteIndex, const std::string& text) override {
        events.push_back({siteIndex, text});
    }
    void ShowDetailText(const std::string& text) override { details.push_back(text); }
    void SetListImage(int siteIndex, std::uint32_t image) override {
        images.push_back({siteIndex, std::to_string(image)});
    }
    void RedrawSiteList() override { ++redraws; }
    void PaintAlert(const AlertPaint& paint) override { alerts.push_back(paint); }
    bool SpeedGraphVisible() const override { return graphVisible; }
    void DrawSpeedGraph(std::uint32_t bytes) override { graphBytes.push_back(bytes); }
    void ShowWarning(const char* text) override { warnings.emplace_back(text); }

    // The texts of one site's events, in order.
    std::vector<std::string> EventsOf(int site) const;
    // How many events of a site begin with the given text.
    int CountOf(int site, const std::string& prefix) const;

    std::vector<Event> events;
    std::vector<std::string> details;
    std::vector<Event> images;
    int redraws = 0;
    std::vector<AlertPaint> alerts;
    bool graphVisible = false;
    std::vector<std::uint32_t> graphBytes;
    std::vector<std::string> warnings;
};

// A site for the engine: active, http://<host>/, ten seconds, logging as given.
SiteRecord TestSite(const char* name, const char* host, std::uint8_t logAllDetail = 1);

// 2026-03-10 12:00:00 in the test time zone (Asia/Kolkata).
constexpr std::int64_t kNoon = 1773124200;

class EngineTest : public ::testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    // Builds the engine over the sites added so far and opens their logs.
    void StartEngine();

    // Runs hand-over tasks until done() holds or two seconds have passed; false on timeout.
    bool PumpUntil(const std::function<bool()>& done);

    // Runs until every check has ended and its end been handled.
    bool PumpUntilIdle();

    // The bytes stored in a site's log file for today.
    std::string LogOf(const SiteRecord& site);

    TempFolder folder;
    ManualClock clock{kNoon};
    std::vector<SiteRecord> sites;
    std::unique_ptr<EventLog> log;
    RecordingView view;
    std::shared_ptr<ScriptedDownloader> downloader;
    std::shared_ptr<SyncHandover> handover;
    std::unique_ptr<MonitorEngine> engine;
};

}  // namespace wexfold::testing
