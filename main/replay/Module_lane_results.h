#pragma once
// The finish results of the heat that is open: sixteen lane records held
// twice, by lane index and in ranking order; the ranking, the place of a
// lane, clearing, and writing the records back into the file's header. With
// them three small services of the results window and the exporters.
//
// The procedures trap their errors in the normal mode (reported with their
// fixed location texts) and end; Display_mill_hms raises to its caller.
#include "VbError.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class cls_VideoFile_handler;

// Result values: a time in milliseconds from the heat start, or one of the
// codes. Every value from Result_Disqualified up is a code, never a time.
inline constexpr int32_t Result_None = 999999999;
inline constexpr int32_t Result_Disqualified = 100000001;
inline constexpr int32_t Result_Did_Not_Start = 100000002;
inline constexpr int32_t Result_Did_Not_Finish = 100000003;

struct Lane_Result_Record {
    int16_t lane = 0;       // lane index 0..15
    int32_t result = 0;     // milliseconds from the heat start, or a code
    int32_t click_time = 0; // multimedia-timer milliseconds when attached
    // The field shown when the result was attached (0 for a code); 32 bits,
    // as the header stores it, so heats beyond 16383 frames keep theirs.
    int32_t goal_field = 0;
};

// Sixteen records indexed from `First`; an index outside raises 9
// (subscript out of range).
template <int32_t First> class Lane_Records {
public:
    static constexpr int32_t LBound = First;
    static constexpr int32_t UBound = First + 15;
    Lane_Result_Record& operator[](int32_t i) { return m_Records[checked(i)]; }
    const Lane_Result_Record& operator[](int32_t i) const { return m_Records[checked(i)]; }

private:
    static size_t checked(int32_t i) {
        if (i < LBound || i > UBound) vb::Raise(vb::errSubscriptOutOfRange);
        return static_cast<size_t>(i - First);
    }
    std::array<Lane_Result_Record, 16> m_Records{};
};

// By lane index 0..15: the working copy of the header's lane records of heat 1.
inline Lane_Records<0> Lane_Result_Array;
// Positions 1..16, the same records in ranking order: a position is a place.
inline Lane_Records<1> Lane_Active_Heat_Array;

// The replay window's Complete_Result_Array (reload from the header, copy,
// sort, refresh), installed by the window; Clear_All_Results calls it.
inline std::function<void()> On_Complete_Result_Array;

// The program-wide video file object of the replay side, created at first use.
cls_VideoFile_handler& Replay_Video_File();
// The object when it exists, else nullptr: asking whether a file is open
// creates nothing.
cls_VideoFile_handler* Replay_Video_File_If_Any();
// True when the object exists and holds an open file.
bool Replay_File_Open();
// Drops the object, closing its file; the next use creates a new one.
void Release_Replay_Video_File();

// Sorts Lane_Active_Heat_Array: times ascending, then the codes ascending,
// then lanes without a result; equal results by the earlier click time;
// records equal in both keep their order.
void Lane_Active_Heat_Array_Sort();
// The position (1..N) of the lane in the ranking, N the number of lane
// marks; 0 when it is not among them.
int16_t Find_Place(int32_t lane);
// The place (1..16) of the lane; 0 when it has a code, no result, or is absent.
int16_t Lane_To_Place(int16_t lane);
// Zeroes all records, writes them back when a file is open, recompletes.
void Clear_All_Results();
// Writes the sixteen records into heat 1 of the header and rewrites it in the file.
void Update_File_from_Array();
// Sets the time of every lane mark to 0; the marks stay.
void Clear_Lane_Objects();
// The text between the last "Heat" (else "heat") of a file name and the
// first "_" after it; empty when either is missing.
std::string Heat_number_from_Filename(const std::string& file_name);
// Sets the program-wide event name from the settings ([Canoe] event_name).
void Load_Event_name();
// A part of a time of day: "h" hours, "m" minutes, "s" seconds, "t"
// hundredths (rounded down); whole days are dropped; other letters give 0.
int16_t Display_mill_hms(const std::string& part, int32_t mill);
