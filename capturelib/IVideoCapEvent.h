#pragma once
// The sink interface of the capture library: one call per delivered sample,
// on the thread that created the VideoCap5 object. pBuffer is lent for the
// call only; the sink copies what it needs. Results are ignored.
#include "Unknown.h"

#include <cstdint>

class IVideoCap;

class IVideoCapEvent : public com::IUnknown {
public:
    static constexpr com::IID kIID = com::MakeGuid("71F9A92B-8C7E-41D3-827B-FEBE0B6076D6");
    // dSampleTime: seconds of stream time; lDeviceNumber: the source number (0 for a file).
    virtual com::HRESULT OnDVEvent(IVideoCap* pSource, double dSampleTime, const uint8_t* pBuffer,
                                   int32_t lBufferSize, int32_t lDeviceNumber) = 0;
    virtual com::HRESULT OnRGBEvent(IVideoCap* pSource, double dSampleTime, const uint8_t* pBuffer,
                                    int32_t lBufferSize, int32_t lDeviceNumber) = 0;
    virtual com::HRESULT OnAudioEvent(IVideoCap* pSource, double dSampleTime, const uint8_t* pBuffer,
                                      int32_t lBufferSize, int32_t lDeviceNumber) = 0;

protected:
    ~IVideoCapEvent() = default;
};
