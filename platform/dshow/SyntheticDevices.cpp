#include "SyntheticDevices.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace dshow {

namespace {

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

bool parseRate(const std::string& t, int32_t& num, int32_t& den) {
    if (auto slash = t.find('/'); slash != std::string::npos) {
        num = std::atoi(t.substr(0, slash).c_str());
        den = std::atoi(t.substr(slash + 1).c_str());
        return num > 0 && den > 0;
    }
    const double r = std::atof(t.c_str());
    if (r <= 0) return false;
    if (std::fabs(r - std::round(r)) < 1e-9) {
        num = int32_t(std::lround(r)), den = 1;
    } else {
        num = int32_t(std::lround(r * 1000)), den = 1000;
    }
    return true;
}

bool parseVideoFormat(const std::string& text, StreamFormat& f) {
    std::istringstream in(text);
    std::string sub, geom;
    if (!(in >> sub >> geom)) return false;
    f.majortype = MEDIATYPE_Video;
    if (!SubtypeFromName(sub, f.subtype) || f.subtype == MEDIASUBTYPE_dvsd) return false;
    const auto x = geom.find('x'), at = geom.find('@');
    if (x == std::string::npos || at == std::string::npos || at < x) return false;
    f.width = std::atoi(geom.substr(0, x).c_str());
    f.height = std::atoi(geom.substr(x + 1, at - x - 1).c_str());
    return f.width > 0 && f.height > 0 && parseRate(geom.substr(at + 1), f.fpsNum, f.fpsDen);
}

bool parseAudioFormat(const std::string& text, StreamFormat& f) {
    std::istringstream in(text);
    std::string pcm;
    f.majortype = MEDIATYPE_Audio;
    f.subtype = MEDIASUBTYPE_PCM;
    if (!(in >> pcm >> f.rate >> f.channels >> f.bits) || pcm != "PCM") return false;
    return f.rate > 0 && f.channels > 0 && (f.bits == 8 || f.bits == 16);
}

} // namespace

SyntheticConfig ParseSyntheticDevices(const std::string& text) {
    SyntheticConfig cfg;
    std::string all = text;
    for (char& c : all)
        if (c == ';') c = '\n';
    for (const std::string& raw : split(all, '\n')) {
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        if (line == "only") {
            cfg.only = true;
            continue;
        }
        auto f = split(line, '|');
        if (f.size() < 2) continue;
        f.resize(7);
        DeviceDescription d;
        d.synthetic = true;
        const std::string kind = trim(f[0]);
        if (kind != "video" && kind != "audio") continue;
        d.audio = kind == "audio";
        d.friendlyName = trim(f[1]);
        d.description = trim(f[2]);
        d.devicePath = trim(f[3]);
        if (const std::string id = trim(f[4]); !id.empty()) {
            const auto colon = id.find(':');
            std::array<uint32_t, 2> w{};
            w[0] = uint32_t(std::strtoul(id.substr(0, colon).c_str(), nullptr, 16));
            w[1] = colon == std::string::npos
                       ? 0
                       : uint32_t(std::strtoul(id.substr(colon + 1).c_str(), nullptr, 16));
            d.externalId = w;
        }
        for (const std::string& fmtText : split(f[5], ',')) {
            if (trim(fmtText).empty()) continue;
            StreamFormat sf;
            if (d.audio ? parseAudioFormat(fmtText, sf) : parseVideoFormat(fmtText, sf))
                d.formats.push_back(sf);
        }
        d.busy = trim(f[6]) == "busy";
        if (d.formats.empty()) {
            StreamFormat sf;
            d.audio ? parseAudioFormat("PCM 44100 2 16", sf) : parseVideoFormat("RGB24 640x480@25", sf);
            d.formats.push_back(sf);
        }
        cfg.devices.push_back(std::move(d));
    }
    return cfg;
}

SyntheticConfig SyntheticDevicesFromEnvironment() {
    const char* v = std::getenv("TIDEWICK_SYNTHETIC_DEVICES");
    if (!v || !*v) return {};
    std::string text = v;
    if (text[0] == '@') {
        std::ifstream in(text.substr(1));
        std::stringstream ss;
        ss << in.rdbuf();
        text = ss.str();
    }
    return ParseSyntheticDevices(text);
}

} // namespace dshow
