#pragma once
// The metadata a DV camera records in each frame (IEC 61834 subcode and VAUX
// packs): recording date and time, time code, 50/60 system, wide screen and
// the consumer camera data. DV_Header_Parse fills the program-wide values
// (g_DV); the other procedures turn them into numbers and texts.
#include <cstddef>
#include <cstdint>
#include <string>

// Parses the first 480 bytes of the frame at `address` (header, subcode and
// VAUX blocks). Fewer `available` bytes are taken as zeros beyond them; a
// null address only clears the values.
void DV_Header_Parse(const uint8_t* address, size_t available = 480);
std::string DV_Rec_DateTime();
int16_t DV_Rec_Minutes();
int16_t DV_Rec_Hours();
std::string DV_Timecode_Text();
int32_t DV_Timecode_Frame();
bool DV_Is_Wide();
std::string DV_Shutter_Text();
std::string DV_WB_Text_All();
std::string DV_Iris_Text();
std::string DV_AE_Mode_Text();
std::string DV_AGC_Text();
std::string DV_Focal_Text();
std::string DV_Zoom_Text();
int16_t DV_Field_Rate();
