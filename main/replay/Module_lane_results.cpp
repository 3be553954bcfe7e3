#include "Module_lane_results.h"

#include "Lane_Collection.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Program_Windows.h"
#include "VbTrap.h"
#include "cls_VideoFile_handler.h"

#include <memory>
#include <utility>

namespace {
std::unique_ptr<cls_VideoFile_handler> replay_video_file;
}

cls_VideoFile_handler& Replay_Video_File() {
    if (!replay_video_file) replay_video_file = std::make_unique<cls_VideoFile_handler>();
    return *replay_video_file;
}

cls_VideoFile_handler* Replay_Video_File_If_Any() {
    return replay_video_file.get();
}

bool Replay_File_Open() {
    return replay_video_file && replay_video_file->File_open();
}

void Release_Replay_Video_File() {
    if (replay_video_file) replay_video_file->Close_File();
    replay_video_file.reset();
}

void Lane_Active_Heat_Array_Sort() {
    auto& a = Lane_Active_Heat_Array;
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int32_t p = a.LBound; p < a.UBound; ++p) {
            const Lane_Result_Record& here = a[p];
            const Lane_Result_Record& next = a[p + 1];
            // Strict comparisons only: records equal in both keys keep their order.
            if (next.result < here.result ||
                (next.result == here.result && next.click_time < here.click_time)) {
                std::swap(a[p], a[p + 1]);
                swapped = true;
            }
        }
    }
}

int16_t Find_Place(int32_t lane) {
    int16_t place = 0;
    vb::Trap("Find_Place of Module Module_Tidewick", [&] {
        const int32_t n = Lane_Collection().Count();
        for (int32_t i = 1; i <= n; ++i) {
            if (Lane_Active_Heat_Array[i].lane == lane) {
                place = static_cast<int16_t>(i);
                return;
            }
        }
    });
    return place;
}

int16_t Lane_To_Place(int16_t lane) {
    int16_t place = 0;
    vb::Trap("Lane_To_Place of Module Module_Tidewick", [&] {
        for (int32_t i = Lane_Active_Heat_Array.LBound; i <= Lane_Active_Heat_Array.UBound; ++i) {
            const Lane_Result_Record& r = Lane_Active_Heat_Array[i];
            if (r.lane == lane) {
                if (r.result < Result_Disqualified) place = static_cast<int16_t>(i);
                return;
            }
        }
    });
    return place;
}

void Clear_All_Results() {
    vb::Trap("Clear_All_Results of Module Module_Tidewick", [] {
        for (int32_t i = Lane_Result_Array.LBound; i <= Lane_Result_Array.UBound; ++i) {
            // 0, not Result_None: 0 is the header's value for "no result".
            Lane_Result_Array[i].result = 0;
            Lane_Result_Array[i].click_time = 0;
            Lane_Result_Array[i].goal_field = 0;
        }
        // No object yet means no file open; asking must not create one.
        if (Replay_File_Open()) Update_File_from_Array();
        Call_Connected(On_Complete_Result_Array);
    });
}

void Update_File_from_Array() {
    vb::Trap("Update_File_from_Array of Module Module_Tidewick", [] {
        cls_VideoFile_handler& vf = Replay_Video_File();
        for (int16_t lane = 0; lane <= 15; ++lane) {
            const Lane_Result_Record& r = Lane_Result_Array[lane];
            vf.Heat_result(1, lane, r.result);
            vf.Heat_Clicktime(1, lane, r.click_time);
            vf.Heat_Goalfield(1, lane, r.goal_field);
        }
        vf.Write_XML_Header();
    });
}

void Clear_Lane_Objects() {
    vb::Trap("Clear_Lane_Objects of Module Module_Tidewick", [] {
        const Lane_Mark_Collection& marks = Lane_Collection();
        for (int32_t i = 1; i <= marks.Count(); ++i)
            marks.Item(i).time(0);
    });
}

std::string Heat_number_from_Filename(const std::string& file_name) {
    std::string number;
    vb::Trap("Heat_number_from_Filename of Module Module_Tidewick", [&] {
        size_t p = file_name.rfind("Heat");
        if (p == std::string::npos) p = file_name.rfind("heat");
        if (p == std::string::npos) return;
        const size_t q = file_name.find('_', p);
        if (q == std::string::npos) return;
        number = file_name.substr(p + 4, q - (p + 4));
    });
    return number;
}

void Load_Event_name() {
    vb::Trap("Load_Event_name of Module Module_Tidewick",
             [] { g_Event_Name = Read_Ini("Canoe", "event_name", g_Ini_File_Path, "NOEVENT"); });
}

int16_t Display_mill_hms(const std::string& part, int32_t mill) {
    constexpr int32_t kDay = 86400000;
    int32_t r = mill % kDay;
    const int32_t h = r / 3600000;
    r -= h * 3600000;
    const int32_t m = r / 60000;
    r -= m * 60000;
    const int32_t s = r / 1000;
    const int32_t ms = r - s * 1000;
    // Rounded down, not to the nearest: 995..999 ms stay 99 hundredths of
    // the same second instead of a 100 that would belong to the next one.
    const int32_t t = ms >= 0 ? ms / 10 : -((-ms + 9) / 10);
    if (part == "h") return static_cast<int16_t>(h);
    if (part == "m") return static_cast<int16_t>(m);
    if (part == "s") return static_cast<int16_t>(s);
    if (part == "t") return static_cast<int16_t>(t);
    return 0;
}
