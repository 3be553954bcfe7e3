#include "SampleGrabber.h"

#include "GstSupport.h"

#include <gst/video/video.h>

#include <cstring>

namespace dshow {

void MediaSample::CopyTo(uint8_t* dst) const {
    if (!flip_) {
        std::memcpy(dst, data_, length_);
        return;
    }
    const size_t n = rowBytes_ < dstStride_ ? rowBytes_ : dstStride_;
    for (size_t r = 0; r < rows_; ++r) {
        uint8_t* out = dst + (rows_ - 1 - r) * dstStride_;
        std::memcpy(out, data_ + r * srcStride_, n);
        if (dstStride_ > n) std::memset(out + n, 0, dstStride_ - n);
    }
}

// What the streaming thread keeps between buffers: the picture layout of the
// caps in force.
struct SampleGrabber::Probe {
    SampleGrabber* owner;
    GstCaps* caps = nullptr;
    GstVideoInfo info;
    bool rgb = false;

    ~Probe() {
        if (caps) gst_caps_unref(caps);
    }

    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* pi, gpointer data) {
        gst::Fence();
        const GstPadProbeReturn r = handle(pad, pi, static_cast<Probe*>(data));
        gst::Fence();
        return r;
    }

    static GstPadProbeReturn handle(GstPad* pad, GstPadProbeInfo* pi, Probe* self) {
        SampleGrabber& g = *self->owner;
        ISampleGrabberCB* cb = g.cb_.load();
        GstBuffer* buf = GST_PAD_PROBE_INFO_BUFFER(pi);
        if (!cb || !buf) return GST_PAD_PROBE_OK;
        if (g.oneShot_.load() && g.shotDone_.exchange(true)) return GST_PAD_PROBE_OK;

        double time = 0;
        if (GST_BUFFER_PTS_IS_VALID(buf)) {
            guint64 rt = GST_BUFFER_PTS(buf);
            if (GstEvent* ev = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0)) {
                const GstSegment* seg = nullptr;
                gst_event_parse_segment(ev, &seg);
                const guint64 r = gst_segment_to_running_time(seg, GST_FORMAT_TIME, GST_BUFFER_PTS(buf));
                if (r != GST_CLOCK_TIME_NONE) rt = r;
                gst_event_unref(ev);
            }
            time = double(rt) / GST_SECOND;
        }
        if (self->rgb) {
            GstCaps* caps = gst_pad_get_current_caps(pad);
            if (caps && caps != self->caps) {
                if (self->caps) gst_caps_unref(self->caps);
                self->caps = gst_caps_ref(caps);
                gst_video_info_from_caps(&self->info, caps);
            }
            if (caps) gst_caps_unref(caps);
            GstVideoFrame frame;
            if (!self->caps || !gst_video_frame_map(&frame, &self->info, buf, GST_MAP_READ))
                return GST_PAD_PROBE_OK;
            const size_t width = size_t(GST_VIDEO_FRAME_WIDTH(&frame)),
                         height = size_t(GST_VIDEO_FRAME_HEIGHT(&frame));
            MediaSample sample(static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                               size_t(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0)),
                               size_t(Rgb24Stride(int64_t(width))), width * 3, height);
            if (GST_BUFFER_OFFSET_IS_VALID(buf)) sample.SetSequence(int64_t(GST_BUFFER_OFFSET(buf)));
            g.which_ == 0 ? cb->SampleCB(time, sample) : cb->BufferCB(time, sample);
            gst_video_frame_unmap(&frame);
            return GST_PAD_PROBE_OK;
        }
        GstMapInfo map;
        if (!gst_buffer_map(buf, &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
        MediaSample sample(map.data, map.size);
        if (GST_BUFFER_OFFSET_IS_VALID(buf)) sample.SetSequence(int64_t(GST_BUFFER_OFFSET(buf)));
        g.which_ == 0 ? cb->SampleCB(time, sample) : cb->BufferCB(time, sample);
        gst_buffer_unmap(buf, &map);
        return GST_PAD_PROBE_OK;
    }
};

