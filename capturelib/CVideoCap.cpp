#include "CVideoCap.h"

#include "CaptureFilter.h"
#include "CxException.h"
#include "Filters.h"
#include "SampleGrabber.h"
#include "Scheduling.h"
#include "SystemDeviceEnum.h"
#include "VbString.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

using namespace dshow;
using com::HRESULT;

namespace {

// The capture device of the process: every object's SetSource replaces it,
// the video graph and the format keys use it.
std::mutex g_captureFilterLock;
std::shared_ptr<BaseFilter> g_captureFilter;

std::shared_ptr<BaseFilter> CaptureFilterOfProcess() {
    std::lock_guard g(g_captureFilterLock);
    return g_captureFilter;
}

const std::string kNoVideoDevice = "No video capture device was detected on your system.\r\n\r\n"
                                   "This sample requires a functional video capture device, such\r\n"
                                   "as a USB web camera.";

using vb::EqualsNoCase;

// The leading decimal integer of a text (optional sign, after blanks or
// tabs), 0 when it does not start with one.
long LeadingInteger(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return 0;
    return std::strtol(s.c_str(), nullptr, 10);
}

std::string Address(const void* p) {
    return std::to_string(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)));
}

// The index after the six letters of a "getAMT" key: every digit that
// follows them, up to the end of the key; 0 when none follows. An index too
// large for any device reads as -1, which no device lists.
int CapabilityIndex(const std::string& key) {
    int64_t index = 0;
    for (size_t i = 6; i < key.size() && key[i] >= '0' && key[i] <= '9'; ++i) {
        index = index * 10 + (key[i] - '0');
        if (index > 1000000) return -1;
    }
    return static_cast<int>(index);
}

IPin* FirstPin(const BaseFilter& f, PIN_DIRECTION dir) {
    for (IPin* p : f.EnumPins())
        if (p->QueryDirection() == dir) return p;
    return nullptr;
}

// The first output pin of upstream to the first input pin of downstream.
HRESULT ConnectFilters(FilterGraph& graph, BaseFilter& upstream, BaseFilter& downstream) {
    IPin* out = FirstPin(upstream, PINDIR_OUTPUT);
    IPin* in = FirstPin(downstream, PINDIR_INPUT);
    if (!out || !in) return com::E_FAIL;
    return graph.Connect(out, in);
}

std::string CategoryName(const com::GUID& category) {
    if (category == CLSID_VideoInputDeviceCategory) return "video";
    if (category == CLSID_AudioInputDeviceCategory) return "audio";
    return "";
}

std::string GraphFilePath() {
    // The graph file of old lay in the root of the system drive; here it lies
    // in the user's application-data folder.
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string dir = data && *data ? data : std::string(home ? home : "") + "/.local/share";
    return dir + "/MyGraph.grf";
}

} // namespace

CVideoCap::CVideoCap(com::ServerModule& module)
    : m_module(module), m_dvCB(this, CxSampleGrabberCB::DV), m_rgbCB(this, CxSampleGrabberCB::RGB),
      m_audioCB(this, CxSampleGrabberCB::Audio) {
    m_module.lock();
    // This thread is woken for every sample.
    RequestPromptWakeUps();
    m_window = std::make_unique<msgqueue::MessageTarget>(
        [this](uint32_t msg, uint64_t w, uint64_t l) { OnMessage(msg, w, l); });
    m_windowId = m_window->id();
}

CVideoCap::~CVideoCap() {
    // A graph still running stops here, before anything it calls into goes:
    // once the graphs have stopped, no streaming thread is inside a callback.
    m_running = false;
    for (CxSampleGrabberCB* c : {&m_dvCB, &m_rgbCB, &m_audioCB})
        c->Wake();
    std::vector<std::shared_ptr<FilterGraph>> graphs;
    {
        std::lock_guard g(m_graphLock);
        graphs.swap(m_stopping);
        if (m_graph) graphs.push_back(std::move(m_graph));
    }
    for (auto& graph : graphs)
        graph->Stop();
    graphs.clear();
    if (m_rotRegister) RemoveGraphFromRot(m_rotRegister);
    m_windowId = 0;
    m_window.reset(); // pending frame messages go with it
    FreeConnectedMediaType();
    FreeHandedOut();
    m_sinks.Clear();
    m_module.unlock();
}

