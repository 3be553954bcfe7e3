#pragma once
// Available physical memory: the first, the lowest and the latest reading.
#include <cstdint>

class Cls_memory_status {
public:
    int32_t min_phys() const { return min_phys_; }
    int32_t initial_phys() const { return initial_phys_; }
    int32_t last_phys() const { return last_phys_; }
    // Takes a new reading and updates the three figures.
    void get_phys();

private:
    int32_t min_phys_ = 0, initial_phys_ = 0, last_phys_ = 0;
};
