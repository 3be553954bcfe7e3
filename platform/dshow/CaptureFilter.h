#pragma once
// A capture device as a filter: one output pin "Capture" with the device's
// formats (stream configuration) and, for sound, the buffer size (buffer
// negotiation). Devices with an external identifier also answer it (the
// extended-device interface). While a graph runs, the device is a live
// GStreamer source: the device's own element, or for a synthetic device a
// live test pattern or test tone.
#include "SystemDeviceEnum.h"

#include <mutex>

namespace dshow {

class CaptureFilter : public BaseFilter {
public:
    explicit CaptureFilter(DeviceDescription device);
    const DeviceDescription& device() const { return device_; }

    // The extended-device interface: E_NOINTERFACE for a device without one.
    HRESULT get_ExternalDeviceID(std::array<uint32_t, 2>& id) const;

    // The stream configuration of the capture pin.
    HRESULT GetNumberOfCapabilities(int* count, int* size);
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, uint8_t* caps);
    HRESULT GetFormat(AM_MEDIA_TYPE** pmt);
    HRESULT SetFormat(const AM_MEDIA_TYPE* pmt);
    HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* props);

    std::optional<StreamFormat> outputFormat() const override;

protected:
    HRESULT acceptInput(const StreamFormat&) override { return VFW_E_NO_ACCEPTABLE_TYPES; }
    void disconnected() override {}
    GstElement* makeElement(bool liveGraph) override;
    bool isLiveSource() const override { return true; }

private:
    class CapturePin;
    DeviceDescription device_;
    mutable std::mutex mutex_;
    StreamFormat current_;
    int32_t bufferBytes_ = -1; // suggested by buffer negotiation; -1 none
};

} // namespace dshow