HRESULT CVideoCap::QueryInterface(com::REFIID riid, void** ppv) {
    if (!ppv) return com::E_POINTER;
    if (riid == com::IUnknown::kIID || riid == IVideoCap::kIID) {
        *ppv = static_cast<IVideoCap*>(this);
        AddRef();
        return com::S_OK;
    }
    *ppv = nullptr;
    return com::E_NOINTERFACE;
}

com::ULONG CVideoCap::AddRef() {
    return m_refs.add();
}

com::ULONG CVideoCap::Release() {
    const com::ULONG n = m_refs.release();
    if (n == 0) delete this;
    return n;
}

// ---- last error -----------------------------------------------------------

void CVideoCap::SetLastErrorText(const std::string& text) {
    std::lock_guard g(m_errorLock);
    m_lastError = text;
}

void CVideoCap::SetErrorIfEmpty(const std::string& text) {
    std::lock_guard g(m_errorLock);
    if (m_lastError.empty()) m_lastError = text;
}

std::string CVideoCap::LastErrorText() const {
    std::lock_guard g(m_errorLock);
    return m_lastError;
}

HRESULT CVideoCap::GetLastError(com::BSTR* pbstrLastError) {
    if (!pbstrLastError) return com::E_POINTER;
    *pbstrLastError = com::ToBSTR(LastErrorText());
    return com::S_OK;
}

// ---- sinks and delivery -----------------------------------------------------

HRESULT CVideoCap::Advise(IVideoCapEvent* pVideoCapEvent, com::DWORD* pdwCookie) {
    if (!pVideoCapEvent || !pdwCookie) return com::E_POINTER;
    const com::DWORD cookie = m_sinks.Add(pVideoCapEvent);
    if (!cookie) return com::E_FAIL;
    *pdwCookie = cookie;
    return com::S_OK;
}

HRESULT CVideoCap::Unadvise(com::DWORD dwCookie) {
    m_sinks.Remove(dwCookie);
    return com::S_OK;
}

bool CVideoCap::PostFrameMessage(CxSampleGrabberCB::Kind kind) {
    const msgqueue::TargetId id = m_windowId.load();
    return id && msgqueue::PostMessage(id, WM_FRAME, 0, kind);
}

void CVideoCap::OnMessage(uint32_t msg, uint64_t, uint64_t lParam) {
    if (msg == WM_FRAME) {
        CxSampleGrabberCB* cb = lParam == CxSampleGrabberCB::DV      ? &m_dvCB
                                : lParam == CxSampleGrabberCB::RGB   ? &m_rgbCB
                                : lParam == CxSampleGrabberCB::Audio ? &m_audioCB
                                                                     : nullptr;
        if (cb) OnFrame(*cb);
    } else if (msg == WM_STOPGRAPH) {
        OnStopGraph();
    }
}

void CVideoCap::OnFrame(CxSampleGrabberCB& cb) {
    if (m_delivering) {
        // A sink let messages run inside its call: no nested event. The
        // sample stays queued and is offered again once the call returns.
        cb.MessageDropped();
        return;
    }
    if (!cb.TakeNext() || !m_running) return;
    // A sink may release this object from inside its call.
    com::ComPtr<IVideoCap> self(this);
    m_delivering = true;
    FanOut(cb.kind(), cb.Lent());
    m_delivering = false;
    for (CxSampleGrabberCB* c : {&m_dvCB, &m_rgbCB, &m_audioCB})
        c->RepostIfWaiting();
}

