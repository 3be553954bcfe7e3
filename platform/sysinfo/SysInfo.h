#pragma once
// Facts of the machine, read from /proc, /sys and /etc/os-release under a
// root folder that tests point at a fake tree.
#include <cstdint>
#include <string>
#include <vector>

namespace sysinfo {

// "" or "/" is the real machine; anything else a folder holding proc/, sys/, etc/.
void set_root(const std::string& root);
const std::string& root();

// The system-information record: processor type (586, 8664, ...), number of
// processors, page size, allocation granularity and the rest of its words.
struct SystemInfo {
    int32_t oem_id = 0;
    int32_t page_size = 0;
    int64_t minimum_application_address = 0;
    int64_t maximum_application_address = 0;
    int64_t active_processor_mask = 0;
    int32_t number_of_processors = 0;
    int32_t processor_type = 0;
    int32_t allocation_granularity = 0;
    int32_t level_and_revision = 0;
};
SystemInfo GetSystemInfo();

// Nominal processor clock in MHz; 0 when the machine does not tell.
int32_t ProcessorMHz();

// One entry per physical processor package, in the machine's order.
struct Processor {
    int32_t address_width = 0; // bits of the operating system's addresses
    int32_t data_width = 0;    // bits the processor handles natively
};
std::vector<Processor> Processors();

// The operating system's caption (PRETTY_NAME); empty when not known.
std::string OperatingSystemCaption();

// Maker and model of the computer; empty when not known.
std::string Manufacturer();
std::string Model();

// The memory status record; only the available physical memory is read.
struct MEMORYSTATUS {
    int64_t dwAvailPhys = 0; // bytes
};
void GlobalMemoryStatus(MEMORYSTATUS* status);

} // namespace sysinfo
