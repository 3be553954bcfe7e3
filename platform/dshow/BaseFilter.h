#pragma once
// The filter model of the capture graph: filters with pins in their own
// order, the stream-configuration and buffer-negotiation interfaces of a
// capture pin, and the result codes of the graph calls. Filters are shared
// objects (std::shared_ptr); "querying an interface" is a dynamic_cast or the
// Query* calls of a pin. Each filter maps to GStreamer elements only while
// its graph runs; until then a connection is a check of formats.
#include "MediaType.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;

namespace dshow {

inline constexpr HRESULT VFW_E_INVALIDMEDIATYPE = com::MakeHResult(0x80040200);
inline constexpr HRESULT VFW_E_ALREADY_CONNECTED = com::MakeHResult(0x80040204);
inline constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = com::MakeHResult(0x80040207);
inline constexpr HRESULT VFW_E_NOT_CONNECTED = com::MakeHResult(0x80040209);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = com::MakeHResult(0x80040217);
inline constexpr HRESULT VFW_E_NOT_STOPPED = com::MakeHResult(0x80040224);
inline constexpr HRESULT VFW_E_NOT_IN_GRAPH = com::MakeHResult(0x8004025F);
inline constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = com::MakeHResult(0x8004022F);
inline constexpr HRESULT VFW_E_NOT_FOUND = com::MakeHResult(0x80040216);
inline constexpr HRESULT VFW_E_DUPLICATE_NAME = com::MakeHResult(0x8004028D);

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// A capture pin's list of formats and its current one. The list is stable
// for a device, so a stored format number stays valid between runs.
class IAMStreamConfig {
public:
    virtual HRESULT GetNumberOfCapabilities(int* count, int* size) = 0;
    // A new record (DeleteMediaType frees it) for capability `index`.
    virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, uint8_t* caps) = 0;
    virtual HRESULT GetFormat(AM_MEDIA_TYPE** pmt) = 0;
    // VFW_E_INVALIDMEDIATYPE for a format the device does not offer (nothing changes).
    virtual HRESULT SetFormat(const AM_MEDIA_TYPE* pmt) = 0;

protected:
    ~IAMStreamConfig() = default;
};

struct ALLOCATOR_PROPERTIES {
    int32_t cBuffers = -1;
    int32_t cbBuffer = -1;
    int32_t cbAlign = -1;
    int32_t cbPrefix = -1;
};

// How large the buffers of a capture pin are: for audio this sets how much
// sound each sample holds, so how often one arrives.
class IAMBufferNegotiation {
public:
    virtual HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* props) = 0;

protected:
    ~IAMBufferNegotiation() = default;
};

class BaseFilter;

class IPin {
public:
    IPin(BaseFilter* owner, PIN_DIRECTION dir, std::string name)
        : owner_(owner), dir_(dir), name_(std::move(name)) {}
    virtual ~IPin() = default;
    PIN_DIRECTION QueryDirection() const { return dir_; }
    const std::string& name() const { return name_; }
    BaseFilter* filter() const { return owner_; }
    IPin* ConnectedTo() const { return peer_; }
    virtual IAMStreamConfig* QueryStreamConfig() { return nullptr; }
    virtual IAMBufferNegotiation* QueryBufferNegotiation() { return nullptr; }

private:
    friend class FilterGraph;
    BaseFilter* owner_;
    PIN_DIRECTION dir_;
    std::string name_;
    IPin* peer_ = nullptr;
};

class FilterGraph;

class BaseFilter {
public:
    virtual ~BaseFilter() = default;
    BaseFilter(const BaseFilter&) = delete;
    BaseFilter& operator=(const BaseFilter&) = delete;

    // The pins in the filter's own order.
    std::vector<IPin*> EnumPins() const;
    // The name it was added to a graph under.
    const std::string& name() const { return name_; }
    FilterGraph* graph() const { return graph_; }

    // What the first output pin delivers; empty until the filter is connected
    // (sources know it at once).
    virtual std::optional<StreamFormat> outputFormat() const { return output_; }

protected:
    BaseFilter() = default;
    void addPin(std::unique_ptr<IPin> pin) { pins_.push_back(std::move(pin)); }
    // Connection check for the first input pin; sets output_ on success.
    virtual HRESULT acceptInput(const StreamFormat& upstream) = 0;
    virtual void disconnected() { output_.reset(); }
    // The element(s) for a run, as one element with pads "sink" and "src"
    // (a bin when several); null on failure. A filter whose outputs appear
    // while it runs (a splitter) gives its element as is.
    virtual GstElement* makeElement(bool liveGraph) = 0;
    virtual bool hasDynamicOutput() const { return false; }
    virtual bool isLiveSource() const { return false; }

    std::optional<StreamFormat> output_;

private:
    friend class FilterGraph;
    std::vector<std::unique_ptr<IPin>> pins_;
    std::string name_;
    FilterGraph* graph_ = nullptr;
};

} // namespace dshow
