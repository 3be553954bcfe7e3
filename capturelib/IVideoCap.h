#pragma once
// The capture library's interface, class and identifiers. Strings are BSTRs
// (UTF-8 here). Addresses handed out as text are 64-bit decimal numbers.
#include "Bstr.h"
#include "IVideoCapEvent.h"
#include "Unknown.h"

#include <atomic>
#include <cstdint>

inline constexpr com::CLSID CLSID_VideoCap5 = com::MakeGuid("A2E04531-98BB-43b2-96EE-28D0CE80CE3A");
inline constexpr com::GUID LIBID_OrvelCap5 = com::MakeGuid("54574CF2-1685-4E3B-9B30-6429BD022957");
inline constexpr com::GUID APPID_OrvelCap5 = com::MakeGuid("18FA2EAB-B764-4526-9A99-6E60617D704C");

// Frames of the video source that never reached the sinks, counted over the
// object's life: samples the grabber dropped because the creating thread let
// its short queue fill up ("overwritten"), and frames the source numbered but
// never handed to the grabber.
// GetProperty "FramesLost" gives its address (the grabber in use: RGB, else
// DV); a client reads the counts at any time, from any thread.
struct VideoCapFramesLost {
    std::atomic<uint32_t> overwritten{0};
    std::atomic<uint32_t> never_delivered{0};
};

// How long the sample a sink is being handed waited since it reached the
// grabber on the streaming thread (monotonic clock, microseconds): set just
// before each OnDVEvent, OnRGBEvent and OnAudioEvent call, 0 between
// deliveries. The creating thread may be held up while samples wait in the
// grabber's queue; a sink that stamps a frame with its own clock takes "now
// minus age" as the moment the frame came, not the moment it was delivered.
// GetProperty "DeliveryAge" gives its address; a sink reads it inside its
// event call.
struct VideoCapDeliveryAge {
    std::atomic<uint32_t> microseconds{0};
};

class IVideoCap : public com::IUnknown {
public:
    static constexpr com::IID kIID = com::MakeGuid("739417F0-4668-4C75-A967-C7FA18188F50");
    virtual com::HRESULT Advise(IVideoCapEvent* pVideoCapEvent, com::DWORD* pdwCookie) = 0;
    virtual com::HRESULT Unadvise(com::DWORD dwCookie) = 0;
    // pbResult: 1 when the source was found or accepted, else 0.
    virtual com::HRESULT SetSource(com::BSTR strSource, int32_t* pbResult) = 0;
    virtual com::HRESULT SetProperty(com::BSTR strProperty, com::BSTR strValue) = 0;
    virtual com::HRESULT GetProperty(com::BSTR strProperty, com::BSTR* pstrValue) = 0;
    virtual com::HRESULT GetVCAP(int32_t Index) = 0;
    virtual com::HRESULT Run() = 0;
    virtual com::HRESULT Pause() = 0;
    virtual com::HRESULT Stop() = 0;
    virtual com::HRESULT GetLastError(com::BSTR* pbstrLastError) = 0;

protected:
    ~IVideoCap() = default;
};