void CVideoCap::FanOut(CxSampleGrabberCB::Kind kind, const CxSampleGrabberCB::CxEventInfo& info) {
    if (!m_running) return;
    const uint8_t* buffer = info.data.get();
    const int32_t size = static_cast<int32_t>(info.length);
    const int32_t number = m_source.number;
    for (const auto& entry : m_sinks.Snapshot()) {
        if (!m_running) break;                         // Stop inside an earlier sink
        if (!m_sinks.Contains(entry.cookie)) continue; // unadvised inside an earlier sink
        IVideoCapEvent* sink = entry.item.get();
        // Each sink's own: an earlier sink's call has aged the sample.
        const int64_t age = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - info.arrived)
                                .count();
        m_deliveryAge.microseconds.store(static_cast<uint32_t>(std::clamp<int64_t>(age, 0, UINT32_MAX)),
                                         std::memory_order_relaxed);
        switch (kind) {
        case CxSampleGrabberCB::DV:
            sink->OnDVEvent(this, info.time, buffer, size, number);
            break;
        case CxSampleGrabberCB::RGB:
            sink->OnRGBEvent(this, info.time, buffer, size, number);
            break;
        case CxSampleGrabberCB::Audio:
            sink->OnAudioEvent(this, info.time, buffer, size, number);
            break;
        }
    }
    m_deliveryAge.microseconds.store(0, std::memory_order_relaxed);
}

// ---- run and stop -------------------------------------------------------------

HRESULT CVideoCap::Pause() {
    return com::S_OK;
}

HRESULT CVideoCap::Stop() {
    m_running = false;
    for (CxSampleGrabberCB* c : {&m_dvCB, &m_rgbCB, &m_audioCB})
        c->Wake();
    {
        // The graph goes to the window thread; a Run before that thread gets
        // to it builds a new graph that the teardown leaves alone.
        std::lock_guard g(m_graphLock);
        if (m_graph) m_stopping.push_back(std::move(m_graph));
    }
    const msgqueue::TargetId id = m_windowId.load();
    if (id) msgqueue::PostMessage(id, WM_STOPGRAPH, 0, 0);
    return com::S_OK;
}

void CVideoCap::TearDown(std::vector<std::shared_ptr<FilterGraph>> graphs) {
    for (auto& graph : graphs)
        graph->Stop();
    if (!graphs.empty() && m_rotRegister) {
        RemoveGraphFromRot(m_rotRegister);
        m_rotRegister = 0;
    }
}

void CVideoCap::OnStopGraph() {
    try {
        std::vector<std::shared_ptr<FilterGraph>> graphs;
        bool current;
        {
            std::lock_guard g(m_graphLock);
            graphs.swap(m_stopping);
            current = m_graph != nullptr;
        }
        TearDown(std::move(graphs));
        if (!current) FreeConnectedMediaType();
    } catch (const CxException& e) {
        SetLastErrorText(e.text());
    } catch (...) {
        SetLastErrorText("OrvelCap::Stop, unhandled exception!");
    }
}

HRESULT CVideoCap::Run() {
    if (m_running.exchange(true)) return com::S_FALSE;
    try {
        std::vector<std::shared_ptr<FilterGraph>> old;
        {
            std::lock_guard g(m_graphLock);
            old.swap(m_stopping);
            if (m_graph) old.push_back(std::move(m_graph));
        }
        TearDown(std::move(old)); // the device serves one graph at a time
        const bool file = !m_source.kind.empty() && m_source.kind != "video" && m_source.kind != "audio";
        for (CxSampleGrabberCB* c : {&m_dvCB, &m_rgbCB, &m_audioCB}) {
            c->Reset();
            c->SetHoldBack(file);
        }

        std::shared_ptr<FilterGraph> graph;
        if (com::FAILED(CreateFilterGraph(graph)) || !graph) {
            SetErrorIfEmpty("Could not create filter graph");
            return com::E_FAIL;
        }
        HRESULT hr;
        if (m_source.kind.empty() || m_source.kind == "video")
            hr = BuildVideoGraph(*graph);
        else if (m_source.kind == "audio")
            hr = BuildAudioGraph(*graph);
        else
            hr = BuildFileGraph(*graph);
        if (com::FAILED(hr)) {
            SetErrorIfEmpty("Could not build filter graph");
            return com::E_FAIL;
        }
        if (m_addToRot && com::FAILED(AddGraphToRot(graph.get(), &m_rotRegister))) {
            SetErrorIfEmpty("Failed to register filter graph with ROT!");
            m_rotRegister = 0;
        }
        if (m_saveGrf) SaveGraphFile(*graph, GraphFilePath());
        {
            std::lock_guard g(m_graphLock);
            m_graph = graph;
        }
        hr = graph->Run();
        if (com::FAILED(hr)) {
            SetErrorIfEmpty("Could not run graph");
            return hr;
        }
        m_running = true;
        return com::S_OK;
    } catch (const CxException& e) {
        SetLastErrorText(e.text());
    } catch (...) {
        SetLastErrorText("OrvelCap::Run, unhandled exception!");
    }
    return com::S_OK;
}

