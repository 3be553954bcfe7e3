#include "TraceListener.h"

#include "TraceChannel.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace test_env {

TraceListener::TraceListener() {
    path_ = win::TraceViewerSocketPath();
    ::unlink(path_.c_str());
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
}

TraceListener::~TraceListener() {
    ::close(fd_);
    ::unlink(path_.c_str());
}

std::vector<std::string> TraceListener::received() {
    std::vector<std::string> lines;
    char buf[65536];
    ssize_t n;
    while ((n = ::recv(fd_, buf, sizeof buf, 0)) > 0)
        lines.emplace_back(buf, static_cast<size_t>(n));
    return lines;
}

} // namespace test_env
