#include "CaptureFilter.h"

#include "FilterGraph.h"
#include "GstSupport.h"

namespace dshow {

class CaptureFilter::CapturePin : public IPin, public IAMStreamConfig, public IAMBufferNegotiation {
public:
    explicit CapturePin(CaptureFilter* f) : IPin(f, PINDIR_OUTPUT, "Capture"), f_(f) {}
    IAMStreamConfig* QueryStreamConfig() override { return this; }
    IAMBufferNegotiation* QueryBufferNegotiation() override { return f_->device_.audio ? this : nullptr; }
    HRESULT GetNumberOfCapabilities(int* count, int* size) override {
        return f_->GetNumberOfCapabilities(count, size);
    }
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, uint8_t* caps) override {
        return f_->GetStreamCaps(index, pmt, caps);
    }
    HRESULT GetFormat(AM_MEDIA_TYPE** pmt) override { return f_->GetFormat(pmt); }
    HRESULT SetFormat(const AM_MEDIA_TYPE* pmt) override { return f_->SetFormat(pmt); }
    HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* props) override {
        return f_->SuggestAllocatorProperties(props);
    }

private:
    CaptureFilter* f_;
};

CaptureFilter::CaptureFilter(DeviceDescription device) : device_(std::move(device)) {
    if (!device_.formats.empty()) current_ = device_.formats.front();
    addPin(std::make_unique<CapturePin>(this));
}

HRESULT CaptureFilter::get_ExternalDeviceID(std::array<uint32_t, 2>& id) const {
    if (!device_.externalId) return com::E_NOINTERFACE;
    id = *device_.externalId;
    return com::S_OK;
}

std::optional<StreamFormat> CaptureFilter::outputFormat() const {
    std::lock_guard g(mutex_);
    if (device_.formats.empty()) return std::nullopt;
    return current_;
}

HRESULT CaptureFilter::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) return com::E_POINTER;
    *count = int(device_.formats.size());
    *size = 0;
    return com::S_OK;
}

HRESULT CaptureFilter::GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, uint8_t*) {
    if (!pmt) return com::E_POINTER;
    *pmt = nullptr;
    if (index < 0 || size_t(index) >= device_.formats.size()) return com::S_FALSE;
    AM_MEDIA_TYPE mt = MakeMediaType(device_.formats[size_t(index)]);
    *pmt = CreateMediaType(mt);
    FreeMediaType(mt);
    return *pmt ? com::S_OK : com::E_OUTOFMEMORY;
}

HRESULT CaptureFilter::GetFormat(AM_MEDIA_TYPE** pmt) {
    if (!pmt) return com::E_POINTER;
    *pmt = nullptr;
    const auto f = outputFormat();
    if (!f) return VFW_E_NOT_CONNECTED;
    AM_MEDIA_TYPE mt = MakeMediaType(*f);
    *pmt = CreateMediaType(mt);
    FreeMediaType(mt);
    return *pmt ? com::S_OK : com::E_OUTOFMEMORY;
}

HRESULT CaptureFilter::SetFormat(const AM_MEDIA_TYPE* pmt) {
    if (!pmt) return com::E_POINTER;
    if (graph() && graph()->isRunning()) return VFW_E_NOT_STOPPED;
    StreamFormat wanted;
    if (!FormatFromMediaType(*pmt, wanted)) return VFW_E_INVALIDMEDIATYPE;
    const VIDEOINFOHEADER* want_vih = VideoInfo(*pmt);
    for (const StreamFormat& f : device_.formats) {
        if (f.majortype != wanted.majortype || f.subtype != wanted.subtype) continue;
        bool match;
        StreamFormat chosen = wanted;
        if (f.isAudio()) {
            // The device delivers either sample width; rate and channels are its own.
            match = f.rate == wanted.rate && f.channels == wanted.channels &&
                    (wanted.bits == 8 || wanted.bits == 16);
        } else {
            AM_MEDIA_TYPE cap = MakeMediaType(f);
            const VIDEOINFOHEADER* vih = VideoInfo(cap);
            match = vih && want_vih && f.width == wanted.width && f.height == wanted.height &&
                    vih->AvgTimePerFrame == want_vih->AvgTimePerFrame;
            FreeMediaType(cap);
            chosen = f;
        }
        if (match) {
            std::lock_guard g(mutex_);
            current_ = chosen;
            return com::S_OK;
        }
    }
    return VFW_E_INVALIDMEDIATYPE;
}

