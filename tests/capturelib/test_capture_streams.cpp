// The capture library under load: a 1080p50 camera for ten seconds through
// the program's event loop, a DV file made by ffmpeg, a line input.
#include "CaptureTestSupport.h"
#include "QtMessagePump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

using namespace capture_test;

namespace {

// Every event on the creating thread, in the order of the samples, each
// sample at most once, the picture bottom-up, and the message queue bounded
// while the sink takes 30 to 60 ms per frame, longer than the camera's 20 ms.
// Every frame of the camera between two deliveries is counted lost.
TEST_F(CaptureTest, Hdmi1080p50ForTenSecondsWithASlowSink) {
    msgqueue::AttachToQtEventLoop();
    const size_t stride = 1920 * 3, rows = 1080;
    const std::string ref = test_env::make_dir("hd") + "/ref.raw";
    ASSERT_EQ(test_env::run("gst-launch-1.0 -q videotestsrc num-buffers=1 ! "
                            "video/x-raw,format=BGR,width=1920,height=1080 ! filesink location=" +
                            ref),
              0);
    const std::string top_down = test_env::read_file(ref);
    ASSERT_EQ(top_down.size(), stride * rows);

    Sink sink;
    auto cap = create();
    ASSERT_EQ(set_source(cap.get(), "video:1"), 1);
    set(cap.get(), "SetFormat", "0");
    ASSERT_EQ(last_error(cap.get()), "SetFormat OK!");

    std::mt19937 random(12);
    std::uniform_int_distribution<int> pause_ms(30, 60);
    size_t max_pending = 0;
    bool picture_checked = false, lent_buffer_stable = true;
    std::chrono::steady_clock::time_point first_delivery, last_delivery;
    const VideoCapFramesLost* lost = nullptr;
    std::vector<uint32_t> lost_at; // the library's count of lost frames as each event began
    sink.on_event = [&](const Event& e, IVideoCap*) {
        lost_at.push_back(lost ? lost->overwritten.load() + lost->never_delivered.load() : 0);
        last_delivery = std::chrono::steady_clock::now();
        if (!picture_checked) first_delivery = last_delivery;
        max_pending = std::max(max_pending, msgqueue::MessageQueue::ForCurrentThread().pending());
        if (!picture_checked) {
            picture_checked = true;
            for (size_t r = 0; r < rows; ++r)
                ASSERT_EQ(
                    0, std::memcmp(e.buffer + (rows - 1 - r) * stride, top_down.data() + r * stride, stride))
                    << "row " << r;
        }
        const uint64_t before = *reinterpret_cast<const uint64_t*>(e.buffer) ^
                                *reinterpret_cast<const uint64_t*>(e.buffer + e.size - 8);
        std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms(random)));
        const uint64_t after = *reinterpret_cast<const uint64_t*>(e.buffer) ^
                               *reinterpret_cast<const uint64_t*>(e.buffer + e.size - 8);
        lent_buffer_stable = lent_buffer_stable && before == after;
    };
    com::DWORD cookie;
    ASSERT_EQ(cap->Advise(&sink, &cookie), com::S_OK);
    ASSERT_EQ(cap->Run(), com::S_OK);
    EXPECT_EQ(get(cap.get(), "Width"), "1920");
    EXPECT_EQ(get(cap.get(), "Height"), "1080");
    lost = reinterpret_cast<const VideoCapFramesLost*>(std::stoull(get(cap.get(), "FramesLost")));
    ASSERT_NE(lost, nullptr);

    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    cap->Stop();
    const size_t at_stop = sink.events.size();
    QCoreApplication::processEvents();
    // Nothing after Stop once the messages have run.
    EXPECT_FALSE(pump_until([&] { return sink.events.size() != at_stop; }, 100));
    cap->Unadvise(cookie);

    EXPECT_GT(sink.events.size(), 120u) << "about one frame per 45 ms";
    EXPECT_TRUE(picture_checked);
    EXPECT_TRUE(lent_buffer_stable);
    EXPECT_LE(max_pending, 2u) << "at most one frame message per grabber (and a stop)";
    for (size_t i = 0; i < sink.events.size(); ++i) {
        const Event& e = sink.events[i];
        ASSERT_EQ(e.kind, Kind::RGB);
        ASSERT_EQ(e.thread, std::this_thread::get_id());
        ASSERT_EQ(size_t(e.size), stride * rows);
        ASSERT_EQ(e.device, 1);
        if (i) {
            ASSERT_GT(e.time, sink.events[i - 1].time)
                << "event " << i << ": no sample twice, none out of order";
        }
    }
    // The samples' times follow the camera's clock: they span the time over
    // which they were delivered (on a busy machine that is not quite the
    // ten seconds of the loop).
    const double span = sink.events.back().time - sink.events.front().time;
    const double delivered = std::chrono::duration<double>(last_delivery - first_delivery).count();
    EXPECT_NEAR(span, delivered, 1.0);
    EXPECT_GT(delivered, 5.0);

    // The camera's frames come every 20 ms: those between two deliveries
    // never reached the sink, and the library counted each (the first event
    // may precede the count's address).
    ASSERT_EQ(lost_at.size(), sink.events.size());
    int64_t missing = 0;
    for (size_t i = 2; i < sink.events.size(); ++i)
        missing += std::lround((sink.events[i].time - sink.events[i - 1].time) / 0.02) - 1;
    const int64_t counted = int64_t(lost_at.back()) - int64_t(lost_at[1]);
    EXPECT_GT(missing, 100);
    EXPECT_NEAR(double(counted), double(missing), 2.0) << "frames lost between deliveries";
}

