#include "SystemDeviceEnum.h"

#include "CaptureFilter.h"
#include "GstSupport.h"
#include "SyntheticDevices.h"

#include <algorithm>

namespace dshow {

HRESULT Moniker::BindToObject(std::shared_ptr<BaseFilter>& filter) const {
    if (d_.busy) return com::E_FAIL;
    filter = std::make_shared<CaptureFilter>(d_);
    return com::S_OK;
}

HRESULT Moniker::Read(const std::string& property, std::string& value) const {
    const std::string* v = property == "FriendlyName"  ? &d_.friendlyName
                           : property == "Description" ? &d_.description
                           : property == "DevicePath"  ? &d_.devicePath
                                                       : nullptr;
    if (!v || v->empty()) return com::E_FAIL;
    value = *v;
    return com::S_OK;
}

namespace {

std::string propertyText(const GstStructure* props, std::initializer_list<const char*> keys) {
    if (!props) return {};
    for (const char* k : keys)
        if (const gchar* v = gst_structure_get_string(props, k)) return v;
    return {};
}

std::vector<DeviceDescription> realDevices(bool audio) {
    std::vector<DeviceDescription> out;
    if (!gst::Ensure()) return out;
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, audio ? "Audio/Source" : "Video/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* l = devices; l; l = l->next) {
        GstDevice* dev = GST_DEVICE(l->data);
        GstStructure* props = gst_device_get_properties(dev);
        if (propertyText(props, {"device.class"}) == "monitor") { // the sound of an output, not an input
            if (props) gst_structure_free(props);
            continue;
        }
        DeviceDescription d;
        d.audio = audio;
        gchar* name = gst_device_get_display_name(dev);
        d.friendlyName = name ? name : "";
        g_free(name);
        d.description =
            propertyText(props, {"device.description", "api.v4l2.cap.card", "device.product.name"});
        d.devicePath = propertyText(
            props, {"device.path", "api.v4l2.path", "object.path", "device.bus_path", "node.name"});
        if (props) gst_structure_free(props);
        GstCaps* caps = gst_device_get_caps(dev);
        d.formats = gst::FormatsFromCaps(caps);
        if (caps) gst_caps_unref(caps);
        d.gstDevice = std::shared_ptr<void>(gst_object_ref(dev), [](void* p) { gst_object_unref(p); });
        out.push_back(std::move(d));
    }
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    std::stable_sort(out.begin(), out.end(), [](const DeviceDescription& a, const DeviceDescription& b) {
        return std::tie(a.devicePath, a.friendlyName) < std::tie(b.devicePath, b.friendlyName);
    });
    return out;
}

} // namespace

HRESULT SystemDeviceEnum::CreateClassEnumerator(const GUID& category,
                                                std::vector<std::shared_ptr<Moniker>>& monikers, uint32_t) {
    monikers.clear();
    const bool video = category == CLSID_VideoInputDeviceCategory,
               audio = category == CLSID_AudioInputDeviceCategory;
    if (!video && !audio) return com::S_FALSE;
    const SyntheticConfig synthetic = SyntheticDevicesFromEnvironment();
    for (const auto& d : synthetic.devices)
        if (d.audio == audio) monikers.push_back(std::make_shared<Moniker>(d));
    if (!synthetic.only)
        for (auto& d : realDevices(audio))
            monikers.push_back(std::make_shared<Moniker>(std::move(d)));
    return monikers.empty() ? com::S_FALSE : com::S_OK;
}

HRESULT CreateSystemDeviceEnum(std::shared_ptr<SystemDeviceEnum>& out) {
    out = std::make_shared<SystemDeviceEnum>();
    return com::S_OK;
}

} // namespace dshow
