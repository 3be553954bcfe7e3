#include "DV_Timecode_module.h"

#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbString.h"
#include "VbTrap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

int16_t Bcd(uint8_t byte, uint8_t tens_mask) {
    return static_cast<int16_t>(((byte >> 4) & tens_mask) * 10 + (byte & 0x0F));
}

std::string Two(int32_t v) {
    return vb::FormatNumber(v, "00");
}

bool Timecode_Valid() {
    return g_DV.DV_TC_Found && g_DV.DV_TC_Hours < 25 && g_DV.DV_TC_Minutes <= 59 && g_DV.DV_TC_Seconds <= 59;
}

void Take_VAUX(const uint8_t* pc) {
    DV_Metadata& m = g_DV;
    switch (pc[0]) {
    case 0x60:
        m.DV_System = (pc[3] & 0x20) ? 50 : 60;
        break;
    case 0x61:
        // The display mode is three bits (16:9 full format is 2): a mask of 5 lost it.
        m.DV_Display = static_cast<int16_t>(pc[2] & 7);
        break;
    case 0x62: {
        m.DV_Rec_Day = Bcd(pc[2], 0x03);
        m.DV_Rec_Month = Bcd(pc[3], 0x01);
        const int16_t year = Bcd(pc[4], 0x0F);
        m.DV_Rec_Year = static_cast<int16_t>(year < 40 ? year + 2000 : year + 1900);
        break;
    }
    case 0x63:
        m.DV_Rec_Seconds = Bcd(pc[2], 0x07);
        m.DV_Rec_Minutes = Bcd(pc[3], 0x07);
        m.DV_Rec_Hours = Bcd(pc[4], 0x03);
        break;
    case 0x70: {
        m.DV_Iris_Code = static_cast<int16_t>(pc[1] & 0x3F);
        m.DV_F_Number = static_cast<float>(std::nearbyint(std::pow(2.0, m.DV_Iris_Code / 8.0) * 10.0) / 10.0);
        m.DV_AE_Mode = static_cast<int16_t>(pc[2] >> 4);
        static const char* const ae[] = {"Fully automatic", "Gain priority", "Shutter priority",
                                         "Iris priority", "Manual"};
        m.DV_AE_Text = m.DV_AE_Mode <= 4 ? ae[m.DV_AE_Mode] : "No information";
        m.DV_AGC = static_cast<int16_t>(pc[2] & 0x0F);
        m.DV_WB_Mode = static_cast<int16_t>(pc[3] >> 5);
        static const char* const wbm[] = {"auto",    "Hold",    "One Push", "Preset",
                                          "Invalid", "Invalid", "Invalid",  "No Information"};
        m.DV_WB_Mode_Text = wbm[m.DV_WB_Mode];
        m.DV_WB = static_cast<int16_t>(pc[3] & 0x1F);
        static const char* const wb[] = {"Candle",
                                         "Incandescent lamp",
                                         "Incandescent lamp (low temperature)",
                                         "Incandescent lamp (high temperature)",
                                         "Sunlight",
                                         "Cloudiness",
                                         "Others"};
        m.DV_WB_Text = m.DV_WB <= 6 ? wb[m.DV_WB] : "No information";
        break;
    }
    case 0x71:
        if (pc[3] != 0xFF) m.DV_Focal_Length = pc[3];
        if (pc[4] != 0xFF) m.DV_Zoom = static_cast<int16_t>((pc[4] >> 4) & 0x07);
        break;
    case 0x7F: {
        // Taken from the pack that carries it: any other pack's bytes would
        // give a shutter speed that belongs to nothing.
        const int32_t raw = (pc[4] & 0x7F) * 256 + pc[3];
        m.DV_Shutter = raw > 0 ? static_cast<int32_t>(std::nearbyint(15000.0f / static_cast<float>(raw))) : 0;
        break;
    }
    default:
        break;
    }
}

} // namespace

void DV_Header_Parse(const uint8_t* address, size_t available) {
    g_DV = DV_Metadata{};
    if (!address) return;
    vb::Trap("DV_Header_Parse of Module Timecode_module", [&] {
        std::array<uint8_t, 480> head{};
        std::memcpy(head.data(), address, std::min(available, head.size()));
        for (int b = 3; b <= 5; ++b)
            for (int p = 0; p <= 14; ++p)
                Take_VAUX(head.data() + 80 * b + 3 + 5 * p);
        for (int b = 1; b <= 2 && !g_DV.DV_TC_Found; ++b) {
            for (int s = 0; s <= 5; ++s) {
                const uint8_t* pc = head.data() + 80 * b + 3 + 8 * s + 3;
                if (pc[0] != 0x13) continue;
                g_DV.DV_TC_Frames = Bcd(pc[1], 0x03);
                g_DV.DV_TC_Seconds = Bcd(pc[2], 0x07);
                g_DV.DV_TC_Minutes = Bcd(pc[3], 0x07);
                g_DV.DV_TC_Hours = Bcd(pc[4], 0x03);
                g_DV.DV_TC_Found = true;
                break;
            }
        }
    });
}

std::string DV_Rec_DateTime() {
    return std::to_string(g_DV.DV_Rec_Year) + "-" + Two(g_DV.DV_Rec_Month) + "-" + Two(g_DV.DV_Rec_Day) +
           " " + Two(g_DV.DV_Rec_Hours) + ":" + Two(g_DV.DV_Rec_Minutes) + ":" + Two(g_DV.DV_Rec_Seconds);
}

int16_t DV_Rec_Minutes() {
    return g_DV.DV_Rec_Minutes;
}
int16_t DV_Rec_Hours() {
    return g_DV.DV_Rec_Hours;
}

std::string DV_Timecode_Text() {
    if (!Timecode_Valid()) return "No information";
    return Two(g_DV.DV_TC_Hours) + ":" + Two(g_DV.DV_TC_Minutes) + ":" + Two(g_DV.DV_TC_Seconds) +
           " frame: " + std::to_string(g_DV.DV_TC_Frames);
}

int32_t DV_Timecode_Frame() {
    if (!Timecode_Valid()) return 0;
    return ((g_DV.DV_TC_Hours * 60 + g_DV.DV_TC_Minutes) * 60 + g_DV.DV_TC_Seconds) * 25 + g_DV.DV_TC_Frames;
}

bool DV_Is_Wide() {
    return g_DV.DV_Display > 0;
}
std::string DV_Shutter_Text() {
    return "1/" + std::to_string(g_DV.DV_Shutter);
}
std::string DV_WB_Text_All() {
    return "Wb mode = " + g_DV.DV_WB_Mode_Text + " ,Wb = " + g_DV.DV_WB_Text;
}
std::string DV_Iris_Text() {
    return vb::CStr(static_cast<double>(g_DV.DV_F_Number));
}
std::string DV_AE_Mode_Text() {
    return g_DV.DV_AE_Text;
}
std::string DV_AGC_Text() {
    return std::to_string(g_DV.DV_AGC);
}
std::string DV_Focal_Text() {
    return g_DV.DV_Focal_Length > 0 ? std::to_string(g_DV.DV_Focal_Length) : "No info";
}
std::string DV_Zoom_Text() {
    return g_DV.DV_Zoom > 0 ? std::to_string(g_DV.DV_Zoom) : "No info";
}
int16_t DV_Field_Rate() {
    return g_DV.DV_System;
}
