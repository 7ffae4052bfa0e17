// The speed graph's history: the last 22 per-second samples of the Statistics page's site,
// scaled into a 100-pixel-high graph.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace wexfold {

class SpeedHistory {
  public:
    static constexpr std::size_t kSamples = 22;

    struct Point {
        int x;
        int y;
    };

    // The page's site changed: the graph starts afresh.
    void Clear();

    // One second's bytes of the page's site.
    void AddSample(std::uint32_t bytes);

    // "%dkb/s" with the last non-zero speed.
    std::string Label() const;
    int LastSpeedKb() const { return lastSpeedKb_; }

    // Sample heights, newest first: 100 is zero speed, 0 full height.
    const std::deque<int>& Heights() const { return heights_; }

    // The line to draw: from (210, 100) to each sample, newest at x = 211, 10 pixels apart.
    std::vector<Point> Polyline() const;

  private:
    std::deque<int> heights_;
    int lastSpeedKb_ = 0;
};

}  // namespace wexfold