// ---- graphs -------------------------------------------------------------------

std::shared_ptr<BaseFilter> CVideoCap::AddBaseFilter(FilterGraph& graph, BaseFilter& upstream,
                                                     const com::GUID& clsid, const std::string& name) {
    std::shared_ptr<BaseFilter> filter;
    HRESULT hr = CoCreateFilter(clsid, filter);
    if (com::FAILED(hr)) throw CxException(hr, "AddBaseFilter: Could not create filter");
    hr = graph.AddFilter(filter, name);
    if (com::FAILED(hr)) throw CxException(hr, "AddBaseFilter: Could not put filter in graph");
    hr = ConnectFilters(graph, upstream, *filter);
    if (com::FAILED(hr)) throw CxException(hr, "AddBaseFilter: Could not connect source with filter");
    return filter;
}

void CVideoCap::FreeConnectedMediaType() {
    std::lock_guard g(m_mediaTypeLock);
    dshow::FreeMediaType(m_connectedMT);
    m_pVih = nullptr;
}

void CVideoCap::ReadConnectedMediaType(BaseFilter& grabber, const char* failText) {
    AM_MEDIA_TYPE mt;
    const HRESULT hr = static_cast<SampleGrabber&>(grabber).GetConnectedMediaType(&mt);
    if (com::FAILED(hr)) throw CxException(hr, failText);
    std::lock_guard g(m_mediaTypeLock);
    dshow::FreeMediaType(m_connectedMT);
    m_connectedMT = mt; // takes the format block
    m_pVih = mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER)
                 ? reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat)
                 : nullptr;
}

struct CVideoCap::GrabberTexts {
    const char* create;
    const char* setType;
    const char* add;
    const char* connect;
    const char* read;
};

std::shared_ptr<BaseFilter> CVideoCap::AddVideoGrabber(FilterGraph& graph, BaseFilter& upstream,
                                                       const com::GUID& subtype, const char* name,
                                                       CxSampleGrabberCB& callback,
                                                       const GrabberTexts& texts) {
    std::shared_ptr<BaseFilter> filter;
    HRESULT hr = CoCreateFilter(CLSID_SampleGrabber, filter);
    if (com::FAILED(hr)) throw CxException(hr, texts.create);
    auto& grabber = static_cast<SampleGrabber&>(*filter);
    AM_MEDIA_TYPE mt;
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = subtype;
    hr = grabber.SetMediaType(&mt);
    if (com::FAILED(hr)) throw CxException(hr, texts.setType);
    hr = graph.AddFilter(filter, name);
    if (com::FAILED(hr)) throw CxException(hr, texts.add);
    hr = ConnectFilters(graph, upstream, grabber);
    if (com::FAILED(hr)) {
        graph.RemoveFilter(filter.get());
        throw CxException(hr, texts.connect);
    }
    grabber.SetBufferSamples(false);
    grabber.SetOneShot(false);
    grabber.SetCallback(&callback, 1);
    ReadConnectedMediaType(grabber, texts.read);
    {
        std::lock_guard g(m_mediaTypeLock);
        callback.Reserve(m_connectedMT.lSampleSize);
    }
    return filter;
}

std::shared_ptr<BaseFilter> CVideoCap::AddDvGrabber(FilterGraph& graph, BaseFilter& upstream) {
    static const GrabberTexts texts{
        "AddDvGrabber: Could not create SampleGrabber DV", "AddDvGrabber: Could not set media type",
        "AddDvGrabber: Could not put sample grabber DV in graph",
        "AddDvGrabber: Could not connect source to grabber", "Could not read the connected media type"};
    return AddVideoGrabber(graph, upstream, MEDIASUBTYPE_dvsd, "GrabberDV", m_dvCB, texts);
}

