#pragma once
// The overlay over a frame, shared by the replay window and the live preview:
// the overlay bitmap cleared to its key colour, the lane marks and the goal
// line drawn into it, the lane marks and the live preview's goal line loaded
// from the settings, the hit test of the marks and the goal field of a place.
//
// The rest of the overlay state lives with the program-wide variables:
// g_Show_Lanes and g_Show_Goalline (the replay window's switches),
// g_Program_Mode (1 while the live preview is shown, 10 for a file with
// lanes), g_Num_Lanes_Shown (how many marks are drawn), g_Live_Goal_Points
// and g_Goal_Line_Points (the preview's and the open file's goal line),
// g_Selected_Lane and g_Overlay_Key_Colour.
//
// Each procedure but Load_Lanes_and_Goalline traps its errors in the normal
// mode, reports them with its fixed location text and ends.
#include <cstdint>

class cDIBSection;

// The overlay bitmap, created empty at first use; its user sizes it.
cDIBSection& Overlay_DIB();

// The replay window's dark goal-line switch.
inline bool g_Goalline_Inverted = false;
// The live preview's number of lanes ([Canoe] Lane_num).
inline int16_t g_Preview_Lane_Num = 0;
// Position in the lane collection of the mark last hit.
inline int16_t g_Selected_Lane_Index = 0;
// Goal-line end last hit in the live preview: 0 none, 1 start, 2 end.
inline int16_t g_Selected_Box = 0;

// The live preview's display options ([Canoe] ShowLanes, FlipLanes,
// ShowGoalline, Rotate, Lane_Zero), and whether Load_options is reading them
// (the preview's check boxes ignore their changes meanwhile).
inline bool g_Opt_Show_Lanes = false;
inline bool g_Opt_Flip_Lanes = false;
inline bool g_Opt_Show_Goalline = false;
inline bool g_Opt_Rotate = false;
inline bool g_Opt_Lane_Zero = false;
inline bool g_Options_Loading = false;

// Fills the whole overlay with the key colour.
void Clear_Graphics();
// Draws the first g_Num_Lanes_Shown lane marks, when lanes are shown.
void Draw_lanes(bool flip);
// Draws the goal line, when shown, then the live preview's selection boxes.
void Draw_Goal_line();
void Draw_Selection_Boxes();

// Load_Lanes, then Load_Goalline.
void Load_Lanes_and_Goalline();
// Sixteen lane marks from [Canoe] Lanes, and the preview's lane count.
void Load_Lanes();
// The live preview's goal line from [Canoe] Goalline; "None" keeps it.
void Load_Goalline();

// g_Selected_Lane: the number of the first mark (in collection order) that
// holds the point, -1 for none; g_Selected_Lane_Index its position, kept
// when nothing is hit.
void Check_within_lanes(float x, float y);
// g_Selected_Box: 1 when the point lies in the answering square of the live
// goal line's start point, else 2 for its end point, else 0.
void Check_Within_Selection_Boxes(float x, float y);
// The five display options from the settings.
void Load_options();
// The goal field of the lane ranked at a place (1..16); 0 for any other place.
int32_t Go_to_Goal_field(double place);
