#pragma once
// Inside the layer only: GStreamer set-up and the mapping between stream
// formats and caps.
#include "MediaType.h"

#include <gst/gst.h>

#include <string>
#include <vector>

namespace dshow::gst {

// Initialises GStreamer once per process; false when it cannot.
bool Ensure();
GstCaps* CapsFromFormat(const StreamFormat& f);
// Every discrete format a caps set describes, in its order (lists expanded,
// ranges taken at their largest value); formats this layer cannot name are left out.
std::vector<StreamFormat> FormatsFromCaps(const GstCaps* caps);
bool FormatFromStructure(const GstStructure* s, StreamFormat& out);
GstElement* Make(const char* factory, const char* name = nullptr);
// Wraps a chain of elements in a bin with ghost pads "sink" (when the first
// has one) and "src" (when the last has one); takes the elements.
// A full fence on one process-wide atomic, called when control hands a graph
// to GStreamer's threads (before a run, after a stop) and when those threads
// enter and leave our callbacks. GStreamer orders all this already, with
// futexes of its own; the fence makes that order visible to ThreadSanitizer.
void Fence();

// Ends a pad that nothing else takes in a sink of its own in `pipeline`.
void LinkToNewFakeSink(GstElement* pipeline, GstPad* pad);
GstElement* Chain(const char* name, std::vector<GstElement*> elements);

} // namespace dshow::gst