std::shared_ptr<BaseFilter> CVideoCap::AddRgbGrabber(FilterGraph& graph, BaseFilter& upstream) {
    static const GrabberTexts texts{"AddRgbGrabber: Could not create SampleGrabber",
                                    "AddRgbGrabber: Could not set media type",
                                    "AddRgbGrabber: Could not put sample grabber RGB in graph",
                                    "AddRgbGrabber: Could not connect sample grabber to source",
                                    "AddRgbGrabber: Could not read the connected media type"};
    auto filter = AddVideoGrabber(graph, upstream, MEDIASUBTYPE_RGB24, "Grabber RGB", m_rgbCB, texts);
    m_rgb = true;
    return filter;
}

void CVideoCap::AddNullRenderer(FilterGraph& graph, BaseFilter& grabber) {
    std::shared_ptr<BaseFilter> filter;
    HRESULT hr = CoCreateFilter(CLSID_NullRenderer, filter);
    if (com::FAILED(hr)) throw CxException(hr, "AddNullRenderer: Could not create Null Renderer");
    hr = graph.AddFilter(filter, "NullRenderer");
    if (com::FAILED(hr)) throw CxException(hr, "AddNullRenderer: Could not add NullRender");
    hr = ConnectFilters(graph, grabber, *filter);
    if (com::FAILED(hr))
        throw CxException(hr, "AddNullRenderer: Could not connect SampleGrabber with NullRender");
}

HRESULT CVideoCap::BuildVideoGraph(FilterGraph& graph) {
    std::shared_ptr<BaseFilter> capture = m_sourceFilter ? m_sourceFilter : CaptureFilterOfProcess();
    if (!capture) {
        try {
            capture = EnumerateDevice(CLSID_VideoInputDeviceCategory, m_source);
        } catch (const CxException&) {
            // no device at all: the text below says so
        }
        if (capture) {
            std::lock_guard g(g_captureFilterLock);
            g_captureFilter = capture;
        }
    }
    if (!capture) {
        SetErrorIfEmpty(kNoVideoDevice);
        return com::E_FAIL;
    }
    if (com::FAILED(graph.AddFilter(capture, "Capturing Device"))) {
        SetErrorIfEmpty("Could not put capture device in graph");
        return com::E_FAIL;
    }
    std::shared_ptr<BaseFilter> grabber;
    try {
        grabber = AddDvGrabber(graph, *capture);
    } catch (const CxException&) {
        grabber = AddRgbGrabber(graph, *capture); // a device without DV delivers RGB
    }
    AddNullRenderer(graph, *grabber);
    return com::S_OK;
}

HRESULT CVideoCap::BuildAudioGraph(FilterGraph& graph) {
    std::shared_ptr<BaseFilter> input = EnumerateDevice(CLSID_AudioInputDeviceCategory, m_source);
    if (!input) {
        SetErrorIfEmpty("No audio capture device was detected on your system.");
        return com::E_FAIL;
    }
    IPin* pin = FirstPin(*input, PINDIR_OUTPUT);
    if (!pin) throw CxException(com::E_FAIL);
    uint32_t avgBytesPerSec = 0;
    if (IAMStreamConfig* config = pin->QueryStreamConfig()) {
        AM_MEDIA_TYPE* mt = nullptr;
        if (com::SUCCEEDED(config->GetFormat(&mt)) && mt) {
            if (mt->formattype == FORMAT_WaveFormatEx && mt->cbFormat >= sizeof(WAVEFORMATEX)) {
                auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt->pbFormat);
                if (wf->wBitsPerSample == 16) {
                    wf->wBitsPerSample = 8;
                    wf->nAvgBytesPerSec /= 2;
                    wf->nBlockAlign /= 2;
                    if (com::FAILED(config->SetFormat(mt))) {
                        DeleteMediaType(mt);
                        throw CxException("Failed to SetFormat(WaveFormatEx)");
                    }
                }
                avgBytesPerSec = wf->nAvgBytesPerSec;
            }
            DeleteMediaType(mt);
        }
    }
    IAMBufferNegotiation* negotiation = pin->QueryBufferNegotiation();
    if (!negotiation) throw CxException("Failed to query IAMBufferNegotiation!");
    ALLOCATOR_PROPERTIES props;
    props.cBuffers = -1;
    props.cbBuffer = static_cast<int32_t>(uint64_t(avgBytesPerSec) * m_audioSampleDuration / 1000);
    props.cbAlign = -1;
    props.cbPrefix = -1;
    if (avgBytesPerSec) negotiation->SuggestAllocatorProperties(&props);

    HRESULT hr = graph.AddFilter(input, "Audio Input");
    if (com::FAILED(hr)) throw CxException(hr, "Failed to add audio input device to graph!");
    std::shared_ptr<BaseFilter> filter;
    hr = CoCreateFilter(CLSID_SampleGrabber, filter);
    if (com::FAILED(hr)) throw CxException(hr, "Failed to create sample grabber!");
    auto& grabber = static_cast<SampleGrabber&>(*filter);
    AM_MEDIA_TYPE mt;
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = MEDIASUBTYPE_PCM;
    if (com::FAILED(grabber.SetMediaType(&mt))) {
        SetErrorIfEmpty("Could not set media type");
        return com::E_FAIL;
    }
    hr = graph.AddFilter(filter, "AudioGrabber");
    if (com::FAILED(hr)) throw CxException(hr, "Could not add audio sample grabber to graph!");
    hr = ConnectFilters(graph, *input, grabber);
    if (com::FAILED(hr)) throw CxException(hr, "Could not connect audio grabber to input device!");
    grabber.SetBufferSamples(false);
    grabber.SetOneShot(false);
    grabber.SetCallback(&m_audioCB, 1);
    AddNullRenderer(graph, grabber);
    return com::S_OK;
}

