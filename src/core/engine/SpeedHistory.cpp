#include "core/engine/SpeedHistory.h"

#include <algorithm>

#include "core/text/TextFormat.h"

namespace wexfold {

void SpeedHistory::Clear() {
    heights_.clear();
    lastSpeedKb_ = 0;
}

void SpeedHistory::AddSample(std::uint32_t bytes) {
    int kb = static_cast<int>(bytes / 1024);
    if (kb != 0) lastSpeedKb_ = kb;
    if (kb > 100) {
        // A fast second shrinks the whole history by the factor s, so the new point fits.
        const int s = kb / 100;
        kb = static_cast<int>(static_cast<double>(kb) / s);
        for (int& y : heights_) {
            y = y >= 100 ? 100 : 100 - static_cast<int>((100 - y) / static_cast<double>(s));
        }
    }
    if (heights_.size() == kSamples) heights_.pop_back();
    heights_.push_front(100 - std::min(kb, 100));
}

std::string SpeedHistory::Label() const {
    return FormatText("%dkb/s", lastSpeedKb_);
}

std::vector<SpeedHistory::Point> SpeedHistory::Polyline() const {
    std::vector<Point> points{{210, 100}};
    for (std::size_t i = 0; i < heights_.size(); ++i) {
        points.push_back({211 - 10 * static_cast<int>(i), heights_[i]});
    }
    return points;
}

}  // namespace wexfold
