#pragma once
// The windows of the replay and capture roads, as the start-up and the exit
// procedure reach them. They live in libraries above this one, so the
// program's wiring (Wire_Program) puts them in here at start; a connection
// left unset raises run-time error 91, as an unset object does.
#include "Form.h"
#include "Gdi.h"
#include "VbError.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

struct Program_Windows {
    // The main window's instance, not loaded by the call: Frm_kanot_2().
    std::function<forms::Form&()> Frm_kanot_2;
    // The main window's device context: Frm_kanot_2().hDC.
    std::function<gdi::HDC()> Frm_kanot_2_hDC;
    // The main window's timing methods: tick their item, write "timing".
    std::function<void()> Set_Timing_Frametimestamp;
    std::function<void()> Set_Timing_Framecount;
    // The capture window's instance, not loaded by the call: Form_capture_multi_file().
    std::function<forms::Form&()> Form_capture_multi_file;
    // Form_capture_multi_file().Set_Capture_Rotate(rotate).
    std::function<void(bool)> Set_Capture_Rotate;
    // Form_capture_multi_file().Set_OBJ_Capture_Crop().
    std::function<void()> Set_OBJ_Capture_Crop;
    // Form_capture_multi_file().Terminate_obj_Capture_HDMI().
    std::function<void()> Terminate_obj_Capture_HDMI;
    // Form_capture_multi_file().Stop_Capture().
    std::function<void()> Stop_Capture;
    // The video source selection window's instance: Form_select_Video().
    std::function<forms::Form&()> Form_select_Video;
    // Frm_fullscreen().Set_Display_Crop(width, height).
    std::function<void(int16_t&, int16_t&)> Set_Display_Crop;
    // The results window's instance, not loaded by the call: Frm_results().
    std::function<forms::Form&()> Frm_results;
    // Frm_kanot_2().Enter_Event_name(): the event name asked of the operator.
    std::function<void()> Enter_Event_name;
};

inline Program_Windows g_Windows;

// Calls a connection the program's wiring makes between libraries that
// cannot link each other; one never made raises run-time error 91 ("Object
// variable or With block variable not set"), never nothing.
template <class R, class... P, class... A>
R Call_Connected(const std::function<R(P...)>& connection, A&&... args) {
    if (!connection) vb::Raise(vb::errObjectNotSet);
    return connection(std::forward<A>(args)...);
}