HRESULT CVideoCap::BuildFileGraph(FilterGraph& graph) {
    std::shared_ptr<BaseFilter> reader;
    if (com::FAILED(CoCreateFilter(CLSID_AsyncReader, reader))) {
        SetErrorIfEmpty("Could not create Async Reader");
        return com::E_FAIL;
    }
    if (com::FAILED(static_cast<AsyncReader&>(*reader).Load(m_filePath, nullptr))) {
        SetErrorIfEmpty("Could not load file!");
        return com::E_FAIL;
    }
    if (com::FAILED(graph.AddFilter(reader, "File Source Reader"))) {
        SetErrorIfEmpty("Could not put File Source Reader in graph");
        return com::E_FAIL;
    }
    auto avi = AddBaseFilter(graph, *reader, CLSID_AviSplitter, "AVI Splitter");
    auto dv = AddBaseFilter(graph, *avi, CLSID_DVSplitter, "DV Splitter");
    std::shared_ptr<BaseFilter> last = AddDvGrabber(graph, *dv);
    if (m_rgb) {
        auto codec = AddBaseFilter(graph, *last, CLSID_DVVideoCodec, "DV Video Codec");
        last = AddRgbGrabber(graph, *codec);
    }
    AddNullRenderer(graph, *last);
    return com::S_OK;
}

// ---- sources --------------------------------------------------------------------

std::shared_ptr<BaseFilter> CVideoCap::EnumerateDevice(const com::GUID& category, SourceRecord& record) {
    std::shared_ptr<SystemDeviceEnum> devEnum;
    HRESULT hr = CreateSystemDeviceEnum(devEnum);
    if (com::FAILED(hr) || !devEnum) throw CxException(hr, "Failed to create SystemDeviceEnum!");
    std::vector<std::shared_ptr<Moniker>> monikers;
    hr = devEnum->CreateClassEnumerator(category, monikers, 0);
    if (com::FAILED(hr)) throw CxException(hr, "Failed to create device class enumerator!");
    if (monikers.empty()) throw CxException("Device class enumerator is null!");
    const int32_t wanted = record.number;
    const std::string wantedId = record.SourceId;
    int32_t i = 1;
    for (const auto& moniker : monikers) {
        if (wanted >= 1 && i != wanted) {
            ++i;
            continue;
        }
        std::shared_ptr<BaseFilter> filter;
        if (com::FAILED(moniker->BindToObject(filter)) || !filter) {
            ++i;
            continue;
        }
        std::string id;
        std::array<uint32_t, 2> words{};
        if (auto* capture = dynamic_cast<CaptureFilter*>(filter.get());
            capture && com::SUCCEEDED(capture->get_ExternalDeviceID(words))) {
            char text[32];
            std::snprintf(text, sizeof text, "%x%x", words[0], words[1]);
            id = text;
        }
        if (!(wanted >= 1 || (!id.empty() && id == wantedId))) {
            ++i;
            continue;
        }
        record.number = i;
        record.SourceId = id;
        moniker->Read("FriendlyName", record.FriendlyName);
        moniker->Read("Description", record.Description);
        moniker->Read("DevicePath", record.DevicePath);
        record.kind = CategoryName(category);
        return filter;
    }
    return nullptr;
}

