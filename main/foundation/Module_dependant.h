#pragma once
// General helpers used all over the program. Paths are joined with the
// platform's separator.
#include <cstdint>
#include <string>
#include <vector>

#include "VbString.h"

// Files and folders.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Deletes the file, also a read-only one; failures go to the error report.
void Kill_File(const std::string& path);
// Size in bytes; 0 for an empty path; a missing file raises error 53.
int64_t Get_File_Size(const std::string& path);
// The text after the last ".", or "" when there is none.
std::string Get_File_Extension(const std::string& file_name);
// Selector 16: the folder part, the first (position of the last separator +
// offset) characters; selector 0: the file part; others: the path unchanged.
std::string ParsePath(const std::string& path, int16_t selector, int32_t offset = 0);
// Date and time of the program file; "Not compiled" in the development mode.
std::string Get_Exe_Date();
std::string Get_System_Directory();
std::string Get_Computer_Name();

// Waits and clocks.
uint32_t Get_Time_Mill();
int32_t Get_Local_Mill();
// Waits until the timer has moved on by `ms`; with `let_events` the pending
// window events run between 3 ms sleeps, otherwise it sleeps 10 ms a round.
void Do_Sleep(int32_t ms, bool let_events);
void Flush_DV_events();

// Time and date texts.
std::string Display_Mill_Time(int32_t ms, bool trim);
// A time of day to the whole second as labels and exports show it: the first
// nine characters of the untrimmed time text, sign blank included, without the
// comma a one-digit hour leaves at their end (" 9:05:03", " 14:05:03").
std::string Display_Time_Of_Day(int32_t ms);
std::string Get_Date_Time_String();
std::string Get_Date_String();

// Texts, bytes and booleans.
std::string Bool_to_String(bool value);
bool String_to_Bool(const std::string& text);
int16_t Is_Checked(const std::string& text);
int16_t Bool_to_Int(bool value);
std::string Bytes4_to_String(const uint8_t bytes[4]);
std::string Long_to_String4(int32_t value);
// Zeroes the list and copies the text's bytes to its start; an empty text
// leaves the list alone; a text longer than the list raises error 9.
void String_to_Bytes(const std::string& text, std::vector<uint8_t>& list);
void String_to_Bytes(const std::string& text, uint8_t* list, size_t size);
std::string Bytes_to_String(const uint8_t* bytes, size_t size);
inline std::string Bytes_to_String(const std::vector<uint8_t>& b) {
    return Bytes_to_String(b.data(), b.size());
}
// The first index i from 1 to (upper bound - lower bound) where the pattern
// starts; the list's first element has index `lower_bound`. 0 when none.
int32_t Find_Byte_Array(const std::vector<uint8_t>& list, const std::string& pattern,
                        int32_t lower_bound = 0);
// Every ":", "-" or "," from the third character on becomes "_".
std::string Fix_Path_Chars(std::string& text);
int32_t InStr_Rev(const std::string& text, const std::string& sought, int32_t end_position = -1,
                  vb::CompareMethod cmp = vb::vbBinaryCompare);
int32_t InStr_Last(int32_t start, const std::string& text, const std::string& sought,
                   vb::CompareMethod cmp = vb::vbBinaryCompare);
template <class Collection> void Empty_Collection(Collection& c) {
    c.clear();
}

// Numbers.
int32_t Min_Long(int32_t a, int32_t b);
int32_t Min_Value(double a, double b);
int32_t Max_Value(double a, double b);
bool Is_Odd(int32_t v);
int16_t Line_Field(int32_t line);
int32_t Half_Rounded(int32_t v);
int32_t Round_To_Multiple(int32_t value, int16_t step);

// Keyboard.
bool Key_Is_Down(int16_t vk);
bool Escape_Is_Down();
bool Ctrl_Is_Down();
bool Alt_Is_Down();
int32_t First_Key_Down();
// A press and release of Shift as if from the keyboard: on an X display the
// display server counts it as input, so its screen saver stays away.
void Press_Shift_Key();

// Colour: hue in degrees, saturation and lightness in percent.
void RGB_to_HSL(int32_t colour, int32_t& hue, int32_t& saturation, int32_t& lightness);

// Other.
// True only in the development mode: when TIDEWICK_DEVELOPMENT=1 is set.
bool Is_In_IDE();
void Bubble_Sort(std::vector<std::string>& list);
// Whether the bytes start a DV DIF sequence header block.
bool Check_DV_Header(const uint8_t* frame);
void Do_Nothing(const std::string& text);
void Callback_Stub();