TEST_F(CaptureTest, DvFileGivesDvAndRgbEventsPerFrame) {
    const std::string file = test_env::make_dir("dvfile") + "/heat.avi";
    ASSERT_EQ(test_env::run(
                  "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=720x576:rate=25 -f lavfi -i "
                  "sine=frequency=440:sample_rate=48000 -t 0.4 -c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le "
                  "-ar 48000 " +
                  file),
              0);
    Sink sink;
    auto cap = create();
    ASSERT_EQ(set_source(cap.get(), "file:" + file), 1);
    set(cap.get(), "RGB", "true");
    com::DWORD cookie;
    cap->Advise(&sink, &cookie);
    ASSERT_EQ(cap->Run(), com::S_OK);
    EXPECT_EQ(last_error(cap.get()), "");
    ASSERT_TRUE(pump_until([&] { return sink.count(Kind::DV) >= 10 && sink.count(Kind::RGB) >= 10; }, 5000))
        << sink.count(Kind::DV) << " DV, " << sink.count(Kind::RGB) << " RGB; " << last_error(cap.get());
    // The file's ten frames and no more.
    EXPECT_FALSE(pump_until([&] { return sink.count(Kind::DV) > 10 || sink.count(Kind::RGB) > 10; }, 300));
    EXPECT_EQ(sink.count(Kind::DV), 10u);
    EXPECT_EQ(sink.count(Kind::RGB), 10u);
    double last_dv = -1;
    for (const Event& e : sink.events) {
        EXPECT_EQ(e.device, 0);
        if (e.kind == Kind::DV) {
            EXPECT_EQ(e.size, 144000);
            if (last_dv >= 0) {
                EXPECT_NEAR(e.time - last_dv, 0.04, 0.001);
            }
            last_dv = e.time;
        } else {
            EXPECT_EQ(e.size, 720 * 3 * 576);
        }
    }
    cap->Stop();
    pump_for(50);

    // Without "RGB" only the DV grabber stands in the graph. A file is not
    // live: a sink slower than the file's frame rate slows the file down
    // instead of losing frames.
    set(cap.get(), "RGB", "1");
    sink.events.clear();
    sink.on_event = [](const Event&, IVideoCap*) {
        std::this_thread::sleep_for(std::chrono::milliseconds(70));
    };
    ASSERT_EQ(cap->Run(), com::S_OK);
    ASSERT_TRUE(pump_until([&] { return sink.count(Kind::DV) >= 10; }, 5000))
        << sink.count(Kind::DV) << " " << last_error(cap.get());
    EXPECT_FALSE(pump_until([&] { return sink.count(Kind::DV) > 10 || sink.count(Kind::RGB) > 0; }, 200));
    EXPECT_EQ(sink.count(Kind::DV), 10u);
    EXPECT_EQ(sink.count(Kind::RGB), 0u);
    sink.on_event = nullptr;
    cap->Stop();
    pump_for(50);

    EXPECT_EQ(set_source(cap.get(), "file:" + file + ".missing"), 1); // not opened here
    EXPECT_EQ(cap->Run(), com::E_FAIL);
    EXPECT_EQ(last_error(cap.get()), "Could not load file!");
    cap->Stop();
    pump_for(20);

    // A file that is no AVI: the splitter refuses it, Run answers S_OK and
    // the reason is in the last error.
    const std::string text = test_env::make_dir("notavi") + "/heat.avi";
    test_env::write_file(text, "not a movie");
    ASSERT_EQ(set_source(cap.get(), "file:" + text), 1);
    EXPECT_EQ(cap->Run(), com::S_OK);
    EXPECT_EQ(last_error(cap.get()),
              "AddBaseFilter: Could not connect source with filter IDispatch error #47");
    cap->Stop();
    pump_for(20);
}

// A 16-bit stereo 44100 Hz input is switched to 8 bits: 88200 bytes a second,
// so a buffer of the default 40 ms holds 3528 bytes.
TEST_F(CaptureTest, AudioBuffersFollowTheSampleDuration) {
    Sink sink;
    auto cap = create();
    ASSERT_EQ(set_source(cap.get(), "audio:1"), 1);
    com::DWORD cookie;
    cap->Advise(&sink, &cookie);
    for (auto [duration, bytes] : {std::pair{40, 3528}, std::pair{20, 1764}}) {
        set(cap.get(), "AudioSampleDuration", std::to_string(duration));
        sink.events.clear();
        ASSERT_EQ(cap->Run(), com::S_OK);
        ASSERT_TRUE(pump_until([&] { return sink.count(Kind::Audio) >= 6; }, 5000)) << last_error(cap.get());
        cap->Stop();
        pump_for(50);
        for (size_t i = 0; i < sink.events.size(); ++i) {
            EXPECT_EQ(sink.events[i].kind, Kind::Audio);
            EXPECT_EQ(sink.events[i].size, bytes) << duration << " ms";
            EXPECT_EQ(sink.events[i].device, 1);
            if (i) { // a live input skips what a busy thread cannot take: whole buffers only
                const double buffers = (sink.events[i].time - sink.events[i - 1].time) / (duration / 1000.0);
                EXPECT_GE(buffers, 0.95);
                EXPECT_NEAR(buffers, std::round(buffers), 0.1);
            }
        }
    }
}

} // namespace