HRESULT CVideoCap::SetSource(com::BSTR strSource, int32_t* pbResult) {
    if (!pbResult) return com::E_POINTER;
    *pbResult = 0;
    m_source = SourceRecord{};
    const std::string source = com::FromBSTR(strSource);
    const size_t colon = source.find(':');
    if (colon == std::string::npos || colon == 0 || source.find('\\') != std::string::npos) return com::S_OK;
    const std::string kind = source.substr(0, colon);
    const std::string rest = source.substr(colon + 1);
    const long number = LeadingInteger(rest);
    try {
        if (kind == "file" && number == 0) {
            m_filePath = rest;
            m_source.kind = "file";
            *pbResult = 1;
            return com::S_OK;
        }
        SourceRecord wanted;
        if (number < 1)
            wanted.SourceId = rest;
        else
            wanted.number = static_cast<int32_t>(number);
        const com::GUID category = kind == "video"   ? CLSID_VideoInputDeviceCategory
                                   : kind == "audio" ? CLSID_AudioInputDeviceCategory
                                                     : com::GUID_NULL;
        std::shared_ptr<BaseFilter> filter = EnumerateDevice(category, wanted);
        if (filter) {
            m_source = wanted;
            m_sourceFilter = filter;
            std::lock_guard g(g_captureFilterLock);
            g_captureFilter = filter;
            *pbResult = 1;
        }
        return com::S_OK;
    } catch (const CxException& e) {
        SetLastErrorText(e.text());
        return com::S_OK;
    } catch (...) {
        SetLastErrorText("OrvelCap::Run, unhandled exception!");
        return com::E_FAIL;
    }
}

// ---- properties -----------------------------------------------------------------

std::string CVideoCap::PropertyValue(const std::string& key) {
    auto u = [](uint64_t v) { return std::to_string(v); };
    if (EqualsNoCase(key, "Source")) return std::to_string(m_source.number);
    if (EqualsNoCase(key, "SourceId")) return m_source.SourceId;
    if (EqualsNoCase(key, "SourceFriendlyName")) return m_source.FriendlyName;
    if (EqualsNoCase(key, "SourceDescription")) return m_source.Description;
    if (EqualsNoCase(key, "SourceDevicePath")) return m_source.DevicePath;
    if (EqualsNoCase(key, "AM_MEDIA_TYPE")) {
        std::lock_guard g(m_mediaTypeLock);
        return m_connectedMT.majortype == com::GUID_NULL ? "0" : Address(&m_connectedMT);
    }
    if (EqualsNoCase(key, "VIDEOINFOHEADER")) {
        std::lock_guard g(m_mediaTypeLock);
        return Address(m_connectedMT.pbFormat);
    }
    if (EqualsNoCase(key, "Width") || EqualsNoCase(key, "Height")) {
        std::lock_guard g(m_mediaTypeLock);
        if (!m_pVih) return "0";
        return u(static_cast<uint32_t>(EqualsNoCase(key, "Width") ? m_pVih->bmiHeader.biWidth
                                                                  : m_pVih->bmiHeader.biHeight));
    }
    if (EqualsNoCase(key, "FramesLost")) return Address(&(m_rgb ? m_rgbCB : m_dvCB).FramesLost());
    if (EqualsNoCase(key, "DeliveryAge")) return Address(&m_deliveryAge);
    if (EqualsNoCase(key, "RGB")) return u(m_rgb);
    if (EqualsNoCase(key, "AddToROT")) return u(m_addToRot);
    if (EqualsNoCase(key, "SaveGrf")) return u(m_saveGrf);
    if (EqualsNoCase(key, "AudioSampleDuration") || EqualsNoCase(key, "VIDCAPS"))
        return u(m_audioSampleDuration);
    if (EqualsNoCase(key, "BuildNumber")) return __DATE__ " " __TIME__;
    if (EqualsNoCase(key, "numProps")) {
        std::shared_ptr<BaseFilter> capture = CaptureFilterOfProcess();
        IPin* pin = capture ? FirstPin(*capture, PINDIR_OUTPUT) : nullptr;
        if (!pin) return "";
        m_capsFilter = capture;
        m_capsPin = pin;
        int count = 0, size = 0;
        IAMStreamConfig* config = pin->QueryStreamConfig();
        if (config) config->GetNumberOfCapabilities(&count, &size);
        return u(static_cast<uint32_t>(count));
    }
    if (key.find("GetFormat") != std::string::npos) return "";
    if (key.find("getAMT") != std::string::npos) {
        IAMStreamConfig* config = m_capsPin ? m_capsPin->QueryStreamConfig() : nullptr;
        if (!config) return "";
        AM_MEDIA_TYPE* mt = nullptr;
        config->GetStreamCaps(CapabilityIndex(key), &mt, nullptr);
        return HandOut(mt);
    }
    if (key.find("GetProp") != std::string::npos) {
        std::shared_ptr<BaseFilter> capture = CaptureFilterOfProcess();
        IPin* pin = capture ? FirstPin(*capture, PINDIR_OUTPUT) : nullptr;
        if (!pin) return "";
        m_capsFilter = capture;
        m_capsPin = pin;
        IAMStreamConfig* config = pin->QueryStreamConfig();
        AM_MEDIA_TYPE* mt = nullptr;
        if (config) config->GetFormat(&mt);
        return HandOut(mt);
    }
    return "";
}

