#pragma once
// VideoCap5: one capture graph for one source at a time (a video device, an
// audio device or a DV file). Samples arrive on the graph's streaming
// threads, are copied once by the grabber callbacks and delivered to the
// advised sinks on the thread that created the object, through that
// thread's message queue (the hidden window of old).
#include "CxInterfaceList.h"
#include "CxSampleGrabberCB.h"
#include "IVideoCap.h"

#include "ComServer.h"
#include "FilterGraph.h"
#include "MediaType.h"
#include "MessageQueue.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CVideoCap final : public IVideoCap {
public:
    explicit CVideoCap(com::ServerModule& module);

    com::HRESULT QueryInterface(com::REFIID riid, void** ppv) override;
    com::ULONG AddRef() override;
    com::ULONG Release() override;

    com::HRESULT Advise(IVideoCapEvent* pVideoCapEvent, com::DWORD* pdwCookie) override;
    com::HRESULT Unadvise(com::DWORD dwCookie) override;
    com::HRESULT SetSource(com::BSTR strSource, int32_t* pbResult) override;
    com::HRESULT SetProperty(com::BSTR strProperty, com::BSTR strValue) override;
    com::HRESULT GetProperty(com::BSTR strProperty, com::BSTR* pstrValue) override;
    com::HRESULT GetVCAP(int32_t Index) override;
    com::HRESULT Run() override;
    com::HRESULT Pause() override;
    com::HRESULT Stop() override;
    com::HRESULT GetLastError(com::BSTR* pbstrLastError) override;

    // For the grabber callbacks (streaming threads).
    bool IsRunning() const { return m_running.load(); }
    bool PostFrameMessage(CxSampleGrabberCB::Kind kind);
    void SetErrorIfEmpty(const std::string& text);

    static constexpr uint32_t WM_FRAME = 1124;     // WM_USER + 100
    static constexpr uint32_t WM_STOPGRAPH = 1125; // WM_USER + 101

private:
    ~CVideoCap();

    struct SourceRecord {
        int32_t number = 0;
        std::string SourceId;
        std::string kind;
        std::string FriendlyName;
        std::string Description;
        std::string DevicePath;
    };

    void OnMessage(uint32_t msg, uint64_t wParam, uint64_t lParam);
    void OnFrame(CxSampleGrabberCB& cb);
    void FanOut(CxSampleGrabberCB::Kind kind, const CxSampleGrabberCB::CxEventInfo& info);
    void OnStopGraph();
    void TearDown(std::vector<std::shared_ptr<dshow::FilterGraph>> graphs);
    void SetLastErrorText(const std::string& text);
    std::string LastErrorText() const;

    // Sources (the device enumeration throws CxException).
    std::shared_ptr<dshow::BaseFilter> EnumerateDevice(const com::GUID& category, SourceRecord& record);
    std::string PropertyValue(const std::string& key);
    // The media type record a "getAMT" or "GetProp" query hands out by its
    // address: the object's own until its next GetProperty or its release.
    std::string HandOut(dshow::AM_MEDIA_TYPE* mt);
    void FreeHandedOut();

    // Graphs.
    com::HRESULT BuildVideoGraph(dshow::FilterGraph& graph);
    com::HRESULT BuildAudioGraph(dshow::FilterGraph& graph);
    com::HRESULT BuildFileGraph(dshow::FilterGraph& graph);
    std::shared_ptr<dshow::BaseFilter> AddBaseFilter(dshow::FilterGraph& graph, dshow::BaseFilter& upstream,
                                                     const com::GUID& clsid, const std::string& name);
    struct GrabberTexts; // the failure texts of one kind of grabber
    std::shared_ptr<dshow::BaseFilter> AddVideoGrabber(dshow::FilterGraph& graph, dshow::BaseFilter& upstream,
                                                       const com::GUID& subtype, const char* name,
                                                       CxSampleGrabberCB& callback,
                                                       const GrabberTexts& texts);
    std::shared_ptr<dshow::BaseFilter> AddDvGrabber(dshow::FilterGraph& graph, dshow::BaseFilter& upstream);
    std::shared_ptr<dshow::BaseFilter> AddRgbGrabber(dshow::FilterGraph& graph, dshow::BaseFilter& upstream);
    void AddNullRenderer(dshow::FilterGraph& graph, dshow::BaseFilter& grabber);
    void ReadConnectedMediaType(dshow::BaseFilter& grabber, const char* failText);
    void FreeConnectedMediaType();

    com::ServerModule& m_module;
    com::RefCount m_refs;
    std::unique_ptr<msgqueue::MessageTarget> m_window;
    std::atomic<msgqueue::TargetId> m_windowId{0};
    CxInterfaceList<IVideoCapEvent> m_sinks;
    CxSampleGrabberCB m_dvCB, m_rgbCB, m_audioCB;

    std::mutex m_graphLock; // the graph and those Stop left for the window thread
    std::shared_ptr<dshow::FilterGraph> m_graph;
    std::vector<std::shared_ptr<dshow::FilterGraph>> m_stopping;

    mutable std::mutex m_errorLock;
    std::string m_lastError;
    std::string m_filePath;
    SourceRecord m_source;

    std::atomic<bool> m_running{false};
    bool m_rgb = false, m_addToRot = false, m_saveGrf = false;
    bool m_delivering = false;         // window thread only
    VideoCapDeliveryAge m_deliveryAge; // written on the window thread only
    uint32_t m_audioSampleDuration = 40;
    uint32_t m_rotRegister = 0;

    std::mutex m_mediaTypeLock;
    dshow::AM_MEDIA_TYPE m_connectedMT;
    dshow::VIDEOINFOHEADER* m_pVih = nullptr;

    std::shared_ptr<dshow::BaseFilter> m_capsFilter; // keeps the capability pin's filter alive
    dshow::IPin* m_capsPin = nullptr;
    dshow::AM_MEDIA_TYPE* m_handedOut = nullptr;
    // The device this object's own SetSource found: its video graph is built
    // on it, so another object's SetSource (a source list being made) does
    // not move a capture that is stopped and run again to another device.
    std::shared_ptr<dshow::BaseFilter> m_sourceFilter;
};
