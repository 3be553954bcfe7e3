#include "FilterGraph.h"

#include "GstSupport.h"
#include "Scheduling.h"

#include <cstdio>
#include <fstream>
#include <map>

#include <unistd.h>

namespace dshow {

std::vector<IPin*> BaseFilter::EnumPins() const {
    std::vector<IPin*> out;
    for (const auto& p : pins_)
        out.push_back(p.get());
    return out;
}

namespace {

IPin* firstPin(const BaseFilter& f, PIN_DIRECTION dir) {
    for (IPin* p : f.EnumPins())
        if (p->QueryDirection() == dir) return p;
    return nullptr;
}

// Links the first video output of a splitter that appears while running to
// the next filter; any other output ends in a sink of its own.
struct DynamicLink {
    GstElement* pipeline;
    GstElement* downstream;
    bool linked = false;

    static void onPad(GstElement*, GstPad* pad, gpointer data) {
        gst::Fence();
        link(pad, static_cast<DynamicLink*>(data));
        gst::Fence();
    }

    static void link(GstPad* pad, DynamicLink* d) {
        GstCaps* caps = gst_pad_get_current_caps(pad);
        if (!caps) caps = gst_pad_query_caps(pad, nullptr);
        const bool video =
            caps && gst_caps_get_size(caps) > 0 &&
            g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/");
        if (caps) gst_caps_unref(caps);
        if (video && !d->linked) {
            GstPad* sink = gst_element_get_static_pad(d->downstream, "sink");
            if (sink && gst_pad_link(pad, sink) == GST_PAD_LINK_OK) d->linked = true;
            if (sink) gst_object_unref(sink);
            if (d->linked) return;
        }
        gst::LinkToNewFakeSink(d->pipeline, pad);
    }
};

} // namespace

struct FilterGraph::Impl {
    struct Entry {
        std::shared_ptr<BaseFilter> filter;
        std::string name;
    };
    std::vector<Entry> filters;
    std::vector<std::pair<IPin*, IPin*>> connections;
    GstElement* pipeline = nullptr;
    std::vector<std::unique_ptr<DynamicLink>> links;
    mutable std::mutex errorMutex;
    std::string error;

    bool contains(const BaseFilter* f) const {
        for (const auto& e : filters)
            if (e.filter.get() == f) return true;
        return false;
    }
};

FilterGraph::FilterGraph() : impl_(std::make_unique<Impl>()) {}

FilterGraph::~FilterGraph() {
    Stop();
    for (auto& e : impl_->filters)
        e.filter->graph_ = nullptr;
    for (auto& [o, i] : impl_->connections)
        o->peer_ = i->peer_ = nullptr;
}

HRESULT FilterGraph::AddFilter(const std::shared_ptr<BaseFilter>& filter, const std::string& name) {
    if (!filter) return com::E_POINTER;
    if (running_) return VFW_E_NOT_STOPPED;
    if (filter->graph_ && filter->graph_ != this)
        return com::E_INVALIDARG; // a filter serves one graph at a time
    if (impl_->contains(filter.get())) return com::S_OK;
    for (const auto& e : impl_->filters)
        if (e.name == name) return VFW_E_DUPLICATE_NAME;
    filter->graph_ = this;
    filter->name_ = name;
    impl_->filters.push_back({filter, name});
    return com::S_OK;
}

HRESULT FilterGraph::RemoveFilter(BaseFilter* filter) {
    if (!filter) return com::E_POINTER;
    if (running_) return VFW_E_NOT_STOPPED;
    auto& c = impl_->connections;
    for (auto it = c.begin(); it != c.end();) {
        if (it->first->filter() == filter || it->second->filter() == filter) {
            it->first->peer_ = it->second->peer_ = nullptr;
            it->second->filter()->disconnected();
            it = c.erase(it);
        } else {
            ++it;
        }
    }
    auto& f = impl_->filters;
    for (auto it = f.begin(); it != f.end(); ++it)
        if (it->filter.get() == filter) {
            filter->graph_ = nullptr;
            f.erase(it);
            return com::S_OK;
        }
    return VFW_E_NOT_FOUND;
}

HRESULT FilterGraph::Connect(IPin* out, IPin* in) {
    if (!out || !in) return com::E_POINTER;
    if (running_) return VFW_E_NOT_STOPPED;
    if (!impl_->contains(out->filter()) || !impl_->contains(in->filter())) return VFW_E_NOT_IN_GRAPH;
    if (out->QueryDirection() != PINDIR_OUTPUT || in->QueryDirection() != PINDIR_INPUT)
        return com::E_INVALIDARG;
    if (out->peer_ || in->peer_) return VFW_E_ALREADY_CONNECTED;
    if (out != firstPin(*out->filter(), PINDIR_OUTPUT) || in != firstPin(*in->filter(), PINDIR_INPUT))
        return VFW_E_CANNOT_CONNECT; // only the main streams are modelled
    const auto format = out->filter()->outputFormat();
    if (!format) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = in->filter()->acceptInput(*format);
    if (com::FAILED(hr)) return hr;
    out->peer_ = in;
    in->peer_ = out;
    impl_->connections.emplace_back(out, in);
    return com::S_OK;
}

int FilterGraph::onBusMessage(GstBus*, GstMessage* msg, void* data) {
    gst::Fence();
    auto* self = static_cast<FilterGraph*>(data);
    if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_STREAM_STATUS) {
        // Posted by a streaming thread as it starts, on that thread.
        GstStreamStatusType type;
        gst_message_parse_stream_status(msg, &type, nullptr);
        if (type == GST_STREAM_STATUS_TYPE_ENTER) RequestPromptWakeUps();
    }
    if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_EOS) self->ended_ = true;
    if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR) {
        GError* err = nullptr;
        gst_message_parse_error(msg, &err, nullptr);
        std::lock_guard g(self->impl_->errorMutex);
        if (self->impl_->error.empty()) self->impl_->error = err ? err->message : "streaming error";
        if (err) g_error_free(err);
    }
    gst::Fence();
    return GST_BUS_DROP; // nobody reads the bus: keep it from filling up
}

