#include "GstSupport.h"

#include <gst/audio/audio.h>
#include <gst/video/video.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace dshow::gst {

bool Ensure() {
    static bool ok = [] { return gst_init_check(nullptr, nullptr, nullptr) == TRUE; }();
    return ok;
}

namespace {

struct RawVideo {
    const char* gstFormat;
    GUID subtype;
};
const RawVideo kRaw[] = {
    {"BGR", MEDIASUBTYPE_RGB24}, {"BGRx", MEDIASUBTYPE_RGB32}, {"YUY2", MEDIASUBTYPE_YUY2},
    {"I420", MEDIASUBTYPE_I420}, {"NV12", MEDIASUBTYPE_NV12},
};

const char* audioFormatName(int bits) {
    switch (bits) {
    case 8:
        return "U8";
    case 16:
        return "S16LE";
    case 24:
        return "S24LE";
    case 32:
        return "S32LE";
    }
    return nullptr;
}

void expandInts(const GValue* v, std::vector<int>& out) {
    if (!v) return;
    if (G_VALUE_HOLDS_INT(v))
        out.push_back(g_value_get_int(v));
    else if (GST_VALUE_HOLDS_INT_RANGE(v))
        out.push_back(gst_value_get_int_range_max(v));
    else if (GST_VALUE_HOLDS_LIST(v))
        for (guint i = 0; i < gst_value_list_get_size(v); ++i)
            expandInts(gst_value_list_get_value(v, i), out);
}

void expandFractions(const GValue* v, std::vector<std::pair<int, int>>& out) {
    if (!v) return;
    if (GST_VALUE_HOLDS_FRACTION(v))
        out.emplace_back(gst_value_get_fraction_numerator(v), gst_value_get_fraction_denominator(v));
    else if (GST_VALUE_HOLDS_FRACTION_RANGE(v))
        expandFractions(gst_value_get_fraction_range_max(v), out);
    else if (GST_VALUE_HOLDS_LIST(v))
        for (guint i = 0; i < gst_value_list_get_size(v); ++i)
            expandFractions(gst_value_list_get_value(v, i), out);
}

void expandStrings(const GValue* v, std::vector<std::string>& out) {
    if (!v) return;
    if (G_VALUE_HOLDS_STRING(v))
        out.emplace_back(g_value_get_string(v));
    else if (GST_VALUE_HOLDS_LIST(v))
        for (guint i = 0; i < gst_value_list_get_size(v); ++i)
            expandStrings(gst_value_list_get_value(v, i), out);
}

} // namespace

GstCaps* CapsFromFormat(const StreamFormat& f) {
    if (f.isAudio()) {
        const char* fmt = audioFormatName(f.bits);
        if (!fmt) return nullptr;
        return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, fmt, "rate", G_TYPE_INT, f.rate,
                                   "channels", G_TYPE_INT, f.channels, "layout", G_TYPE_STRING, "interleaved",
                                   nullptr);
    }
    GstCaps* caps = nullptr;
    if (f.subtype == MEDIASUBTYPE_MJPG)
        caps = gst_caps_new_empty_simple("image/jpeg");
    else if (f.subtype == MEDIASUBTYPE_dvsd)
        caps = gst_caps_new_simple("video/x-dv", "systemstream", G_TYPE_BOOLEAN, f.dvSystemStream, nullptr);
    else
        for (const auto& r : kRaw)
            if (r.subtype == f.subtype)
                caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, r.gstFormat, nullptr);
    if (!caps) return nullptr;
    GstStructure* s = gst_caps_get_structure(caps, 0);
    if (f.width > 0)
        gst_structure_set(s, "width", G_TYPE_INT, f.width, "height", G_TYPE_INT, f.height, nullptr);
    if (f.fpsNum > 0) gst_structure_set(s, "framerate", GST_TYPE_FRACTION, f.fpsNum, f.fpsDen, nullptr);
    return caps;
}

bool FormatFromStructure(const GstStructure* s, StreamFormat& out) {
    std::vector<StreamFormat> all;
    GstCaps* caps = gst_caps_new_full(gst_structure_copy(s), nullptr);
    all = FormatsFromCaps(caps);
    gst_caps_unref(caps);
    if (all.empty()) return false;
    out = all.front();
    return true;
}

