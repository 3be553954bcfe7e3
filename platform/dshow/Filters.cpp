#include "Filters.h"

#include "GstSupport.h"
#include "SampleGrabber.h"

#include <atomic>
#include <fstream>
#include <mutex>

#include <unistd.h>

namespace dshow {

NullRenderer::NullRenderer() {
    addPin(std::make_unique<IPin>(this, PINDIR_INPUT, "In"));
}

HRESULT NullRenderer::acceptInput(const StreamFormat&) {
    return com::S_OK;
}

GstElement* NullRenderer::makeElement(bool liveGraph) {
    if (!gst::Ensure()) return nullptr;
    GstElement* sink = gst::Make("fakesink");
    // A file plays at its own pace, as on the original platform; a live
    // source is paced already and must never wait for the clock.
    if (sink) g_object_set(sink, "sync", liveGraph ? FALSE : TRUE, "enable-last-sample", FALSE, nullptr);
    return sink;
}

AsyncReader::AsyncReader() {
    addPin(std::make_unique<IPin>(this, PINDIR_OUTPUT, "Output"));
}

HRESULT AsyncReader::Load(const std::string& fileName, const AM_MEDIA_TYPE*) {
    if (::access(fileName.c_str(), R_OK) != 0) return com::HRESULT_FROM_WIN32(errno == ENOENT ? 2 : 5);
    path_ = fileName;
    StreamFormat f;
    f.majortype = MEDIATYPE_Stream;
    std::ifstream in(fileName, std::ios::binary);
    char head[12] = {};
    in.read(head, sizeof head);
    if (std::string(head, 4) == "RIFF" && std::string(head + 8, 4) == "AVI ") f.subtype = MEDIASUBTYPE_Avi;
    f.location = fileName;
    output_ = f;
    return com::S_OK;
}

GstElement* AsyncReader::makeElement(bool) {
    if (!gst::Ensure()) return nullptr;
    GstElement* src = gst::Make("filesrc");
    if (src) g_object_set(src, "location", path_.c_str(), nullptr);
    return src;
}

AviSplitter::AviSplitter() {
    addPin(std::make_unique<IPin>(this, PINDIR_INPUT, "input pin"));
    addPin(std::make_unique<IPin>(this, PINDIR_OUTPUT, "Stream 00"));
}

namespace {

// Looks into an AVI file with GStreamer's demuxer: the format of its first video stream.
struct Discovery {
    std::mutex mutex;
    std::optional<StreamFormat> video;
    std::atomic<bool> done{false};
    GstElement* pipeline = nullptr;

    static void onNoMorePads(GstElement*, gpointer data) {
        gst::Fence();
        static_cast<Discovery*>(data)->done = true;
    }

    static void onPad(GstElement*, GstPad* pad, gpointer data) {
        gst::Fence();
        look(pad, static_cast<Discovery*>(data));
        gst::Fence();
    }