SampleGrabber::SampleGrabber() {
    addPin(std::make_unique<IPin>(this, PINDIR_INPUT, "Input"));
    addPin(std::make_unique<IPin>(this, PINDIR_OUTPUT, "Output"));
}

SampleGrabber::~SampleGrabber() = default;

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE* pmt) {
    if (!pmt) return com::E_POINTER;
    if (output_) return VFW_E_ALREADY_CONNECTED;
    major_ = pmt->majortype == com::GUID_NULL ? std::nullopt : std::optional<GUID>(pmt->majortype);
    sub_ = pmt->subtype == com::GUID_NULL ? std::nullopt : std::optional<GUID>(pmt->subtype);
    return com::S_OK;
}

HRESULT SampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* pmt) const {
    if (!pmt) return com::E_POINTER;
    if (!output_) return VFW_E_NOT_CONNECTED;
    *pmt = MakeMediaType(*output_);
    return pmt->pbFormat ? com::S_OK : com::E_OUTOFMEMORY;
}

HRESULT SampleGrabber::SetBufferSamples(bool buffer) {
    bufferSamples_ = buffer;
    return com::S_OK;
}

HRESULT SampleGrabber::SetOneShot(bool oneShot) {
    oneShot_ = oneShot;
    shotDone_ = false;
    return com::S_OK;
}

HRESULT SampleGrabber::SetCallback(ISampleGrabberCB* cb, long which) {
    if (which != 0 && which != 1) return com::E_INVALIDARG;
    which_ = which;
    cb_ = cb;
    return com::S_OK;
}

HRESULT SampleGrabber::acceptInput(const StreamFormat& up) {
    if (major_ && *major_ != up.majortype) return VFW_E_CANNOT_CONNECT;
    StreamFormat out = up;
    if (sub_ && *sub_ != up.subtype) {
        // The one conversion on offer: any picture to RGB24 (decoded first when compressed).
        if (*sub_ != MEDIASUBTYPE_RGB24 || !up.isVideo() || up.width <= 0 || up.height <= 0)
            return VFW_E_CANNOT_CONNECT;
        out.subtype = MEDIASUBTYPE_RGB24;
        out.dvSystemStream = false;
    }
    upstream_ = up;
    output_ = out;
    return com::S_OK;
}

GstElement* SampleGrabber::makeElement(bool liveGraph) {
    if (!gst::Ensure() || !output_) return nullptr;
    std::vector<GstElement*> chain;
    // A file is read as fast as the renderer takes it: the renderer waits for
    // each sample's time, but only after the grabber has seen the next one.
    // Waiting here hands the samples over at their pace, as a camera would.
    if (!liveGraph) chain.push_back(gst::Make("clocksync"));
    const bool rgb = output_->subtype == MEDIASUBTYPE_RGB24;
    if (rgb && upstream_.subtype != MEDIASUBTYPE_RGB24) {
        if (upstream_.subtype == MEDIASUBTYPE_MJPG) chain.push_back(gst::Make("jpegdec"));
        if (upstream_.subtype == MEDIASUBTYPE_dvsd) chain.push_back(gst::Make("dvdec"));
        chain.push_back(gst::Make("videoconvert"));
        GstElement* filter = gst::Make("capsfilter");
        if (filter) {
            GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", nullptr);
            g_object_set(filter, "caps", caps, nullptr);
            gst_caps_unref(caps);
        }
        chain.push_back(filter);
    }
    GstElement* core = gst::Make("identity");
    chain.push_back(core);
    GstElement* bin = gst::Chain(name().c_str(), chain);
    if (!bin) return nullptr;
    probe_ = std::make_unique<Probe>();
    probe_->owner = this;
    probe_->rgb = rgb;
    GstPad* src = gst_element_get_static_pad(core, "src");
    gst_pad_add_probe(src, GST_PAD_PROBE_TYPE_BUFFER, &Probe::onBuffer, probe_.get(), nullptr);
    gst_object_unref(src);
    shotDone_ = false;
    return bin;
}

} // namespace dshow
