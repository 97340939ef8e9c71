// Named platform events: registrations, raised events, and running them at dispatch.
#include <algorithm>

#include "platform/vorn.h"

void Platform::when(const DataUnit& event, const Callback& callback) {
    registrations.push_back(Registration{event.str(), callback});
}

void Platform::raise(const char* event) {
    if (!event) return;
    if (std::find(pending.begin(), pending.end(), event) == pending.end()) pending.emplace_back(event);
}

int Platform::run_pending() {
    // Callbacks may raise, register or dispatch again: work on copies taken first.
    std::vector<std::string> events;
    events.swap(pending);
    int ran = 0;
    for (const std::string& event : events) {
        std::vector<Callback> due;
        for (const Registration& r : registrations)
            if (r.event == event) due.push_back(r.callback);
        for (const Callback& cb : due) {
            cb.invoke(nullptr);
            ++ran;
        }
    }
    return ran;
}

void Platform::clear() {
    registrations.clear();
    pending.clear();
}
