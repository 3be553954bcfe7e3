#include "Module_capture_intervals.h"

#include "cls_VideoFile_handler.h"

int32_t Capture_Interval_Table::Largest() const {
    int32_t m = 0;
    for (int32_t k = 1; k <= kLongest; ++k)
        if (count[k] > m) m = count[k];
    return m;
}

Capture_Interval_Table Count_Capture_Intervals(cls_VideoFile_handler& video_file) {
    Capture_Interval_Table table;
    const int32_t frames = video_file.Num_Frames();
    qf3::Sample_Head head{};
    for (int32_t i = 1; i <= frames; ++i) {
        if (!video_file.Read_RGB_sample_head(i, head)) {
            ++table.unreadable;
            continue;
        }
        const int32_t d = head.Capture_Delta;
        if (d <= 0)
            ++table.not_positive;
        else
            ++table.count[d > Capture_Interval_Table::kLongest ? Capture_Interval_Table::kLongest : d];
    }
    return table;
}
