#pragma once
// The system device enumerator: the capture devices of a category (video or
// audio input) as monikers, in a stable order, each with its property bag
// (FriendlyName, Description, DevicePath) and bound to a capture filter on
// demand. Real devices come from GStreamer's device monitor, ordered by
// device path and then name; synthetic devices (SyntheticDevices.h) come
// first, and only when configured.
#include "BaseFilter.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dshow {

inline constexpr GUID CLSID_SystemDeviceEnum = com::MakeGuid("62BE5D10-60EB-11D0-BD3B-00A0C911CE86");
inline constexpr GUID CLSID_VideoInputDeviceCategory = com::MakeGuid("860BB310-5D01-11D0-BD3B-00A0C911CE86");
inline constexpr GUID CLSID_AudioInputDeviceCategory = com::MakeGuid("33D9A762-90C8-11D0-BD43-00A0C911CE86");

// What is known of one device.
struct DeviceDescription {
    bool audio = false;
    std::string friendlyName, description, devicePath;
    // The external device identifier, for devices that have one.
    std::optional<std::array<uint32_t, 2>> externalId;
    std::vector<StreamFormat> formats;
    bool synthetic = false;
    // Listed but not to be opened (held by another program): binding fails.
    bool busy = false;
    std::shared_ptr<void> gstDevice; // the GstDevice of a real device
};

class Moniker {
public:
    explicit Moniker(DeviceDescription d) : d_(std::move(d)) {}
    // A new capture filter for the device.
    HRESULT BindToObject(std::shared_ptr<BaseFilter>& filter) const;
    // The property bag: E_FAIL (and `value` untouched) when the property is absent.
    HRESULT Read(const std::string& property, std::string& value) const;
    const DeviceDescription& description() const { return d_; }

private:
    DeviceDescription d_;
};

class SystemDeviceEnum {
public:
    // S_FALSE and an empty list when the category has no devices (or is no
    // device category at all); E_FAIL when the media framework is missing.
    HRESULT CreateClassEnumerator(const GUID& category, std::vector<std::shared_ptr<Moniker>>& monikers,
                                  uint32_t flags = 0);
};

HRESULT CreateSystemDeviceEnum(std::shared_ptr<SystemDeviceEnum>& out);

} // namespace dshow
