// The header of a heat file: its text parsed, then every field the reader
// of a heat file asks for read from it, and the round trip: the text the
// header writes reads back into a header that writes the same text.
#include "Cls_XML_header.h"
#include "FuzzSupport.h"
#include "VbError.h"

#include <cstdlib>
#include <string>

namespace {

template <class F> void field(F&& read) {
    try {
        read();
    } catch (const vb::VbError&) {
        // A field that does not fit its type is refused with an error: no finding.
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_support::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_support::Init();
    static Cls_XML_header h;
    field([&] { h.XML_string(std::string(reinterpret_cast<const char*>(data), size)); });
    std::string text;
    field([&] { text = h.XML_string(); });
    if (text.empty()) {
        // Refused, the header holds no document: every field is missing alike,
        // and each refusal is an error thrown and caught, which under the
        // sanitizers costs more than the parse. One field of each kind of
        // read (plain, with a fallback) shows it; the rest add nothing.
        field([&] { h.Frames_no(); });
        field([&] { h.Timing_Bias(); });
        return 0;
    }
    field([&] { h.Streams_no(); });
    field([&] { h.Frames_no(); });
    field([&] { h.Segments_no(); });
    field([&] { h.Timing_Bias(); });
    field([&] { h.Creation_date(); });
    field([&] { h.comment(1); });
    for (int16_t id = 1; id <= 2; ++id) {
        field([&] { h.Stream_Active(id); });
        field([&] { h.Stream_rotated(id); });
        field([&] { h.Offset_fields(id); });
        field([&] { h.Selection_start(id); });
        field([&] { h.Selection_end(id); });
        field([&] { h.Stream_CameraPos(id); });
        field([&] { h.Selection_Rectangle(id, "t"); });
        field([&] { h.Selection_Rectangle(id, "r"); });
        field([&] { h.model_size_factor(id); });
    }
    field([&] { h.RGB_X(); });
    field([&] { h.RGB_Y(); });
    field([&] { h.RGB_Image_Size(); });
    field([&] { h.RGB_Compressed_max_Size(); });
    field([&] { h.RGB_Compressed_buffer_Size(); });
    field([&] { h.RGB_Sample_Size(); });
    field([&] { h.RGB_fourcc(); });
    field([&] { h.RGB_fps(); });
    field([&] { h.RGB_JPEG_Quality(); });
    field([&] { h.RGB_interlaced(); });
    field([&] { h.RGB_Rotated(); });
    field([&] { h.Start_lane(); });
    field([&] { h.Num_Lanes(); });
    field([&] { h.heats_num(); });
    for (int16_t heat = 1; heat <= 2; ++heat) {
        field([&] { h.Start_local_mill(heat); });
        field([&] { h.Start_PC_mill(heat); });
        field([&] { h.Heat_Correction_mill(heat); });
        field([&] { h.Heat_ID(heat); });
        for (int16_t lane = 1; lane <= 3; ++lane) {
            field([&] { h.Heat_result(heat, lane); });
            field([&] { h.Heat_Click_time(heat, lane); });
            field([&] { h.Heat_Goal_Field(heat, lane); });
        }
    }
    for (int16_t lane = 1; lane <= 3; ++lane) {
        field([&] { h.Lane_pos_X(lane); });
        field([&] { h.Lane_pos_Y(lane); });
    }
    field([&] {
        int16_t x1, y1, x2, y2;
        h.Get_Goalline(x1, y1, x2, y2);
    });
    field([&] { h.Event_name(); });
    field([&] { h.Show_goalline(); });
    field([&] { h.Trace_Name(1); });
    field([&] { h.Trace_Thickness(1); });
    field([&] { h.anp_numlines(); });
    field([&] { text = h.XML_string(); });
    if (text.empty()) return 0;
    static Cls_XML_header again;
    std::string back;
    field([&] {
        again.XML_string(text);
        back = again.XML_string();
    });
    if (back != text) std::abort();
    return 0;
}