HRESULT CaptureFilter::SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* props) {
    if (!props) return com::E_POINTER;
    if (graph() && graph()->isRunning()) return VFW_E_NOT_STOPPED;
    std::lock_guard g(mutex_);
    bufferBytes_ = props->cbBuffer;
    return com::S_OK;
}

GstElement* CaptureFilter::makeElement(bool) {
    if (!gst::Ensure()) return nullptr;
    StreamFormat f;
    int32_t bufferBytes;
    {
        std::lock_guard g(mutex_);
        f = current_;
        bufferBytes = bufferBytes_;
    }
    GstCaps* caps = gst::CapsFromFormat(f);
    if (!caps) return nullptr;
    GstElement* filter = gst::Make("capsfilter");
    if (filter) g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    const int blockAlign = f.channels * f.bits / 8;
    const int samplesPerBuffer = bufferBytes > 0 && blockAlign > 0 ? bufferBytes / blockAlign : 0;

    if (device_.synthetic && device_.audio) {
        GstElement* src = gst::Make("audiotestsrc");
        if (src) {
            g_object_set(src, "is-live", TRUE, "freq", 440.0, "volume", 0.3, nullptr);
            if (samplesPerBuffer > 0) g_object_set(src, "samplesperbuffer", samplesPerBuffer, nullptr);
        }
        return gst::Chain("Audio Input", {src, gst::Make("audioconvert"), filter});
    }
    if (device_.synthetic) {
        // The pattern is drawn once and the same picture goes out at the
        // camera's rate: drawing a large picture for every frame costs
        // milliseconds of processor time, and on a busy machine the camera
        // itself would fall behind. The clock paces the frames; one that is
        // late still goes out, with its own time and number, so a late
        // streaming thread shows as lag, never as frames the camera skipped.
        GstElement* src = gst::Make("videotestsrc");
        if (src) g_object_set(src, "num-buffers", 1, nullptr);
        GstElement* still = gst::Make("imagefreeze");
        if (f.subtype == MEDIASUBTYPE_MJPG) {
            StreamFormat raw = f;
            raw.subtype = MEDIASUBTYPE_I420;
            GstCaps* rc = gst::CapsFromFormat(raw);
            GstElement* rawFilter = gst::Make("capsfilter");
            if (rawFilter) g_object_set(rawFilter, "caps", rc, nullptr);
            gst_caps_unref(rc);
            return gst::Chain("Capturing Device",
                              {src, still, rawFilter, gst::Make("jpegenc"), filter, gst::Make("clocksync")});
        }
        return gst::Chain("Capturing Device", {src, still, filter, gst::Make("clocksync")});
    }
    GstElement* src = gst_device_create_element(static_cast<GstDevice*>(device_.gstDevice.get()), nullptr);
    if (device_.audio) {
        if (src && samplesPerBuffer > 0 &&
            g_object_class_find_property(G_OBJECT_GET_CLASS(src), "latency-time")) {
            const gint64 us = gint64(samplesPerBuffer) * 1000000 / (f.rate > 0 ? f.rate : 1);
            g_object_set(src, "latency-time", us, "buffer-time", us * 4, nullptr);
        }
        return gst::Chain("Audio Input",
                          {src, gst::Make("audioconvert"), gst::Make("audioresample"), filter});
    }
    return gst::Chain("Capturing Device", {src, filter});
}

} // namespace dshow