    static void look(GstPad* pad, Discovery* d) {
        GstCaps* caps = gst_pad_get_current_caps(pad);
        if (!caps) caps = gst_pad_query_caps(pad, nullptr);
        StreamFormat f;
        std::lock_guard g(d->mutex);
        if (!d->video && caps && gst_caps_get_size(caps) > 0 &&
            gst::FormatFromStructure(gst_caps_get_structure(caps, 0), f) && f.isVideo())
            d->video = f;
        if (caps) gst_caps_unref(caps);
        gst::LinkToNewFakeSink(d->pipeline, pad);
    }
};

} // namespace

HRESULT AviSplitter::acceptInput(const StreamFormat& up) {
    if (up.majortype != MEDIATYPE_Stream || up.subtype != MEDIASUBTYPE_Avi) return VFW_E_INVALID_FILE_FORMAT;
    if (!gst::Ensure()) return com::E_FAIL;
    Discovery d;
    d.pipeline = gst_pipeline_new(nullptr);
    GstElement* src = gst::Make("filesrc");
    GstElement* demux = gst::Make("avidemux");
    if (!src || !demux) {
        gst_object_unref(d.pipeline);
        return com::E_FAIL;
    }
    g_object_set(src, "location", up.location.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(d.pipeline), src, demux, nullptr);
    gst_element_link(src, demux);
    g_signal_connect(demux, "pad-added", G_CALLBACK(&Discovery::onPad), &d);
    g_signal_connect(demux, "no-more-pads", G_CALLBACK(&Discovery::onNoMorePads), &d);
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(d.pipeline));
    gst::Fence();
    gst_element_set_state(d.pipeline, GST_STATE_PAUSED);
    // The demuxer adds its pads from its own thread once it has read the headers.
    for (int i = 0; i < 500 && !d.done; ++i) {
        if (GstMessage* m = gst_bus_timed_pop_filtered(bus, 10 * GST_MSECOND,
                                                       GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))) {
            gst_message_unref(m);
            break;
        }
    }
    gst_element_set_state(d.pipeline, GST_STATE_NULL);
    gst::Fence();
    gst_object_unref(bus);
    gst_object_unref(d.pipeline);
    std::lock_guard g(d.mutex);
    if (!d.video) return VFW_E_CANNOT_CONNECT;
    output_ = d.video;
    return com::S_OK;
}

GstElement* AviSplitter::makeElement(bool) {
    return gst::Ensure() ? gst::Make("avidemux") : nullptr;
}

DvSplitter::DvSplitter() {
    addPin(std::make_unique<IPin>(this, PINDIR_INPUT, "Input"));
    addPin(std::make_unique<IPin>(this, PINDIR_OUTPUT, "DVVidOut0"));
}

HRESULT DvSplitter::acceptInput(const StreamFormat& up) {
    if (up.subtype != MEDIASUBTYPE_dvsd) return VFW_E_CANNOT_CONNECT;
    system_ = up.dvSystemStream;
    StreamFormat out = up;
    out.dvSystemStream = false;
    output_ = out;
    return com::S_OK;
}

GstElement* DvSplitter::makeElement(bool) {
    if (!gst::Ensure()) return nullptr;
    // A DV stream from a type-2 AVI file carries its sound apart already.
    return gst::Make(system_ ? "dvdemux" : "identity");
}

DvVideoCodec::DvVideoCodec() {
    addPin(std::make_unique<IPin>(this, PINDIR_INPUT, "XForm In"));
    addPin(std::make_unique<IPin>(this, PINDIR_OUTPUT, "XForm Out"));
}

HRESULT DvVideoCodec::acceptInput(const StreamFormat& up) {
    if (up.subtype != MEDIASUBTYPE_dvsd || up.dvSystemStream) return VFW_E_CANNOT_CONNECT;
    StreamFormat out = up;
    out.subtype = MEDIASUBTYPE_YUY2;
    output_ = out;
    return com::S_OK;
}

GstElement* DvVideoCodec::makeElement(bool) {
    return gst::Ensure() ? gst::Make("dvdec") : nullptr;
}

HRESULT CoCreateFilter(const GUID& clsid, std::shared_ptr<BaseFilter>& out) {
    out.reset();
    if (clsid == CLSID_SampleGrabber)
        out = std::make_shared<SampleGrabber>();
    else if (clsid == CLSID_NullRenderer)
        out = std::make_shared<NullRenderer>();
    else if (clsid == CLSID_AsyncReader)
        out = std::make_shared<AsyncReader>();
    else if (clsid == CLSID_AviSplitter)
        out = std::make_shared<AviSplitter>();
    else if (clsid == CLSID_DVSplitter)
        out = std::make_shared<DvSplitter>();
    else if (clsid == CLSID_DVVideoCodec)
        out = std::make_shared<DvVideoCodec>();
    else
        return com::REGDB_E_CLASSNOTREG;
    return com::S_OK;
}

} // namespace dshow
