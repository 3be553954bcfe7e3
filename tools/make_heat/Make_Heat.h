#pragma once
// Heat files made the way the capture window makes them, from synthetic
// frames: for tests, benchmarks and the README. Every step goes through the
// program's own video file object, in the capture window's order.
#include <cstdint>
#include <functional>
#include <string>

class cls_VideoFile_handler;
class cDIBSection;

namespace make_heat {

struct Heat_Recipe {
    std::string path;
    int32_t width = 440;
    int32_t height = 1080;
    int32_t slot_size = 0; // 0: the largest picture of a test run + 5500, rounded down to 1000s
    int16_t quality = 80;
    int32_t start_pc_mill = 100000; // capture clock at the heat start
    int32_t start_local_mill = 36000000;
    bool grey = false;
    std::string event_name = "Synthetic regatta";
    // Paints frame n in place of the synthetic picture, when set.
    std::function<void(cDIBSection& dib, int32_t n)> fill;
};

// A picture for frame n (from 1): a sky-to-water gradient, lane lines and a
// boat whose bow moves 3 pixels a frame, so consecutive frames differ.
void Fill_Synthetic_Frame(cDIBSection& dib, int32_t n, bool grey);

// Step 1: the new heat file with its header block and header fields; the
// file is closed afterwards. False (the object's message shown) when the
// file cannot be created, an existing name included.
bool New_Heat_File(cls_VideoFile_handler& vf, const Heat_Recipe& recipe);
// Step 2: the heat start: start times and slot size into the header.
void Heat_Start(cls_VideoFile_handler& vf, const Heat_Recipe& recipe);
// Steps 3 to 5: one capture run of `frames` frames, numbered on from
// `first_frame`, appended and closed; returns the frames appended.
int32_t Capture_Run(cls_VideoFile_handler& vf, const Heat_Recipe& recipe, int32_t first_frame,
                    int32_t frames);

// The slot size the recipe asks for, or the one its pictures need.
int32_t Slot_Size_For(const Heat_Recipe& recipe);

// Capture times of frame n: 40 ms apart from the heat start, with a small
// jitter that stays within the frame.
int32_t Capture_Mill_Of(const Heat_Recipe& recipe, int32_t n);

// All steps with one run: false and a text when something failed.
bool Make_Heat(const Heat_Recipe& recipe, int32_t frames, std::string* error);

} // namespace make_heat
