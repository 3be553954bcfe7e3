#pragma once
// Synthetic capture devices for machines without a camera (tests, CI,
// demonstrations): a live test pattern or a live test tone, listed by the
// device enumerator only when configured.
//
// The environment variable TIDEWICK_SYNTHETIC_DEVICES holds the devices
// (or "@" and the path of a file that holds them), one per line or separated
// by ";":   kind|FriendlyName|Description|DevicePath|SourceId|formats[|busy]
//   kind      "video" or "audio"
//   SourceId  empty, or the external device identifier as two hexadecimal
//             words "hi:lo"
//   formats   comma-separated; video "SUBTYPE WIDTHxHEIGHT@RATE" with SUBTYPE
//             RGB24, RGB32, YUY2, I420, NV12 or MJPG and RATE whole, decimal
//             or N/D (default "RGB24 640x480@25"); audio "PCM RATE CHANNELS
//             BITS" (default "PCM 44100 2 16")
//   busy      listed, but opening it fails (a device held by another program)
// A line "only" hides the real devices; lines starting with "#" are ignored.
// Example: video|Test Cam|Pattern|/synthetic/0||RGB24 1920x1080@50,YUY2 1280x720@60000/1001
#include "SystemDeviceEnum.h"

#include <string>
#include <vector>

namespace dshow {

struct SyntheticConfig {
    std::vector<DeviceDescription> devices;
    bool only = false; // hide the real devices
};

SyntheticConfig ParseSyntheticDevices(const std::string& text);
// From the environment (re-read at every call, so tests may change it).
SyntheticConfig SyntheticDevicesFromEnvironment();

} // namespace dshow
