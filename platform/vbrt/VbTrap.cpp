#include "VbTrap.h"

#include <cstdio>
#include <map>

namespace vb {

namespace {
ErrorHandler& handler() {
    static ErrorHandler h;
    return h;
}
std::function<bool()>& enabled() {
    static std::function<bool()> e;
    return e;
}
std::map<int, std::function<void()>>& pumps() {
    static std::map<int, std::function<void()>> p;
    return p;
}
} // namespace

void SetErrorHandler(ErrorHandler h) {
    handler() = std::move(h);
}
void SetTrappingEnabled(std::function<bool()> e) {
    enabled() = std::move(e);
}
bool TrappingEnabled() {
    return enabled() ? enabled()() : true;
}

void ReportError(const VbError& err, const std::string& location, const std::string& extra) {
    if (handler()) {
        handler()(err, location, extra);
        return;
    }
    std::fprintf(stderr, "Error %d (%s) in %s %s\n", err.number(), err.description().c_str(),
                 location.c_str(), extra.c_str());
}

void DoEvents() {
    // A pump may add or remove pumps; walk a copy.
    const auto copy = pumps();
    for (const auto& [id, pump] : copy)
        pump();
}

int AddEventPump(std::function<void()> pump) {
    static int next = 1;
    const int id = next++;
    pumps()[id] = std::move(pump);
    return id;
}

void RemoveEventPump(int id) {
    pumps().erase(id);
}

} // namespace vb