std::vector<StreamFormat> FormatsFromCaps(const GstCaps* caps) {
    std::vector<StreamFormat> out;
    if (!caps) return out;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        const std::string name = gst_structure_get_name(s);
        if (name == "audio/x-raw") {
            std::vector<std::string> fmts;
            std::vector<int> rates, chans;
            expandStrings(gst_structure_get_value(s, "format"), fmts);
            expandInts(gst_structure_get_value(s, "rate"), rates);
            expandInts(gst_structure_get_value(s, "channels"), chans);
            for (const auto& fm : fmts) {
                const int bits = fm == "U8"      ? 8
                                 : fm == "S16LE" ? 16
                                 : fm == "S24LE" ? 24
                                 : fm == "S32LE" ? 32
                                                 : 0;
                if (!bits) continue;
                for (int r : rates)
                    for (int c : chans) {
                        StreamFormat f;
                        f.majortype = MEDIATYPE_Audio;
                        f.subtype = MEDIASUBTYPE_PCM;
                        f.bits = bits, f.rate = r, f.channels = c;
                        out.push_back(f);
                    }
            }
            continue;
        }
        std::vector<GUID> subtypes;
        bool system = false;
        if (name == "video/x-raw") {
            std::vector<std::string> fmts;
            expandStrings(gst_structure_get_value(s, "format"), fmts);
            for (const auto& fm : fmts)
                for (const auto& r : kRaw)
                    if (fm == r.gstFormat) subtypes.push_back(r.subtype);
        } else if (name == "image/jpeg") {
            subtypes.push_back(MEDIASUBTYPE_MJPG);
        } else if (name == "video/x-dv") {
            gboolean sys = FALSE;
            if (gst_structure_get_boolean(s, "systemstream", &sys)) system = sys;
            subtypes.push_back(MEDIASUBTYPE_dvsd);
        }
        std::vector<int> widths, heights;
        std::vector<std::pair<int, int>> rates;
        expandInts(gst_structure_get_value(s, "width"), widths);
        expandInts(gst_structure_get_value(s, "height"), heights);
        expandFractions(gst_structure_get_value(s, "framerate"), rates);
        if (widths.empty()) widths.push_back(0);
        if (heights.empty()) heights.push_back(0);
        if (rates.empty()) rates.emplace_back(0, 1);
        for (const GUID& st : subtypes)
            for (int w : widths)
                for (int h : heights)
                    for (auto [n, d] : rates) {
                        StreamFormat f;
                        f.majortype = MEDIATYPE_Video;
                        f.subtype = st;
                        f.width = w, f.height = h, f.fpsNum = n, f.fpsDen = d > 0 ? d : 1;
                        f.dvSystemStream = system;
                        if (std::find(out.begin(), out.end(), f) == out.end()) out.push_back(f);
                    }
    }
    return out;
}

GstElement* Make(const char* factory, const char* name) {
    return gst_element_factory_make(factory, name);
}

void Fence() {
    static std::atomic<uint64_t> fence{0};
    fence.fetch_add(1, std::memory_order_acq_rel);
}

void LinkToNewFakeSink(GstElement* pipeline, GstPad* pad) {
    GstElement* drop = Make("fakesink");
    if (!drop) return;
    g_object_set(drop, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, nullptr);
    gst_bin_add(GST_BIN(pipeline), drop);
    GstPad* sp = gst_element_get_static_pad(drop, "sink");
    gst_pad_link(pad, sp);
    gst_object_unref(sp);
    gst_element_sync_state_with_parent(drop);
}

GstElement* Chain(const char* name, std::vector<GstElement*> elements) {
    for (GstElement* e : elements)
        if (!e) {
            for (GstElement* x : elements)
                if (x) gst_object_unref(x);
            return nullptr;
        }
    GstElement* bin = gst_bin_new(name);
    for (GstElement* e : elements)
        gst_bin_add(GST_BIN(bin), e);
    for (size_t i = 1; i < elements.size(); ++i)
        if (!gst_element_link(elements[i - 1], elements[i])) {
            gst_object_unref(bin);
            return nullptr;
        }
    if (GstPad* p = gst_element_get_static_pad(elements.front(), "sink")) {
        gst_element_add_pad(bin, gst_ghost_pad_new("sink", p));
        gst_object_unref(p);
    }
    if (GstPad* p = gst_element_get_static_pad(elements.back(), "src")) {
        gst_element_add_pad(bin, gst_ghost_pad_new("src", p));
        gst_object_unref(p);
    }
    return bin;
}

} // namespace dshow::gst