HRESULT FilterGraph::Run() {
    if (running_) return com::S_OK;
    if (!gst::Ensure()) return com::E_FAIL;
    Impl& m = *impl_;
    bool live = false;
    for (const auto& e : m.filters)
        live = live || e.filter->isLiveSource();
    m.pipeline = gst_pipeline_new("FilterGraph");
    std::map<BaseFilter*, GstElement*> elements;
    auto fail = [&] {
        gst_element_set_state(m.pipeline, GST_STATE_NULL);
        gst_object_unref(m.pipeline);
        m.pipeline = nullptr;
        m.links.clear();
        return com::E_FAIL;
    };
    for (const auto& e : m.filters) {
        GstElement* el = e.filter->makeElement(live);
        if (!el) return fail();
        gst_bin_add(GST_BIN(m.pipeline), el);
        elements[e.filter.get()] = el;
    }
    for (auto& [out, in] : m.connections) {
        GstElement* up = elements[out->filter()];
        GstElement* down = elements[in->filter()];
        if (out->filter()->hasDynamicOutput()) {
            auto link = std::make_unique<DynamicLink>();
            link->pipeline = m.pipeline;
            link->downstream = down;
            g_signal_connect(up, "pad-added", G_CALLBACK(&DynamicLink::onPad), link.get());
            m.links.push_back(std::move(link));
        } else if (!gst_element_link_pads(up, "src", down, "sink")) {
            return fail();
        }
    }
    {
        std::lock_guard g(m.errorMutex);
        m.error.clear();
    }
    ended_ = false;
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(m.pipeline));
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(&FilterGraph::onBusMessage), this,
                             nullptr);
    gst_object_unref(bus);
    gst::Fence();
    if (gst_element_set_state(m.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) return fail();
    if (gst_element_get_state(m.pipeline, nullptr, nullptr, 5 * GST_SECOND) == GST_STATE_CHANGE_FAILURE)
        return fail();
    running_ = true;
    return com::S_OK;
}

HRESULT FilterGraph::Stop() {
    Impl& m = *impl_;
    if (!m.pipeline) return com::S_OK;
    // Returns once every streaming thread has left the pipeline.
    gst_element_set_state(m.pipeline, GST_STATE_NULL);
    gst::Fence();
    gst_object_unref(m.pipeline);
    m.pipeline = nullptr;
    m.links.clear();
    running_ = false;
    return com::S_OK;
}

std::string FilterGraph::streamingError() const {
    std::lock_guard g(impl_->errorMutex);
    return impl_->error;
}

std::string FilterGraph::describe() const {
    std::string s;
    for (const auto& e : impl_->filters)
        s += "filter \"" + e.name + "\"\n";
    for (const auto& [o, i] : impl_->connections)
        s += "connect \"" + o->filter()->name() + "\" " + o->name() + " -> \"" + i->filter()->name() + "\" " +
             i->name() + "\n";
    return s;
}

HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>& out) {
    out = std::make_shared<FilterGraph>();
    return com::S_OK;
}

HRESULT SaveGraphFile(const FilterGraph& graph, const std::string& path) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return com::E_FAIL;
    f << graph.describe();
    return f ? com::S_OK : com::E_FAIL;
}

namespace {
std::mutex g_rotMutex;
std::map<uint32_t, std::string> g_rot;
uint32_t g_rotNext = 1;
} // namespace

HRESULT AddGraphToRot(const FilterGraph* graph, uint32_t* registration) {
    if (!graph || !registration) return com::E_POINTER;
    char name[64];
    std::snprintf(name, sizeof name, "FilterGraph %08x pid %08x",
                  unsigned(reinterpret_cast<uintptr_t>(graph)), unsigned(getpid()));
    std::lock_guard g(g_rotMutex);
    *registration = g_rotNext++;
    g_rot[*registration] = std::string("!") + name;
    return com::S_OK;
}

HRESULT RemoveGraphFromRot(uint32_t registration) {
    std::lock_guard g(g_rotMutex);
    return g_rot.erase(registration) ? com::S_OK : com::E_INVALIDARG;
}

std::vector<std::string> RotItemNames() {
    std::lock_guard g(g_rotMutex);
    std::vector<std::string> out;
    for (const auto& [k, v] : g_rot)
        out.push_back(v);
    return out;
}

} // namespace dshow
