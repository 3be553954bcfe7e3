#include "Class_CPUInfo.h"

#include "SysInfo.h"

Class_CPUInfo::Class_CPUInfo() {
    const auto s = sysinfo::GetSystemInfo();
    // The record's words are 32 bits wide; wider addresses keep their low word.
    oem_id_ = s.oem_id;
    page_size_ = s.page_size;
    minimum_application_address_ = static_cast<int32_t>(s.minimum_application_address);
    maximum_application_address_ = static_cast<int32_t>(s.maximum_application_address);
    active_processor_mask_ = static_cast<int32_t>(s.active_processor_mask);
    number_of_processors_ = s.number_of_processors;
    processor_type_ = s.processor_type;
    allocation_granularity_ = s.allocation_granularity;
    reserved_ = s.level_and_revision;
}

int32_t Class_CPUInfo::GetCPUSpeed() const {
    return sysinfo::ProcessorMHz();
}
