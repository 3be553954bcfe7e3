#include "Cls_memory_status.h"

#include "SysInfo.h"

#include <algorithm>
#include <limits>

void Cls_memory_status::get_phys() {
    // The figures are 32-bit: machines with more than 2 GiB free read as 2 GiB - 1.
    sysinfo::MEMORYSTATUS status;
    sysinfo::GlobalMemoryStatus(&status);
    const int32_t v =
        static_cast<int32_t>(std::min<int64_t>(status.dwAvailPhys, std::numeric_limits<int32_t>::max()));
    last_phys_ = v;
    if (initial_phys_ == 0) initial_phys_ = v;
    if (min_phys_ == 0) min_phys_ = v;
    if (v < min_phys_) min_phys_ = v;
}
