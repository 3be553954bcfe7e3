#include "TraceChannel.h"

#include "WinSystem.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace win {

std::string TraceViewerSocketPath() {
    const char* r = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = (r && *r == '/') ? r : FallbackAppDataFolder();
    return dir + "/vbAcceleratorVBTRACER_TRACEWIN";
}

int32_t FindTraceViewer() {
    const std::string path = TraceViewerSocketPath();
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) return 0;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return 0;
    }
    return fd;
}

bool SendToTraceViewer(int32_t handle, const std::string& bytes) {
    if (handle <= 0) return false;
    return ::send(handle, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

void CloseTraceViewer(int32_t handle) {
    if (handle > 0) ::close(handle);
}

} // namespace win
