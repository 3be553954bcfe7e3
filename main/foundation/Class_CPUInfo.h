#pragma once
// One snapshot of the system-information record, taken at creation.
#include <cstdint>

class Class_CPUInfo {
public:
    Class_CPUInfo();
    int32_t ProcessorType() const { return processor_type_; }
    int32_t NumberOrfProcessors() const { return number_of_processors_; }
    int32_t MaximumApplicationAddress() const { return maximum_application_address_; }
    int32_t MinimumApplicationAddress() const { return minimum_application_address_; }
    int32_t PageSize() const { return page_size_; }
    int32_t OemID() const { return oem_id_; }
    int32_t Reserved() const { return reserved_; }
    int32_t AllocationGranularity() const { return allocation_granularity_; }
    int32_t ActiveProcessorMask() const { return active_processor_mask_; }
    // The nominal processor clock in MHz; 0 when the machine does not tell.
    int32_t GetCPUSpeed() const;

private:
    int32_t oem_id_, page_size_, minimum_application_address_, maximum_application_address_,
        active_processor_mask_, number_of_processors_, processor_type_, allocation_granularity_, reserved_;
};
