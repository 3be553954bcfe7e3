#include "Module_lane_overlay.h"

#include "Lane_Collection.h"
#include "Module_dependant.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbString.h"
#include "VbTrap.h"
#include "Wexel_WuLines.h"
#include "cDIBSection.h"
#include "modAPIDraw.h"

#include <memory>
#include <string>

namespace {

constexpr int32_t kLane_Count = 16;

int32_t Key() {
    return static_cast<int32_t>(g_Overlay_Key_Colour);
}

// One four-character group of the "Lanes" text; empty when the text ends
// before it.
std::string Group(const std::string& s, int64_t start) {
    if (start > static_cast<int64_t>(s.size())) return {};
    return vb::Mid(s, start, 4);
}

} // namespace

cDIBSection& Overlay_DIB() {
    static cDIBSection* dib = new cDIBSection; // lives as long as the program
    return *dib;
}

void Clear_Graphics() {
    vb::Trap("Clear_Graphics of Form Frm_kanot", [] {
        cDIBSection& o = Overlay_DIB();
        Rectangle_With_Pen_Brush(o.hDC(), {0, 0}, {o.Width(), o.Height()}, Key(), 0, BS_SOLID, gdi::PS_SOLID,
                                 1, Key());
    });
}

void Draw_lanes(bool flip) {
    vb::Trap("Draw_lanes of Form Frm_kanot", [&] {
        Lane_Mark_Collection& lanes = Lane_Collection();
        if (!g_Show_Lanes || lanes.Count() < 1) return;
        for (int32_t i = 1; i <= g_Num_Lanes_Shown; ++i)
            lanes.Item(i).Draw_lane(Overlay_DIB().hDC(), flip);
    });
}

void Draw_Goal_line() {
    vb::Trap("Draw_Goal_line of Form Frm_kanot", [] {
        if (!g_Show_Goalline) return;
        const int32_t* p = g_Program_Mode == 1 ? g_Live_Goal_Points : g_Goal_Line_Points;
        const WuPoint from{vb::CInt(p[0]), vb::CInt(p[1])};
        const WuPoint to{vb::CInt(p[2]), vb::CInt(p[3])};
        const Colour_Triple colour =
            g_Goalline_Inverted ? Colour_Triple{25, 25, 25} : Colour_Triple{255, 255, 255};
        Draw_Wu_Line(Overlay_DIB().hDC(), from, to, colour, 2, false);
    });
    Draw_Selection_Boxes();
}

void Draw_Selection_Boxes() {
    vb::Trap("Draw_Selection_Boxes of Form Frm_kanot", [] {
        if (g_Program_Mode != 1) return;
        for (int end = 0; end < 2; ++end) {
            const int32_t left = g_Live_Goal_Points[2 * end] - 6;
            const int32_t top = g_Live_Goal_Points[2 * end + 1] - 6;
            Rectangle_With_Pen_Brush(Overlay_DIB().hDC(), {left, top}, {left + 12, top + 12}, 0, 0, BS_NULL,
                                     gdi::PS_SOLID, 1, static_cast<int32_t>(gdi::RGB(0, 0, 255)));
        }
    });
}

void Load_Lanes_and_Goalline() {
    Load_Lanes();
    Load_Goalline();
}

void Load_Lanes() {
    vb::Trap("Load_Lanes of Form Frm_kanot", [] {
        Lane_Mark_Collection& lanes = Lane_Collection();
        lanes.Clear();
        const std::string s = Read_Ini("Canoe", "Lanes", g_Ini_File_Path, "None");
        for (int32_t i = 0; i < kLane_Count; ++i) {
            auto lane = std::make_shared<Cls_lane>();
            lane->Lane_number(static_cast<int16_t>(i));
            if (s == "None") {
                lane->Lane_pos_X(15 * i);
                lane->Lane_pos_Y(20 * i);
            } else {
                const std::string x = Group(s, 8 * i + 1);
                const std::string y = Group(s, 8 * i + 5);
                lane->Lane_pos_X(x.empty() ? 20 : vb::CLng(x));
                lane->Lane_pos_Y(y.empty() ? 30 : vb::CLng(y));
            }
            lanes.Add(lane);
        }
        if (s == "None") return;
        g_Preview_Lane_Num = vb::CInt(Read_Ini("Canoe", "Lane_num", g_Ini_File_Path, "5"));
    });
}

void Load_Goalline() {
    vb::Trap("Load_Goalline of Form Frm_kanot", [] {
        const std::string s = Read_Ini("Canoe", "Goalline", g_Ini_File_Path, "None");
        if (s == "None") return;
        const std::vector<std::string> parts = vb::Split(s, ",");
        for (size_t i = 0; i < 4; ++i) {
            if (i >= parts.size()) vb::Raise(vb::errSubscriptOutOfRange);
            g_Live_Goal_Points[i] = vb::CLng(parts[i]);
        }
    });
}

void Check_within_lanes(float x, float y) {
    vb::Trap("Check_within_lanes of Form Frm_kanot", [&] {
        g_Selected_Lane = -1;
        int16_t position = 0;
        for (const auto& lane : Lane_Collection()) {
            ++position;
            if (lane->Within(x, y)) {
                g_Selected_Lane = lane->Lane_number();
                g_Selected_Lane_Index = position;
                return;
            }
        }
    });
}

void Check_Within_Selection_Boxes(float x, float y) {
    vb::Trap("Check_Within_Selection_Boxes of Form Frm_kanot", [&] {
        g_Selected_Box = 0;
        // The square that answers reaches 6 pixels beyond the drawn box to
        // the right and below; the start point wins where the two overlap.
        auto within = [&](int32_t px, int32_t py) {
            return x > static_cast<float>(px - 6) && x < static_cast<float>(px + 12) &&
                   y > static_cast<float>(py - 6) && y < static_cast<float>(py + 12);
        };
        if (within(g_Live_Goal_Points[0], g_Live_Goal_Points[1]))
            g_Selected_Box = 1;
        else if (within(g_Live_Goal_Points[2], g_Live_Goal_Points[3]))
            g_Selected_Box = 2;
    });
}

void Load_options() {
    vb::Trap("Load_options of Form Frm_kanot", [] {
        g_Options_Loading = true;
        auto option = [](const char* key, const char* fallback) {
            return String_to_Bool(Read_Ini("Canoe", key, g_Ini_File_Path, fallback));
        };
        g_Opt_Show_Lanes = option("ShowLanes", "True");
        g_Opt_Flip_Lanes = option("FlipLanes", "False");
        g_Opt_Show_Goalline = option("ShowGoalline", "True");
        g_Opt_Rotate = option("Rotate", "True");
        g_Opt_Lane_Zero = option("Lane_Zero", "1");
    });
    g_Options_Loading = false;
}

int32_t Go_to_Goal_field(double place) {
    int32_t field = 0;
    vb::Trap("Go_to_Goal_field of Form Frm_kanot", [&] {
        if (place == 0) return;
        const int32_t p = vb::CLng(place);
        if (p < Lane_Active_Heat_Array.LBound || p > Lane_Active_Heat_Array.UBound) return;
        field = Lane_Active_Heat_Array[p].goal_field;
    });
    return field;
}
