// A minimal trace viewer: listens where the program looks for one and
// prints every trace line it receives, one per line.
#include "TraceChannel.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
std::string path;
void on_signal(int) {
    ::unlink(path.c_str());
    std::_Exit(0);
}
} // namespace

int main() {
    path = win::TraceViewerSocketPath();
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) {
        std::fprintf(stderr, "trace_viewer: socket path too long: %s\n", path.c_str());
        return 1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ::unlink(path.c_str());
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        std::perror("trace_viewer");
        return 1;
    }
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    std::fprintf(stderr, "trace_viewer: listening on %s\n", path.c_str());
    char buf[65536];
    while (true) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0) continue;
        std::fwrite(buf, 1, static_cast<size_t>(n), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}
