#include "core/engine/SiteMonitor.h"

namespace wexfold {

bool urlCallback::Deliver(const ProgressReport* report) {
    if (!handover || !deliver) return false;
    return handover->Send([&] { deliver(report); });
}

bool urlCallback::Closing() const {
    return handover && handover->Closed();
}

bool urlCallback::OnProgress(const ProgressReport& report) {
    if (mode.load() == MONITOR_STOPPED) return false;
    Deliver(&report);
    if (cancelEvent && cancelEvent->load()) {
        Deliver(nullptr);
        return false;
    }
    return !Closing();
}

bool urlCallback::StopRequested() {
    return mode.load() == MONITOR_STOPPED || Closing() || (cancelEvent && cancelEvent->load());
}

}  // namespace wexfold
