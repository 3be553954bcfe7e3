#pragma once
// `--load N`: N busy threads beside the bench, so that it measures as on a
// machine with other work running. They share the bench's processors (a
// `taskset -c` on the bench covers them too), each spinning on arithmetic
// and on a small buffer of its own, and stop when the bench's object goes.
//
//   Bench_Load load(argc, argv); // takes "--load N" out of argv
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

class Bench_Load {
public:
    Bench_Load(int& argc, char** argv) {
        int n = 0;
        int out = 1;
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--load") == 0 && i + 1 < argc) {
                n = std::atoi(argv[++i]);
                continue;
            }
            if (std::strncmp(argv[i], "--load=", 7) == 0) {
                n = std::atoi(argv[i] + 7);
                continue;
            }
            argv[out++] = argv[i];
        }
        argc = out;
        argv[argc] = nullptr;
        for (int t = 0; t < n; ++t)
            m_threads.emplace_back([this, t] { Spin(t); });
    }
    ~Bench_Load() {
        m_stop = true;
        for (std::thread& t : m_threads)
            t.join();
    }
    Bench_Load(const Bench_Load&) = delete;
    Bench_Load& operator=(const Bench_Load&) = delete;

    int Threads() const { return static_cast<int>(m_threads.size()); }
    std::string Label() const {
        return m_threads.empty() ? "idle" : "--load " + std::to_string(m_threads.size());
    }

private:
    void Spin(int seed) {
        std::vector<uint64_t> buffer(32 * 1024); // 256 KB: the cache a busy neighbour takes
        uint64_t x = 0x9E3779B97F4A7C15ull * static_cast<uint64_t>(seed + 1);
        size_t i = 0;
        while (!m_stop.load(std::memory_order_relaxed)) {
            for (int k = 0; k < 4096; ++k) {
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                buffer[i] += x;
                i = (i + 1) % buffer.size();
            }
        }
        m_sink.fetch_add(x + buffer[0], std::memory_order_relaxed);
    }
    std::atomic<bool> m_stop{false};
    std::atomic<uint64_t> m_sink{0};
    std::vector<std::thread> m_threads;
};
