#include "Scheduling.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace dshow {

namespace {

// The kernel's scheduling attributes as its first version laid them out
// (glibc names no call for them before 2.41, and the kernel's own header
// clashes with glibc's).
struct SchedAttr {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime; // for the normal policy: the slice asked for (ns)
    uint64_t deadline;
    uint64_t period;
};
static_assert(sizeof(SchedAttr) == 48);
constexpr uint32_t kPolicyNormal = 0;
constexpr uint64_t kResetOnFork = 1;

// Enough for the grabber's copy of a 1080p frame and a sink's short look at
// it; the kernel takes 0.1 to 100 ms.
constexpr uint64_t kSliceNs = 500000;

} // namespace

void RequestPromptWakeUps() {
    SchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0) return;
    if (attr.policy != kPolicyNormal) return;
    attr.size = sizeof attr;
    // The nice value read above is kept; threads this one starts later get
    // the scheduler's defaults, not its short slices.
    attr.flags = kResetOnFork;
    attr.runtime = kSliceNs;
    syscall(SYS_sched_setattr, 0, &attr, 0);
}

} // namespace dshow
