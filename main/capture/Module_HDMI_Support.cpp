#include "Module_HDMI_Support.h"

#include "MediaType.h"
#include "VbConvert.h"
#include "VbError.h"
#include "VbTrap.h"

#include <cstring>

std::string Process_AMT(const int64_t& address) {
    std::string result;
    vb::Trap("Process_AMT of Module Module_HDMI_Support", [&] {
        // The library only hands out addresses of its own records; a zero one
        // or a block too short for a video header would be read past its end.
        if (address == 0) {
            result = "Corrupt data!";
            return;
        }
        dshow::AM_MEDIA_TYPE amt;
        std::memcpy(&amt, reinterpret_cast<const void*>(address), sizeof amt);
        if (amt.pbFormat == nullptr || amt.cbFormat < sizeof(dshow::VIDEOINFOHEADER)) {
            result = "Corrupt data!";
            return;
        }
        dshow::VIDEOINFOHEADER vih;
        std::memcpy(&vih, amt.pbFormat, sizeof vih);
        if (vih.AvgTimePerFrame == 0) vb::Raise(11, "Division by zero");
        const double frame_mill = static_cast<double>(vih.AvgTimePerFrame) / 10000.0;
        const double rate = vb::RoundHalfEven(1000.0 / frame_mill * 10.0) / 10.0;
        result =
            vb::CStr(vih.bmiHeader.biWidth) + "*" + vb::CStr(vih.bmiHeader.biHeight) + "/" + vb::CStr(rate);
    });
    return result;
}
