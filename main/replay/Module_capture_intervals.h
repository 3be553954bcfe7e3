#pragma once
// The capture intervals of a heat: how many frames came k milliseconds after
// the frame before, read from the record heads alone (no picture is read).
#include <array>
#include <cstdint>

class cls_VideoFile_handler;

struct Capture_Interval_Table {
    static constexpr int32_t kLongest = 100; // every interval of 100 ms or more counts here
    // Counters 1 to 100 (element 0 stays 0).
    std::array<int32_t, kLongest + 1> count{};
    // Intervals of 0 ms or less: no counter of the table, so no bar either.
    int32_t not_positive = 0;
    // Frames whose record head could not be read (a damaged or cut file).
    int32_t unreadable = 0;
    // The largest counter, 0 when all are 0.
    int32_t Largest() const;
};

// The table of the open file's frames 1 to Num_Frames.
Capture_Interval_Table Count_Capture_Intervals(cls_VideoFile_handler& video_file);
