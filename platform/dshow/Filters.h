#pragma once
// The stock filters of a capture or file graph besides the capture device and
// the sample grabber: null renderer, file source (async reader), AVI and DV
// splitters and the DV video decoder, each created by its class identifier.
#include "BaseFilter.h"

namespace dshow {

inline constexpr GUID CLSID_NullRenderer = com::MakeGuid("C1F400A4-3F08-11D3-9F0B-006008039E37");
inline constexpr GUID CLSID_AsyncReader = com::MakeGuid("E436EBB5-524F-11CE-9F53-0020AF0BA770");
inline constexpr GUID CLSID_AviSplitter = com::MakeGuid("1B544C20-FD0B-11CE-8C63-00AA0044B51E");
inline constexpr GUID CLSID_DVSplitter = com::MakeGuid("4EB31670-9FC6-11CF-AF6E-00AA00B67A42");
inline constexpr GUID CLSID_DVVideoCodec = com::MakeGuid("B1B77C00-C3E4-11CF-AF79-00AA00B67A42");

// Swallows whatever reaches it, in step with the clock for a file graph.
class NullRenderer : public BaseFilter {
public:
    NullRenderer();

protected:
    HRESULT acceptInput(const StreamFormat& up) override;
    GstElement* makeElement(bool liveGraph) override;
};

// The file source: a byte stream of one file.
class AsyncReader : public BaseFilter {
public:
    AsyncReader();
    // The file must exist and be readable (its error as a result code otherwise).
    HRESULT Load(const std::string& fileName, const AM_MEDIA_TYPE* pmt);

protected:
    HRESULT acceptInput(const StreamFormat&) override { return VFW_E_NO_ACCEPTABLE_TYPES; }
    void disconnected() override {}
    GstElement* makeElement(bool liveGraph) override;

private:
    std::string path_;
};

// Splits an AVI file; its output is the file's first video stream (the other
// streams are left unconnected and discarded).
class AviSplitter : public BaseFilter {
public:
    AviSplitter();

protected:
    HRESULT acceptInput(const StreamFormat& up) override;
    GstElement* makeElement(bool liveGraph) override;
    bool hasDynamicOutput() const override { return true; }
};

// Takes the DV video out of a DV stream (its interleaved sound is discarded).
class DvSplitter : public BaseFilter {
public:
    DvSplitter();

protected:
    HRESULT acceptInput(const StreamFormat& up) override;
    GstElement* makeElement(bool liveGraph) override;
    bool hasDynamicOutput() const override { return system_; }

private:
    bool system_ = false;
};

// Decodes DV video to uncompressed pictures.
class DvVideoCodec : public BaseFilter {
public:
    DvVideoCodec();

protected:
    HRESULT acceptInput(const StreamFormat& up) override;
    GstElement* makeElement(bool liveGraph) override;
};

// The filter of a class identifier (also the sample grabber);
// REGDB_E_CLASSNOTREG for any other class.
HRESULT CoCreateFilter(const GUID& clsid, std::shared_ptr<BaseFilter>& out);

} // namespace dshow
