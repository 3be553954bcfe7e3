#include "Make_Heat.h"

#include "Module_qfn_Globals.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"
#include "mIntelJPEGLibrary.h"

#include <algorithm>
#include <vector>

namespace make_heat {

void Fill_Synthetic_Frame(cDIBSection& dib, int32_t n, bool grey) {
    const int32_t w = dib.Width(), h = dib.Height(), stride = dib.BytesPerScanLine();
    uint8_t* bits = dib.DIBSectionBitsPtr();
    if (!bits) return;
    const int32_t bow = (n * 3) % std::max(1, w);
    for (int32_t row = 0; row < h; ++row) {
        const int32_t y = h - 1 - row; // row 0 in memory is the bottom of the picture
        uint8_t* p = bits + static_cast<int64_t>(row) * stride;
        const bool lane_line = h >= 8 && y % std::max(1, h / 8) == 0;
        for (int32_t x = 0; x < w; ++x) {
            uint8_t b = static_cast<uint8_t>(120 + 100 * y / std::max(1, h));
            uint8_t g = static_cast<uint8_t>(60 + 80 * y / std::max(1, h));
            uint8_t r = static_cast<uint8_t>(30 + (x * 40) / std::max(1, w));
            if (lane_line) b = g = r = 230;
            const bool boat = x >= bow - 40 && x <= bow && y > h / 3 && y < h / 3 + std::max(4, h / 16);
            if (boat) {
                r = 220;
                g = 40;
                b = 30;
            }
            if (grey) r = g = b = static_cast<uint8_t>((r * 30 + g * 59 + b * 11) / 100);
            p[3 * x] = b;
            p[3 * x + 1] = g;
            p[3 * x + 2] = r;
        }
    }
}

int32_t Capture_Mill_Of(const Heat_Recipe& recipe, int32_t n) {
    return recipe.start_pc_mill + 40 * n + (n % 5) - 2;
}

int32_t Slot_Size_For(const Heat_Recipe& recipe) {
    if (recipe.slot_size > 0) return recipe.slot_size;
    cDIBSection dib;
    dib.Create(recipe.width, recipe.height);
    std::vector<uint8_t> jpeg(static_cast<size_t>(recipe.width) * recipe.height * 3 + 65536);
    int32_t largest = 0;
    for (int32_t n : {1, 2, 3}) {
        if (recipe.fill)
            recipe.fill(dib, n);
        else
            Fill_Synthetic_Frame(dib, n, recipe.grey);
        int32_t size = static_cast<int32_t>(jpeg.size());
        Save_JPG_To_Buffer(dib, jpeg.data(), size, recipe.quality);
        largest = std::max(largest, size);
    }
    return (largest + 5500) / 1000 * 1000;
}

bool New_Heat_File(cls_VideoFile_handler& vf, const Heat_Recipe& recipe) {
    // Heat files of this station carry the canoe section (event, heats, lanes).
    g_Tidewick = true;
    vf.File_name(recipe.path);
    vf.Create_File();
    if (!vf.File_open()) return false;
    vf.Cropped_X(recipe.width);
    vf.Cropped_Y(recipe.height);
    vf.RGB_interlaced(true);
    vf.Base_Quality(recipe.quality);
    vf.Create_QF3_header();
    vf.Event_name(recipe.event_name);
    vf.Lane_count(9);
    vf.Heat_ID(1, "Heat 1");
    for (int16_t lane = 0; lane < 9; ++lane)
        vf.File_Lane_Pos(lane, 40 + lane * (recipe.width - 80) / 8, recipe.height / 2);
    vf.Fix_Goal_Line(recipe.width / 2, 0, recipe.width / 2, recipe.height - 1);
    vf.Write_QF3_header();
    vf.Close_File();
    return true;
}

void Heat_Start(cls_VideoFile_handler& vf, const Heat_Recipe& recipe) {
    vf.File_name(recipe.path);
    vf.Open_RGB_File();
    vf.Start_local_mill(1, recipe.start_local_mill);
    vf.Start_HDMI_events(1, 0);
    vf.Start_PC_mill(1, recipe.start_pc_mill);
    vf.Set_JPG_Maxsize(Slot_Size_For(recipe));
    vf.RGB_Comp_Threshold("0");
    vf.RGB_Max_Seen_size("0");
    vf.Write_QF3_header();
    vf.Close_File();
    vf.Open_RGB_File();
    vf.Start_local_Mill_Time(1);
    vf.Start_PC_Mill_time(1);
    vf.Close_File();
}

int32_t Capture_Run(cls_VideoFile_handler& vf, const Heat_Recipe& recipe, int32_t first_frame,
                    int32_t frames) {
    vf.File_name(recipe.path);
    vf.Open_RGB_File();
    vf.Position_at_End();
    cDIBSection dib;
    dib.Create(recipe.width, recipe.height);
    std::vector<uint8_t> jpeg(1000000);
    const int32_t slot = vf.Rounded_Compressed_Size();
    int32_t smallest = 0, largest = 0, appended = 0;
    for (int32_t n = first_frame; n < first_frame + frames; ++n) {
        if (recipe.fill)
            recipe.fill(dib, n);
        else
            Fill_Synthetic_Frame(dib, n, recipe.grey);
        int16_t q = recipe.quality;
        int32_t size = 0;
        // The capture object's own rule: lower the quality until the picture fits.
        for (;;) {
            size = static_cast<int32_t>(jpeg.size());
            Save_JPG_To_Buffer(dib, jpeg.data(), size, q);
            if (size <= slot || q <= 5) break;
            q = static_cast<int16_t>(q * 85 / 100);
        }
        const int32_t mill = Capture_Mill_Of(recipe, n);
        vf.Append_Compressed_RGB_Frame(recipe.start_local_mill + (mill - recipe.start_pc_mill), mill,
                                       n == first_frame ? 40 : mill - Capture_Mill_Of(recipe, n - 1), q, size,
                                       jpeg.data(), n);
        if (size <= slot) {
            ++appended;
            smallest = smallest == 0 ? size : std::min(smallest, size);
            largest = std::max(largest, size);
        }
    }
    vf.JPG_Sizes(smallest, largest);
    vf.Add_Segment_num();
    vf.Add_Reduced_Quality_num(0);
    vf.Measured_fps(25);
    vf.Close_File();
    return appended;
}

bool Make_Heat(const Heat_Recipe& recipe, int32_t frames, std::string* error) {
    try {
        cls_VideoFile_handler vf;
        if (!New_Heat_File(vf, recipe)) {
            if (error) *error = "cannot create " + recipe.path;
            return false;
        }
        Heat_Start(vf, recipe);
        if (frames > 0) Capture_Run(vf, recipe, 1, frames);
        return true;
    } catch (const vb::VbError& e) {
        if (error) *error = std::to_string(e.number()) + " " + e.description();
        return false;
    }
}

} // namespace make_heat