std::string CVideoCap::HandOut(AM_MEDIA_TYPE* mt) {
    m_handedOut = mt;
    return Address(mt);
}

void CVideoCap::FreeHandedOut() {
    DeleteMediaType(m_handedOut);
    m_handedOut = nullptr;
}

HRESULT CVideoCap::GetProperty(com::BSTR strProperty, com::BSTR* pstrValue) {
    if (!pstrValue) return com::E_POINTER;
    // The record the last query handed out is the client's until this call.
    FreeHandedOut();
    *pstrValue = com::ToBSTR(PropertyValue(com::FromBSTR(strProperty)));
    return com::S_OK;
}

HRESULT CVideoCap::SetProperty(com::BSTR strProperty, com::BSTR strValue) {
    const std::string key = com::FromBSTR(strProperty);
    const std::string value = com::FromBSTR(strValue);
    const bool isTrue = EqualsNoCase(value, "true");
    if (EqualsNoCase(key, "RGB"))
        m_rgb = isTrue;
    else if (EqualsNoCase(key, "AddToROT"))
        m_addToRot = isTrue;
    else if (EqualsNoCase(key, "SaveGrf"))
        m_saveGrf = isTrue;
    else if (EqualsNoCase(key, "AudioSampleDuration"))
        m_audioSampleDuration = static_cast<uint32_t>(LeadingInteger(value));
    else if (EqualsNoCase(key, "SetFormat")) {
        const int index = static_cast<int>(LeadingInteger(value));
        std::shared_ptr<BaseFilter> capture = CaptureFilterOfProcess();
        IPin* pin = capture ? FirstPin(*capture, PINDIR_OUTPUT) : nullptr;
        IAMStreamConfig* config = pin ? pin->QueryStreamConfig() : nullptr;
        AM_MEDIA_TYPE* mt = nullptr;
        // A format the device does not list is refused before anything is set.
        bool ok = config && config->GetStreamCaps(index, &mt, nullptr) == com::S_OK && mt &&
                  config->SetFormat(mt) == com::S_OK;
        DeleteMediaType(mt);
        SetLastErrorText(ok ? "SetFormat OK!" : "SetFormat fail!");
        if (config) {
            AM_MEDIA_TYPE* current = nullptr;
            config->GetFormat(&current);
            DeleteMediaType(current);
        }
    }
    return com::S_OK;
}

HRESULT CVideoCap::GetVCAP(int32_t Index) {
    IAMStreamConfig* config = m_capsPin ? m_capsPin->QueryStreamConfig() : nullptr;
    if (config) {
        AM_MEDIA_TYPE* mt = nullptr;
        config->GetStreamCaps(Index, &mt, nullptr);
        DeleteMediaType(mt);
    }
    return com::S_OK;
}
