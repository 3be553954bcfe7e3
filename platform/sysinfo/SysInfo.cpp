#include "SysInfo.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace sysinfo {

namespace {

std::string root_dir;

std::string path_of(const std::string& p) {
    return root_dir.empty() || root_dir == "/" ? p : root_dir + p;
}

bool read_text(const std::string& p, std::string& out) {
    std::ifstream in(path_of(p));
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

std::string first_line(const std::string& p) {
    std::string t;
    if (!read_text(p, t)) return {};
    const auto nl = t.find('\n');
    if (nl != std::string::npos) t.resize(nl);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\r'))
        t.pop_back();
    return t;
}

std::string trim(std::string s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.erase(0, 1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.pop_back();
    return s;
}

// /proc/cpuinfo as a list of blocks, one per logical processor.
std::vector<std::map<std::string, std::string>> cpuinfo_blocks() {
    std::vector<std::map<std::string, std::string>> blocks;
    std::string text;
    if (!read_text("/proc/cpuinfo", text)) return blocks;
    std::istringstream in(text);
    std::string line;
    std::map<std::string, std::string> cur;
    while (std::getline(in, line)) {
        if (trim(line).empty()) {
            if (!cur.empty()) blocks.push_back(cur);
            cur.clear();
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        cur[trim(line.substr(0, colon))] = trim(line.substr(colon + 1));
    }
    if (!cur.empty()) blocks.push_back(cur);
    return blocks;
}

std::string machine() {
    // The kernel's own word; a fake tree brings its own.
    const std::string arch = first_line("/proc/sys/kernel/arch");
    if (!arch.empty() || (!root_dir.empty() && root_dir != "/")) return arch;
    utsname u{};
    return ::uname(&u) == 0 ? u.machine : "";
}

bool has_flag(const std::string& flags, const std::string& flag) {
    std::istringstream in(flags);
    std::string f;
    while (in >> f)
        if (f == flag) return true;
    return false;
}

} // namespace

void set_root(const std::string& r) {
    root_dir = r;
}
const std::string& root() {
    return root_dir;
}

SystemInfo GetSystemInfo() {
    SystemInfo s;
    const std::string m = machine();
    const bool x64 = m == "x86_64";
    const bool x86 = m.size() == 4 && m[0] == 'i' && m.substr(2) == "86";
    s.processor_type = x64 ? 8664 : x86 ? 586 : 0;
    s.oem_id = x64 ? 9 : 0; // the architecture word: 9 for x64, 0 for x86
    const auto blocks = cpuinfo_blocks();
    s.number_of_processors = static_cast<int32_t>(blocks.size());
    if (s.number_of_processors == 0 && (root_dir.empty() || root_dir == "/"))
        s.number_of_processors = static_cast<int32_t>(::sysconf(_SC_NPROCESSORS_ONLN));
    s.page_size = static_cast<int32_t>(::sysconf(_SC_PAGESIZE));
    s.allocation_granularity = 65536;
    s.minimum_application_address = 0x10000;
    s.maximum_application_address = x64 ? 0x7FFFFFFEFFFFLL : 0x7FFEFFFF;
    s.active_processor_mask = s.number_of_processors >= 63 ? -1 : ((1LL << s.number_of_processors) - 1);
    if (!blocks.empty()) {
        const auto& b = blocks.front();
        const int level = b.count("cpu family") ? std::atoi(b.at("cpu family").c_str()) : 0;
        const int model = b.count("model") ? std::atoi(b.at("model").c_str()) : 0;
        const int stepping = b.count("stepping") ? std::atoi(b.at("stepping").c_str()) : 0;
        s.level_and_revision = (level & 0xFFFF) | (((model << 8) | (stepping & 0xFF)) << 16);
    }
    return s;
}

int32_t ProcessorMHz() {
    // The nominal clock: the highest frequency the kernel offers, else what
    // the processor reported at boot.
    const std::string khz = first_line("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
    if (!khz.empty()) return static_cast<int32_t>(std::atoll(khz.c_str()) / 1000);
    const auto blocks = cpuinfo_blocks();
    if (!blocks.empty() && blocks.front().count("cpu MHz"))
        return static_cast<int32_t>(std::atof(blocks.front().at("cpu MHz").c_str()) + 0.5);
    return 0;
}

std::vector<Processor> Processors() {
    std::vector<Processor> out;
    std::map<std::string, Processor> packages; // physical id -> its processor
    std::vector<std::string> order;
    const std::string m = machine();
    const int32_t os_width =
        (m == "x86_64" || m == "aarch64" || m == "ppc64le" || m == "s390x" || m == "riscv64")
            ? 64
            : (m.empty() ? 0 : 32);
    for (const auto& b : cpuinfo_blocks()) {
        const std::string id = b.count("physical id") ? b.at("physical id") : "0";
        Processor p;
        p.address_width = os_width;
        const std::string flags = b.count("flags") ? b.at("flags") : "";
        p.data_width = has_flag(flags, "lm") ? 64 : (flags.empty() ? os_width : 32);
        if (!packages.count(id)) order.push_back(id);
        packages[id] = p;
    }
    for (const auto& id : order)
        out.push_back(packages[id]);
    return out;
}

std::string OperatingSystemCaption() {
    std::string text;
    if (!read_text("/etc/os-release", text)) return {};
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
        std::string v = trim(line.substr(12));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return v;
    }
    return {};
}

std::string Manufacturer() {
    return first_line("/sys/class/dmi/id/sys_vendor");
}
std::string Model() {
    return first_line("/sys/class/dmi/id/product_name");
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
    if (!status) return;
    status->dwAvailPhys = 0;
    std::string text;
    if (!read_text("/proc/meminfo", text)) return;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("MemAvailable:", 0) == 0) {
            status->dwAvailPhys = std::atoll(line.c_str() + 13) * 1024;
            return;
        }
    }
}

} // namespace sysinfo
