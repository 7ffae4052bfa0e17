#include "core/engine/SiteMonitor.h"

namespace wexfold {

bool urlCallback::Deliver(const ProgressReport* report) {
    if (!handover || !deliver) return false;
    return handover->Send([&] { deliver(report); });
}

bool urlCallback::Closing() const { return handover && handover->Closed(); }

bool urlCallback::OnProgress(const ProgressReport& report) {
    const std::uint16_t current = mode.load();
    if (current == MONITOR_STOPPED) return false;
    Deliver(&report);
    if (current == MONITOR_RUNNING) return mode.load() != MONITOR_STOPPED && !Closing();
    if (cancelEvent && cancelEvent->load()) {
        Deliver(nullptr);
        return false;
    }
    return !Closing();
}

bool urlCallback::StopRequested() {
    const std::uint16_t current = mode.load();
    if (current == MONITOR_STOPPED || Closing()) return true;
    return current != MONITOR_RUNNING && cancelEvent && cancelEvent->load();
}

}  // namespace wexfold
