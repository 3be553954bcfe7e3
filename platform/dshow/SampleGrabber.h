#pragma once
// The sample grabber: an in-place filter that hands every sample passing
// through to a callback on the streaming thread and passes it on unchanged,
// so several grabbers can stand in a row. The media type set before the
// connection decides what it accepts; for RGB24 the connection converts
// (decodes, changes colour format) as needed, and the callback sees the
// picture as the original platform delivered it: bottom-up rows of blue,
// green, red, each padded to 4 bytes. The row flip happens in the copy the
// callback makes anyway (MediaSample::CopyTo), never in a copy of its own.
#include "BaseFilter.h"

#include <atomic>
#include <mutex>

namespace dshow {

inline constexpr GUID CLSID_SampleGrabber = com::MakeGuid("C1F400A0-3F08-11D3-9F0B-006008039E37");

// One sample as the callback sees it, valid during the callback only.
class MediaSample {
public:
    MediaSample(const uint8_t* data, size_t size)
        : data_(data), length_(size), srcStride_(size), dstStride_(size), rows_(1) {}
    // A picture whose rows lie top-down with `srcStride` bytes apart, handed
    // out bottom-up with `dstStride` bytes per row (`rowBytes` of them data).
    MediaSample(const uint8_t* data, size_t srcStride, size_t dstStride, size_t rowBytes, size_t rows)
        : data_(data), length_(dstStride * rows), srcStride_(srcStride), dstStride_(dstStride),
          rowBytes_(rowBytes), rows_(rows), flip_(true) {}

    // Bytes the sample occupies as handed out.
    long GetActualDataLength() const { return long(length_); }
    // Writes GetActualDataLength() bytes at dst.
    void CopyTo(uint8_t* dst) const;
    // The bytes as they lie in the stream (top-down for pictures).
    const uint8_t* rawData() const { return data_; }
    // The number the source gave this sample in its stream (a live camera
    // counts its frames), -1 when it gave none.
    int64_t Sequence() const { return sequence_; }
    void SetSequence(int64_t n) { sequence_ = n; }

private:
    const uint8_t* data_;
    size_t length_, srcStride_, dstStride_, rowBytes_ = 0, rows_;
    bool flip_ = false;
    int64_t sequence_ = -1;
};

class ISampleGrabberCB {
public:
    virtual HRESULT SampleCB(double SampleTime, const MediaSample& sample) = 0;
    // SampleTime: the sample's stream time in seconds since the graph ran.
    virtual HRESULT BufferCB(double SampleTime, const MediaSample& sample) = 0;

protected:
    ~ISampleGrabberCB() = default;
};

class SampleGrabber : public BaseFilter {
public:
    SampleGrabber();
    ~SampleGrabber() override;
    // Only the major type and subtype count.
    HRESULT SetMediaType(const AM_MEDIA_TYPE* pmt);
    // A copy of the type connected (the caller frees its block with FreeMediaType).
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* pmt) const;
    HRESULT SetBufferSamples(bool buffer);
    HRESULT SetOneShot(bool oneShot);
    // which: 0 calls SampleCB, 1 BufferCB. The callback must outlive the graph's run.
    HRESULT SetCallback(ISampleGrabberCB* cb, long which);

    struct Probe; // inside the layer

protected:
    HRESULT acceptInput(const StreamFormat& upstream) override;
    GstElement* makeElement(bool liveGraph) override;

private:
    friend struct Probe;
    std::optional<GUID> major_, sub_;
    StreamFormat upstream_;
    std::atomic<ISampleGrabberCB*> cb_{nullptr};
    std::atomic<long> which_{1};
    std::atomic<bool> oneShot_{false}, shotDone_{false};
    bool bufferSamples_ = false;
    std::unique_ptr<Probe> probe_;
};

} // namespace dshow
