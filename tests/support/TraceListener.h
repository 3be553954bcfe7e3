#pragma once
// A trace viewer of the test's own: a datagram socket bound where the program
// looks for the viewer, collecting every line sent to it.
#include <string>
#include <vector>

namespace test_env {

class TraceListener {
public:
    TraceListener();
    ~TraceListener();
    TraceListener(const TraceListener&) = delete;
    TraceListener& operator=(const TraceListener&) = delete;
    // The lines received since the last call.
    std::vector<std::string> received();

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace test_env
