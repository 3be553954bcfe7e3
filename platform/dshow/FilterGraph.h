#pragma once
// The filter graph manager with its media control. Filters are added under a
// name and connected pin to pin (the intelligent connect checks that the
// formats can meet, with converters where the downstream filter offers
// them); Run builds a GStreamer pipeline of the connected filters and plays
// it, Stop stops it synchronously: when Stop returns, no streaming thread is
// inside a grabber callback any more.
#include "BaseFilter.h"

#include <atomic>
#include <mutex>

typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

namespace dshow {

inline constexpr GUID CLSID_FilterGraph = com::MakeGuid("E436EBB3-524F-11CE-9F53-0020AF0BA770");

class FilterGraph {
public:
    FilterGraph();
    ~FilterGraph(); // stops a running graph first
    FilterGraph(const FilterGraph&) = delete;
    FilterGraph& operator=(const FilterGraph&) = delete;

    HRESULT AddFilter(const std::shared_ptr<BaseFilter>& filter, const std::string& name);
    HRESULT RemoveFilter(BaseFilter* filter);
    HRESULT Connect(IPin* out, IPin* in);

    // The media control.
    HRESULT Run();
    HRESULT Stop();
    bool isRunning() const { return running_.load(); }
    // The first error the pipeline reported while running (empty when none).
    std::string streamingError() const;
    // The end of every stream has reached the renderers (a file played to its end).
    bool streamEnded() const { return ended_.load(); }

    // A text description of the filters and their connections.
    std::string describe() const;

private:
    struct Impl;
    static int onBusMessage(GstBus*, GstMessage*, void*);
    std::unique_ptr<Impl> impl_;
    std::atomic<bool> running_{false}, ended_{false};
};

HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>& out);
// Saves the graph's description to a file.
HRESULT SaveGraphFile(const FilterGraph& graph, const std::string& path);

// The running object table of this process: graphs registered for inspection.
HRESULT AddGraphToRot(const FilterGraph* graph, uint32_t* registration);
HRESULT RemoveGraphFromRot(uint32_t registration);
// The item names registered now (for inspection and tests).
std::vector<std::string> RotItemNames();

} // namespace dshow
