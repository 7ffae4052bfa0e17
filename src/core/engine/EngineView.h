// What the engine tells the window (or the headless mode) about: it paints, the engine decides.
#pragma once

#include <cstdint>
#include <string>

#include "core/engine/AlertState.h"

namespace wexfold {

class EngineView {
  public:
    virtual ~EngineView() = default;
    // Every event text of a site as it is made (status, results, interval and speed lines).
    virtual void SiteEvent(int siteIndex, const std::string& text) = 0;
    // The Statistics page's detail box.
    virtual void ShowDetailText(const std::string& text) = 0;
    // A site's row image in the list, and a redraw of the list after the animation step.
    virtual void SetListImage(int siteIndex, std::uint32_t image) = 0;
    virtual void RedrawSiteList() = 0;
    // The connection-lost alert at its current step.
    virtual void PaintAlert(const AlertPaint& paint) = 0;
    // The speed graph: whether it is on screen, and one second's bytes of the page's site.
    virtual bool SpeedGraphVisible() const = 0;
    virtual void DrawSpeedGraph(std::uint32_t bytes) = 0;
    // A "Warning" message box with an OK button.
    virtual void ShowWarning(const char* text) = 0;
    // A check of the site ended: its SiteHealth has the new verdict.
    virtual void HealthChanged(int /*siteIndex*/) {}
};

// A view without a window: nothing to paint and no graph on screen. The modes and programs
// that only follow the events (headless, tests, benchmarks) override what they use.
class WindowlessView : public EngineView {
  public:
    void SiteEvent(int, const std::string&) override {}
    void ShowDetailText(const std::string&) override {}
    void SetListImage(int, std::uint32_t) override {}
    void RedrawSiteList() override {}
    void PaintAlert(const AlertPaint&) override {}
    bool SpeedGraphVisible() const override { return false; }
    void DrawSpeedGraph(std::uint32_t) override {}
    void ShowWarning(const char*) override {}
};

}  // namespace wexfold
