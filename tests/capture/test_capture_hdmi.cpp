// The capture object over the capture library with synthetic sources: the
// saved-source choice, the frame road (time stamps, centre crop, JPEG under a
// size target, rotated copy) and run, pause and stop.
#include "CaptureTestSupport.h"
#include "Form.h"
#include "Form_Tidewick_HDMI_debug.h"
#include "MediaType.h"
#include "Module_capture.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "PictureBox.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "cls_Capture_HDMI.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include <memory>
#include <set>

namespace {

using capture_test::pump_until;

// A picture of w x h in the library's layout (bottom-up BGR, rows padded to
// four bytes) whose pixels tell where they stand: blue = x low byte, green =
// y low byte, red = high bits of both.
std::vector<uint8_t> Coded_Frame(int32_t w, int32_t h) {
    const int64_t stride = dshow::Rgb24Stride(w);
    std::vector<uint8_t> f(static_cast<size_t>(stride * h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = f.data() + (h - 1 - y) * stride + x * 3;
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t((x >> 8) | ((y >> 8) << 4));
        }
    return f;
}
// Pixel (x, y) of a bitmap, y counted from the top of the picture.
const uint8_t* Pixel(const cDIBSection& dib, int32_t x, int32_t y) {
    return dib.DIBSectionBitsPtr() + int64_t(dib.Height() - 1 - y) * dib.BytesPerScanLine() + x * 3;
}
bool Is_Source_Pixel(const uint8_t* p, int32_t x, int32_t y) {
    return p[0] == uint8_t(x) && p[1] == uint8_t(y) && p[2] == uint8_t((x >> 8) | ((y >> 8) << 4));
}

class CaptureHDMI : public capture_test::CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        g_Ini_File_Path =
            test_env::make_dir(std::string("ini-") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "/Tidewick_HDMI.ini";
        g_Rotated_Crop = false;
        g_Current_Friendly_Name.clear();
        g_Current_Property_String.clear();
        test_env::dialogs().clear();
    }
    void TearDown() override {
        g_Rotated_Crop = false;
        CaptureTest::TearDown();
    }
    void Save_Source(const std::string& name, const std::string& format) {
        Write_Ini("capturesettings", "friendlyname", name, g_Ini_File_Path);
        Write_Ini("capturesettings", "videoproperty", format, g_Ini_File_Path);
    }
};

constexpr const char* kNotFound = "Could not find the saved Video source! Please re-select Video source!";

TEST_F(CaptureHDMI, SavedSourceIsLookedForAmongTheFirstTenVideoSources) {
    const std::string eleven = [] {
        std::string d = "only;";
        for (int i = 1; i <= 11; ++i)
            d += "video|Cam " + std::to_string(i) + "|c|/synthetic/" + std::to_string(i) + "||RGB24 " +
                 std::to_string(100 + i) + "x80@25;";
        return d;
    }();
    const struct {
        const char* what;
        std::string devices, name, format;
        bool found;
        std::string property;
    } cases[] = {
        {"grabber, second format", capture_test::kDevices, "HDMI Capture", "1", true, "1280*720/60"},
        {"grabber, first format", capture_test::kDevices, "HDMI Capture", "0", true, "1920*1080/50"},
        {"second camera", capture_test::kDevices, "Second Cam", "0", true, "320*240/25"},
        {"names match case-sensitively", capture_test::kDevices, "hdmi capture", "0", false, ""},
        {"nothing saved", capture_test::kDevices, "", "", false, ""},
        {"no video device", "only;audio|Line In|Test tone|/synthetic/tone||PCM 44100 2 16", "HDMI Capture",
         "0", false, ""},
        {"tenth of eleven", eleven, "Cam 10", "0", true, "110*80/25"},
        {"eleventh is not tried", eleven, "Cam 11", "0", false, ""},
        {"same name twice: the lower number",
         "only;video|Twin|a|/synthetic/a||RGB24 640x480@25;video|Twin|b|/synthetic/b||RGB24 800x600@30",
         "Twin", "0", true, "640*480/25"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setenv("TIDEWICK_SYNTHETIC_DEVICES", c.devices.c_str(), 1);
        Save_Source(c.name, c.format);
        test_env::dialogs().clear();
        g_Current_Property_String.clear();
        cls_Capture_HDMI cap;
        EXPECT_EQ(cap.Set_Source_from_Saved(), c.found);
        EXPECT_EQ(cap.SourcePropFound(), c.found);
        if (c.found) {
            EXPECT_TRUE(test_env::dialogs().shown.empty());
            EXPECT_EQ(cap.Current_FriendlyName(), c.name);
            EXPECT_EQ(cap.Current_PropertyString(), c.property);
        } else {
            ASSERT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{kNotFound});
            EXPECT_EQ(test_env::dialogs().shown[0].buttons, forms::vbOKOnly);
        }
    }
    EXPECT_EQ(m_saved_Video_prop_num, "0");
}

TEST_F(CaptureHDMI, CropCopiesTheCentreOfTheBottomUpFrame) {
    cls_Capture_HDMI cap;
    const struct {
        int32_t src_w, src_h, crop_w, crop_h, x_off, y_off;
    } cases[] = {
        {1920, 1080, 440, 1080, 740, 0},
        {1920, 1080, 600, 400, 660, 340},
        {1920, 1080, 1, 1, 960, 540}, // halves to even: 959.5 -> 960, 539.5 -> 540
        {101, 51, 10, 10, 46, 20},    // odd source: 45.5 -> 46, 20.5 -> 20
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.crop_w) + "x" + std::to_string(c.crop_h));
        const auto frame = Coded_Frame(c.src_w, c.src_h);
        cap.set_HDMI_Crop(int16_t(c.crop_w), int16_t(c.crop_h));
        cap.Crop_RGB_picture(frame.data(), int32_t(frame.size()), c.src_w, c.src_h, c.crop_w, c.crop_h);
        const cDIBSection& dib = cap.Cropped_DIB();
        ASSERT_EQ(dib.Width(), c.crop_w);
        for (int32_t y : {0, c.crop_h / 2, c.crop_h - 1})
            for (int32_t x : {0, c.crop_w / 2, c.crop_w - 1})
                EXPECT_TRUE(Is_Source_Pixel(Pixel(dib, x, y), x + c.x_off, y + c.y_off)) << x << "," << y;
        EXPECT_GT(cap.Last_JPG_Compressed_Size(), 0);
    }
}

TEST_F(CaptureHDMI, CropNeverReadsOutsideTheFrameOrTheLentBuffer) {
    cls_Capture_HDMI cap;
    bool stopped = false;
    cap.Stop_Captures_And_Flush = [&] { stopped = true; };
    // A camera frame smaller than the crop: the frame sits in the centre, black around it.
    const auto small = Coded_Frame(320, 240);
    cap.set_HDMI_Crop(440, 1080);
    cap.Crop_RGB_picture(small.data(), int32_t(small.size()), 320, 240, 440, 1080);
    const cDIBSection& dib = cap.Cropped_DIB();
    // x offset 160 - 220 = -60, y offset 120 - 540 = -420.
    EXPECT_TRUE(Is_Source_Pixel(Pixel(dib, 60, 420), 0, 0));
    EXPECT_TRUE(Is_Source_Pixel(Pixel(dib, 379, 659), 319, 239));
    for (auto [x, y] : {std::pair{59, 500}, {380, 500}, {200, 419}, {200, 660}, {0, 0}, {439, 1079}})
        EXPECT_EQ(Pixel(dib, x, y)[0] | Pixel(dib, x, y)[1] | Pixel(dib, x, y)[2], 0) << x << "," << y;
    EXPECT_FALSE(stopped);

    // A buffer shorter than its header says: the rows it lacks are left out
    // and the captures are stopped. The copy of the rows held is unchanged.
    const auto full = Coded_Frame(1920, 1080);
    cap.Crop_RGB_picture(full.data(), int32_t(full.size() / 2), 1920, 1080, 440, 1080);
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(Is_Source_Pixel(Pixel(dib, 0, 1079), 740, 1079)); // bottom rows come first in memory
}

TEST_F(CaptureHDMI, CompressionLearnsTheLargestSizeThenHoldsFramesUnderTheTarget) {
    cls_Capture_HDMI cap;
    cap.set_HDMI_Crop(440, 1080);
    EXPECT_EQ(cap.JPG_Buffer_Size(), 1425600);
    EXPECT_EQ(cap.JPG_Compression_Threshold(), 0);
    EXPECT_EQ(cap.Max_Seen_Compressed_Size(), 0);
    EXPECT_EQ(cap.Min_Seen_Compressed_Size(), 999999);
    EXPECT_EQ(cap.Last_used_JPG_quality(), 0);

    // Learning: noise in one half only, then a flat picture.
    auto& dib = const_cast<cDIBSection&>(cap.Cropped_DIB());
    dib.RandomiseBits(false);
    std::memset(dib.DIBSectionBitsPtr(), 90, size_t(dib.BytesPerScanLine()) * 540);
    cap.Compress_RGB();
    const int32_t half_noise = cap.Last_JPG_Compressed_Size();
    dib.Fill_with_RGB(0x405060);
    cap.Compress_RGB();
    const int32_t flat = cap.Last_JPG_Compressed_Size();
    EXPECT_LT(flat, half_noise);
    EXPECT_EQ(cap.Max_Seen_Compressed_Size(), half_noise);
    EXPECT_EQ(cap.Min_Seen_Compressed_Size(), flat);
    EXPECT_EQ(cap.Direct_Compressed_Num(), 2);
    EXPECT_EQ(cap.Last_used_JPG_quality(), 0);

    cap.Lock_Max_Direct_Compressed_size();
    EXPECT_EQ(cap.JPG_Compression_Threshold(), int32_t(std::lround(half_noise * 1.2)));

    // Limiting: noise everywhere exceeds the target at 80 and is encoded
    // again at lower qualities until it fits.
    dib.RandomiseBits(false);
    cap.Compress_RGB();
    const std::set<int> tried{64, 51, 41, 33, 26, 21, 17, 14, 11, 9, 7, 6, 5, 4, 3, 2};
    EXPECT_TRUE(tried.count(cap.Last_used_JPG_quality())) << cap.Last_used_JPG_quality();
    EXPECT_LE(cap.Last_JPG_Compressed_Size(), cap.JPG_Compression_Threshold());
    EXPECT_GT(cap.Last_JPG_Compressed_Size(), 0);
    const int passes = int(std::distance(tried.find(cap.Last_used_JPG_quality()), tried.end()));
    EXPECT_EQ(cap.Reduced_Quality_Num(), passes);
    EXPECT_EQ(cap.Max_Seen_Compressed_Size(), half_noise); // not learnt while limiting
    EXPECT_EQ(cap.Direct_Compressed_Num(), 3);

    // A flat frame fits at once: every frame starts again at 80.
    dib.Fill_with_RGB(0x405060);
    cap.Compress_RGB();
    EXPECT_EQ(cap.Last_used_JPG_quality(), 80);
    EXPECT_EQ(cap.Reduced_Quality_Num(), passes);

    // A new crop returns to learning.
    cap.set_HDMI_Crop(440, 1080);
    EXPECT_EQ(cap.JPG_Compression_Threshold(), 0);
    EXPECT_EQ(cap.Direct_Compressed_Num(), 0);
}

TEST_F(CaptureHDMI, SizeCapHoldsEveryPictureWithinTheSlotOfTheFileBeingWritten) {
    cls_Capture_HDMI cap;
    cap.set_HDMI_Crop(440, 1080);
    auto& dib = const_cast<cDIBSection&>(cap.Cropped_DIB());
    dib.RandomiseBits(false);
    cap.Compress_RGB();
    cap.Lock_Max_Direct_Compressed_size();
    const int32_t target = cap.JPG_Compression_Threshold();
    // A slot smaller than the target (the file's start locked an earlier,
    // smaller target): the slot wins.
    const int32_t slot = target / 2;
    cap.JPG_Size_Cap(slot);
    dib.RandomiseBits(false);
    cap.Compress_RGB();
    EXPECT_GT(cap.Last_JPG_Compressed_Size(), 0);
    EXPECT_LE(cap.Last_JPG_Compressed_Size(), slot);
    EXPECT_LT(cap.Last_used_JPG_quality(), 80);
    // A larger slot leaves the target in charge; no cap, the target alone.
    for (int32_t cap_size : {target * 2, 0}) {
        cap.JPG_Size_Cap(cap_size);
        cap.Compress_RGB();
        EXPECT_LE(cap.Last_JPG_Compressed_Size(), target);
        EXPECT_GT(cap.Last_JPG_Compressed_Size(), slot) << "not pressed below the target";
    }
}

TEST_F(CaptureHDMI, FrameThatFitsAtNoQualityIsDroppedNotHandedOutOverItsTarget) {
    cls_Capture_HDMI cap;
    cap.set_HDMI_Crop(440, 1080);
    auto& dib = const_cast<cDIBSection&>(cap.Cropped_DIB());
    dib.Fill_with_RGB(0);
    cap.Compress_RGB();
    cap.Lock_Max_Direct_Compressed_size();
    dib.RandomiseBits(false); // noise never gets as small as 1.2 times a black frame
    cap.Compress_RGB();
    EXPECT_EQ(cap.Last_JPG_Compressed_Size(), 0);
    EXPECT_EQ(cap.Last_used_JPG_quality(), 2);
    EXPECT_EQ(cap.Reduced_Quality_Num(), 16); // 64 down to 2
    EXPECT_EQ(cap.Dropped_Frames_Num(), 1);
    EXPECT_EQ(cap.Direct_Compressed_Num(), 1);
}

TEST_F(CaptureHDMI, LockingWithoutAnyFrameStopsTheCaptures) {
    cls_Capture_HDMI cap;
    cap.set_HDMI_Crop(440, 1080);
    int stops = 0;
    cap.Stop_Captures_And_Flush = [&] { ++stops; };
    cap.Lock_Max_Direct_Compressed_size();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(cap.JPG_Compression_Threshold(), 0);
}

TEST_F(CaptureHDMI, LiveFramesAreStampedCroppedCompressedAndRotated) {
    Save_Source("HDMI Capture", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    cap.Capture_Rotate_RGB(true);
    g_Rotated_Crop = true;
    cap.set_HDMI_Crop(440, 1080);
    cap.Do_CROP(true);

    struct Seen {
        int32_t events, mill, local, delta, size;
        std::string jpeg;
    };
    std::vector<Seen> seen;
    cap.HDMIreceived = [&] {
        // The JPEG is lent for the event only: copied here.
        seen.push_back({cap.HDMI_events(), cap.last_Capture_mill(), cap.last_Capture_local(),
                        cap.last_Capture_delta(), cap.Last_JPG_Compressed_Size(),
                        std::string(reinterpret_cast<const char*>(cap.Last_JPG_addr()),
                                    size_t(cap.Last_JPG_Compressed_Size()))});
    };
    const uint32_t before = win::timeGetTime();
    cap.Capture_Run();
    EXPECT_TRUE(cap.Running());
    ASSERT_TRUE(pump_until([&] { return seen.size() >= 5; }));
    cap.Stop_Capture();
    EXPECT_FALSE(cap.Running());
    EXPECT_TRUE(test_env::dialogs().shown.empty());

    EXPECT_EQ(cap.HDMI_Sample_Dimensions(), "1920*1080");
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].events, int32_t(i + 1));
        EXPECT_GE(uint32_t(seen[i].mill), before);
        EXPECT_GE(seen[i].local, 0);
        EXPECT_LT(seen[i].local, 86400000);
        if (i > 0) {
            EXPECT_GE(seen[i].mill, seen[i - 1].mill);
            EXPECT_EQ(seen[i].delta, seen[i].mill - seen[i - 1].mill);
        }
        EXPECT_GT(seen[i].size, 0);
    }

    // The crop shows the colour bars of the test pattern's upper part where
    // the centre 440 columns (740..1179) cross them: cyan, green, magenta.
    // Upside down it would show the lower part's other colours.
    const cDIBSection& crop = cap.Cropped_DIB();
    auto near = [](const uint8_t* p, int b, int g, int r) {
        return std::abs(p[0] - b) < 8 && std::abs(p[1] - g) < 8 && std::abs(p[2] - r) < 8;
    };
    EXPECT_TRUE(near(Pixel(crop, 40, 20), 255, 255, 0)) << "cyan";
    EXPECT_TRUE(near(Pixel(crop, 200, 20), 0, 255, 0)) << "green";
    EXPECT_TRUE(near(Pixel(crop, 400, 20), 255, 0, 255)) << "magenta";
    EXPECT_FALSE(near(Pixel(crop, 40, 1060), 255, 255, 0));

    // The rotated copy: its memory line c, pixel x holds the crop's memory
    // line (height - 1 - x), pixel c.
    const cDIBSection& rot = cap.Rotated_DIB();
    ASSERT_EQ(rot.Width(), 1080);
    ASSERT_EQ(rot.Height(), 440);
    for (auto [c, x] : {std::pair{0, 0}, {100, 20}, {439, 1079}, {300, 900}}) {
        const uint8_t* d = rot.DIBSectionBitsPtr() + int64_t(c) * rot.BytesPerScanLine() + x * 3;
        const uint8_t* s = crop.DIBSectionBitsPtr() + int64_t(1079 - x) * crop.BytesPerScanLine() + c * 3;
        EXPECT_EQ(std::memcmp(d, s, 3), 0) << c << "," << x;
    }

    // The last JPEG, as an outside decoder sees it: the unrotated crop.
    const std::string path = test_env::output_dir() + "/capture_hdmi_last.jpg";
    test_env::write_file(path, seen.back().jpeg);
    std::string out;
    ASSERT_EQ(test_env::run("ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 '" +
                                path + "'",
                            &out),
              0);
    EXPECT_EQ(out.substr(0, out.find_last_not_of("\n") + 1), "mjpeg,440,1080");
}

// A start contact comes on another thread while the window thread is busy
// with a frame: the stamp it reads at once is that frame, the last one
// received, not a later one and not the one before. The frames the camera
// sends meanwhile wait in the library's short queue; those beyond it are
// overwritten before they are taken: each is counted, told to the frame
// after them and written to the event log.
TEST_F(CaptureHDMI, AStampTakenDuringAFrameIsThatFrameAndFramesOverwrittenMeanwhileAreCounted) {
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    const std::shared_ptr<const Frame_Stamp_Board> board = cap.Stamp_Board();
    std::atomic<bool> contact{false}, stamped{false};
    Frame_Stamp_Board::Frame taken;
    std::thread box([&] {
        while (!contact.load())
            std::this_thread::yield();
        taken = board->Read();
        stamped = true;
    });
    struct Seen {
        Frame_Stamp_Board::Frame frame;
        int32_t lost_before;
    };
    std::vector<Seen> seen;
    Frame_Stamp_Board::Frame in_work;
    cap.HDMIreceived = [&] {
        seen.push_back({{cap.last_Capture_mill(), cap.HDMI_events()}, cap.Frames_Lost_Before_Last()});
        if (cap.HDMI_events() != 3) return;
        in_work = {cap.last_Capture_mill(), cap.HDMI_events()};
        contact = true;
        // Busy for twenty-five frame times of the camera, three times what
        // the library's queue holds. The small camera keeps its pace on a
        // machine busy with other tests, where a 1080p one encoding its own
        // pictures fell to a few frames a second and never overfilled it.
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    };
    cap.Capture_Run();
    ASSERT_TRUE(pump_until([&] { return seen.size() >= 6; }));
    cap.Stop_Capture();
    contact = true;
    box.join();
    ASSERT_TRUE(stamped);
    EXPECT_EQ(taken.events, in_work.events);
    EXPECT_EQ(taken.capture_mill, in_work.capture_mill);

    ASSERT_GE(seen.size(), 4u);
    // 1000 ms at 25 frames a second: about twenty-five frames came
    // meanwhile, the queue kept eight, and the frame taken next is told of
    // those overwritten (a busy machine may have held the camera up too, or
    // lost a frame elsewhere: not fewer than one, not more than one per 10 ms
    // between the two taken (a camera behind catches up in bursts), and every
    // loss counted once).
    const int64_t gap_ms = int64_t(seen[3].frame.capture_mill) - int64_t(seen[2].frame.capture_mill);
    EXPECT_GE(seen[3].lost_before, 1);
    EXPECT_LE(seen[3].lost_before, gap_ms / 10 + 5) << gap_ms << " ms between the frames taken";
    int32_t total = 0;
    for (const Seen& s : seen)
        total += s.lost_before;
    EXPECT_EQ(cap.Frames_Lost(), total);
    EXPECT_EQ(cap.Frames_Overwritten() + cap.Frames_Never_Delivered(), total);
    const std::string log =
        test_env::read_file((g_AppData_Folder.empty() ? Get_Local_AppData_Folder() : g_AppData_Folder) +
                            "/Tidewick_eventlog.txt");
    EXPECT_NE(log.find("Frames lost: "), std::string::npos) << log;
    EXPECT_NE(log.find(std::to_string(total) + " this run (overwritten " +
                       std::to_string(cap.Frames_Overwritten())),
              std::string::npos)
        << "the last line has the run's whole count\n"
        << log;

    // A new run counts afresh; the board says frame 0 until its first frame.
    cap.Capture_Run();
    EXPECT_EQ(cap.Frames_Lost(), 0);
    EXPECT_EQ(board->Read().events, 0);
    cap.Stop_Capture();
}

// The window thread held up for 100 ms at a time while a 25 Hz camera runs:
// the two or three frames that waited in the library's queue meanwhile are
// delivered together, yet each is stamped when it came, a frame time after
// the one before; its delta, local time and the stamp board say the same.
// It measures real time, so it is labelled slow, as the library's own test
// of the held-up window thread is.
TEST_F(CaptureHDMI, FramesThatWaitedForTheWindowThreadAreStampedWhenTheyCame) {
    constexpr int32_t kHolds = 6, kEvery = 5;
    constexpr size_t kFrames = kHolds * kEvery + 2; // and the frame after the last hold
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    const std::shared_ptr<const Frame_Stamp_Board> board = cap.Stamp_Board();
    struct Seen {
        int32_t mill, local, delta;
        Frame_Stamp_Board::Frame board;
        uint32_t delivered;
    };
    std::vector<Seen> seen;
    cap.HDMIreceived = [&] {
        seen.push_back({cap.last_Capture_mill(), cap.last_Capture_local(), cap.last_Capture_delta(),
                        board->Read(), win::timeGetTime()});
        if (cap.HDMI_events() % kEvery == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    cap.Capture_Run();
    ASSERT_TRUE(pump_until([&] { return seen.size() >= kFrames; }));
    cap.Stop_Capture();

    // Every hold spans at least two frames of the camera, so frames stamped
    // when delivered would come at one moment at every hold. Stamped when
    // they came, they keep the camera's 40 ms; a camera held up itself (as
    // when it starts, or on a machine short of processor time) sends a late
    // frame close before the next, which may happen, not at every hold.
    int32_t close = 0;
    std::string close_gaps;
    for (size_t i = 1; i < seen.size(); ++i) {
        const int32_t gap = seen[i].mill - seen[i - 1].mill;
        if (i >= kEvery && gap < 5) {
            ++close;
            close_gaps += " " + std::to_string(i + 1) + ":" + std::to_string(gap) + "ms";
        }
        EXPECT_EQ(seen[i].delta, gap) << "frame " << i + 1;
        const int32_t local_gap = (seen[i].local - seen[i - 1].local + 86400000) % 86400000;
        EXPECT_NEAR(local_gap, gap, 3) << "frame " << i + 1;
        EXPECT_EQ(seen[i].board.capture_mill, seen[i].mill) << "frame " << i + 1;
        EXPECT_EQ(seen[i].board.events, int32_t(i + 1));
    }
    EXPECT_LE(close, kHolds / 2) << "frames stamped within 5 ms of the one before:" << close_gaps;
    // The first frame after each hold came early in it and waited out most
    // of the rest.
    int32_t waited_long = 0;
    for (size_t i = kEvery; i < seen.size(); i += kEvery)
        waited_long += int32_t(seen[i].delivered) - seen[i].mill >= 30;
    EXPECT_GE(waited_long, kHolds / 2);
}

TEST_F(CaptureHDMI, DebugWindowShowsTheRunningFiguresOfA1080pCapture) {
    Save_Source("HDMI Capture", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    cap.set_HDMI_Crop(440, 1080);
    cap.Do_CROP(true);
    class Form_Tidewick_HDMI_debug& debug = Form_Tidewick_HDMI_debug();
    // Hidden, the window is not even loaded by the capture.
    int frames = 0;
    cap.HDMIreceived = [&] { ++frames; };
    cap.Capture_Run();
    ASSERT_TRUE(pump_until([&] { return frames >= 3; }));
    EXPECT_FALSE(debug.IsLoaded());
    debug.Show();
    const int shown_from = frames;
    ASSERT_TRUE(pump_until([&] { return frames >= shown_from + 40 && cap.HDMI_events() > 30; }));
    cap.Stop_Capture();
    EXPECT_EQ(cap.HDMI_Sample_Dimensions(), "1920*1080");
    EXPECT_EQ(debug.Label_max_dircomp_size.Caption(), std::to_string(cap.Max_Seen_Compressed_Size()));
    EXPECT_EQ(debug.Label_min_dircomp_size.Caption(), std::to_string(cap.Min_Seen_Compressed_Size()));
    EXPECT_EQ(debug.Label_num_direct_comp.Caption(), std::to_string(cap.Direct_Compressed_Num()));
    const int average = std::stoi(debug.Label_Average_JPG_size.Caption());
    EXPECT_GE(average, cap.Min_Seen_Compressed_Size());
    EXPECT_LE(average, cap.Max_Seen_Compressed_Size());
    EXPECT_GT(std::stoi(debug.Label_fps.Caption()), 0) << "frames a second since frame event 21";
    Capture_Form_Picture(debug).SavePng(test_env::output_dir() + "/Form_Tidewick_HDMI_debug_capture.png");
    debug.Unload();
}

TEST_F(CaptureHDMI, PauseStopsTheFramesButKeepsTheObjectRunning) {
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    int frames = 0;
    cap.HDMIreceived = [&] { ++frames; };

    cap.Pause_Capture(); // stopped: nothing happens
    cap.UnPause_Capture();
    cap.Stop_Capture();
    EXPECT_FALSE(cap.Running());

    cap.Capture_Run();
    cap.Capture_Run(); // advised once: each frame still comes once
    ASSERT_TRUE(pump_until([&] { return frames >= 3; }));
    EXPECT_EQ(cap.HDMI_events(), frames);

    cap.Pause_Capture();
    EXPECT_TRUE(cap.Running());
    pump_until([] { return false; }, 300); // what was on its way
    const int paused_at = frames;
    EXPECT_FALSE(pump_until([&] { return frames != paused_at; }, 400));

    cap.UnPause_Capture();
    ASSERT_TRUE(pump_until([&] { return frames >= paused_at + 3; }));
    cap.Stop_Capture();
    pump_until([] { return false; }, 300);
    const int stopped_at = frames;
    EXPECT_FALSE(pump_until([&] { return frames != stopped_at; }, 400));

    cap.Capture_Run(); // a new run counts from 1 again
    ASSERT_TRUE(pump_until([&] { return frames >= stopped_at + 2; }));
    EXPECT_LE(cap.HDMI_events(), frames - stopped_at);
    cap.UnAdvise();
    cap.UnAdvise();
}

} // namespace

namespace {

// Frames handed to the sink directly, on a clock that moves only when told.
class CaptureHDMIClock : public CaptureHDMI {
protected:
    void SetUp() override {
        CaptureHDMI::SetUp();
        win::set_clock(&clock);
    }
    void TearDown() override {
        win::set_clock(nullptr);
        CaptureHDMI::TearDown();
    }
    win::FakeClock clock{1000};
};

// The frames that waited for a held-up window thread, on a clock that sees
// their real waits but moves less than they waited: they still follow each
// other in a heat file.
TEST_F(CaptureHDMIClock, FramesThatWaitedLongerThanTheClockMovedStillRise) {
    class Waiting_Clock final : public win::FakeClock {
    public:
        using FakeClock::FakeClock;
        uint32_t time_get_time_before(std::chrono::microseconds ago) override {
            return time_get_time() - uint32_t((ago.count() + 500) / 1000);
        }
    } waiting{1000};
    win::set_clock(&waiting);
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    std::vector<int32_t> mill;
    cap.HDMIreceived = [&] {
        mill.push_back(cap.last_Capture_mill());
        waiting.advance(1);
        if (cap.HDMI_events() == 3) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    cap.Capture_Run();
    ASSERT_TRUE(pump_until([&] { return mill.size() >= 7; }));
    cap.Stop_Capture();
    for (size_t i = 1; i < mill.size(); ++i)
        EXPECT_GT(mill[i], mill[i - 1]) << "frame " << i + 1;
}

TEST_F(CaptureHDMIClock, FrameRateProbesAndStallsFollowTheTimer) {
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    int raised = 0;
    cap.HDMIreceived = [&] { ++raised; };
    cap.Capture_Run(); // the library's own frames are never pumped here
    const auto frame = Coded_Frame(320, 240);
    std::vector<int32_t> mill{0};
    auto deliver = [&](uint32_t step) {
        clock.advance(step);
        cap.OnRGBEvent(nullptr, 0, frame.data(), int32_t(frame.size()), 1);
        mill.push_back(cap.last_Capture_mill());
    };

    // Not cropping yet: frames are still stamped, counted and announced.
    deliver(0);
    EXPECT_EQ(cap.last_Capture_mill(), 1000);
    EXPECT_EQ(cap.last_Capture_delta(), 1000); // the first delta is the whole timer value
    EXPECT_EQ(cap.HDMI_Sample_Dimensions(), "320*240");
    EXPECT_EQ(cap.Last_JPG_Compressed_Size(), 0);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(cap.Measured_fps(), 0);

    for (int i = 2; i <= 49; ++i)
        deliver(20);
    EXPECT_EQ(cap.last_Capture_delta(), 20);
    EXPECT_EQ(cap.Running_fps(), 0);
    deliver(0); // the 50th: the first measurement runs from the timer's start
    EXPECT_EQ(cap.Running_fps(), std::round(50000.0f / 1960));
    for (int i = 51; i <= 100; ++i)
        deliver(0); // 50 frames in no time: nothing measured
    EXPECT_EQ(cap.Running_fps(), std::round(50000.0f / 1960));
    deliver(20); // measured on the next one
    EXPECT_EQ(cap.Running_fps(), 50000 / 20);

    EXPECT_EQ(cap.HDMI_10_mill(), mill[31] - mill[21]);
    EXPECT_EQ(cap.HDMI_10_mill(), 200);
    for (int i = 102; i <= 131; ++i)
        deliver(25);
    EXPECT_EQ(cap.HDMI_events(), 131);
    EXPECT_EQ(cap.Measured_fps(), std::nearbyint(100.0f / ((mill[131] - mill[31]) / 1000.0f)));
    EXPECT_GT(cap.Measured_fps(), 0);

    deliver(12000); // a stall
    EXPECT_EQ(cap.last_Capture_delta(), 0);
    EXPECT_EQ(raised, 132);

    // A new run takes its probes again; until then the last run's stand.
    cap.Stop_Capture();
    const float measured = cap.Measured_fps();
    const int32_t ten_mill = cap.HDMI_10_mill();
    cap.Capture_Run();
    mill.assign(1, 0);
    deliver(20);
    EXPECT_EQ(cap.HDMI_events(), 1);
    EXPECT_EQ(cap.Measured_fps(), measured);
    // Each figure takes both its probes from one run: the first run's stand
    // until the second has taken its own, never a mix of the two.
    for (int i = 2; i <= 30; ++i)
        deliver(40);
    EXPECT_EQ(cap.HDMI_10_mill(), ten_mill);
    deliver(40); // event 31
    EXPECT_EQ(cap.HDMI_10_mill(), 400);
    for (int i = 32; i <= 130; ++i)
        deliver(40);
    EXPECT_EQ(cap.Measured_fps(), measured) << "event 31 of this run is taken, 131 not yet";
    deliver(40); // event 131
    EXPECT_EQ(cap.Measured_fps(), 25);
    cap.Stop_Capture();
}

TEST_F(CaptureHDMIClock, FailedFrameIsAnnouncedWithoutAPictureAndToldOnceARun) {
    std::vector<std::string> reports;
    const bool saved = g_Compiled;
    g_Compiled = true;
    vb::SetTrappingEnabled([] { return g_Compiled; });
    vb::SetErrorHandler([&](const vb::VbError&, const std::string& location, const std::string&) {
        reports.push_back(location);
    });
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    std::vector<std::pair<int32_t, int32_t>> announced; // time, JPEG length
    cap.HDMIreceived = [&] {
        announced.emplace_back(cap.last_Capture_mill(), cap.Last_JPG_Compressed_Size());
    };
    cap.set_HDMI_Crop(100, 60);
    cap.Do_CROP(true);
    const auto frame = Coded_Frame(320, 240);
    const auto deliver = [&] {
        clock.advance(40);
        cap.OnRGBEvent(nullptr, 0, frame.data(), int32_t(frame.size()), 1);
    };
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        announced.clear();
        cap.Capture_Run();
        cap.set_HDMI_Crop(100, 60);
        deliver();
        ASSERT_EQ(announced.size(), 1u);
        EXPECT_GT(announced[0].second, 0);
        cap.Reset_Compression_Counters(); // takes the JPEG buffer away: every compression now fails
        for (int i = 0; i < 3; ++i)
            deliver();
        ASSERT_EQ(announced.size(), 4u) << "each frame is still announced";
        for (size_t i = 1; i < 4; ++i) {
            EXPECT_EQ(announced[i].first, announced[i - 1].first + 40) << "with its own time";
            EXPECT_EQ(announced[i].second, 0) << "and no picture, not the last frame's";
        }
        EXPECT_EQ(reports.size(), static_cast<size_t>(run)) << "told once a run";
        cap.Stop_Capture();
    }
    EXPECT_EQ(reports.back(), "Crop_RGB_picture of Class Module cls_Capture_HDMI");
    g_Compiled = saved;
    vb::SetErrorHandler(nullptr);
}

TEST_F(CaptureHDMIClock, HandlerMayReleaseTheObjectDuringItsFrameEvent) {
    Save_Source("Second Cam", "0");
    com::ComPtr<cls_Capture_HDMI> cap = cls_Capture_HDMI::Create();
    ASSERT_TRUE(cap->Set_Source_from_Saved());
    cls_Capture_HDMI* object = cap.get();
    // Lives in the handler, which lives in the object: gone with it.
    const auto alive = std::make_shared<int>(0);
    long during = 0;
    object->HDMIreceived = [&cap, &during, object, alive] {
        object->Stop_Capture();
        object->UnAdvise();
        cap = nullptr; // the owner lets go inside the event
        during = alive.use_count();
        EXPECT_EQ(object->HDMI_events(), 1) << "still whole while its event runs";
    };
    object->Capture_Run();
    object->set_HDMI_Crop(100, 60);
    object->Do_CROP(true);
    const auto frame = Coded_Frame(320, 240);
    object->OnRGBEvent(nullptr, 0, frame.data(), int32_t(frame.size()), 1);
    EXPECT_EQ(during, 2) << "the object was alive through its own event";
    EXPECT_EQ(alive.use_count(), 1) << "and went, handler and all, when the event was over";
}

} // namespace

namespace {

TEST_F(CaptureHDMIClock, RotationChosenWithoutTheRotatedCopySizedStillFitsIt) {
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    cap.Capture_Run();
    cap.set_HDMI_Crop(100, 60); // Capture_Rotate_RGB not set: no rotated copy made
    EXPECT_EQ(cap.Rotated_DIB().Width(), 0);
    cap.Do_CROP(true);
    g_Rotated_Crop = true;
    const auto frame = Coded_Frame(320, 240);
    cap.OnRGBEvent(nullptr, 0, frame.data(), int32_t(frame.size()), 1);
    ASSERT_EQ(cap.Rotated_DIB().Width(), 60);
    ASSERT_EQ(cap.Rotated_DIB().Height(), 100);
    // Memory line c, pixel x of the copy is the crop's memory line 59 - x, pixel c.
    const cDIBSection& rot = cap.Rotated_DIB();
    const cDIBSection& crop = cap.Cropped_DIB();
    for (auto [c, x] : {std::pair{0, 0}, {99, 59}, {42, 17}})
        EXPECT_EQ(std::memcmp(rot.DIBSectionBitsPtr() + c * rot.BytesPerScanLine() + x * 3,
                              crop.DIBSectionBitsPtr() + (59 - x) * crop.BytesPerScanLine() + c * 3, 3),
                  0);
    // Picture terms: the crop's top-left pixel (source 110, 90) lands at the
    // copy's bottom left, its top right (source 209, 90) at the copy's top left.
    EXPECT_TRUE(Is_Source_Pixel(Pixel(rot, 0, 99), 110, 90));
    EXPECT_TRUE(Is_Source_Pixel(Pixel(rot, 0, 0), 209, 90));
    cap.Stop_Capture();
}

class Frm_capture_view : public forms::Form {
public:
    Frm_capture_view() : Form("Frm_capture_view") {}
    forms::PictureBox Pic_arm{this, "Pic_arm"};
    forms::PictureBox Pic_crop{this, "Pic_crop"};

protected:
    void Design() override {
        Move(0, 0, 9000, 17000);
        Pic_arm.Move(0, 0, 1500, 1500);      // 100 x 100 pixels
        Pic_crop.Move(1500, 0, 6600, 16200); // 440 x 1080 pixels: the crop's own size
        Pic_arm.ScaleMode(3);                // drawn in pixels, as the capture window's pictures
        Pic_crop.ScaleMode(3);
    }
};

TEST_F(CaptureHDMIClock, RunningArmAndCroppedFrameAreDrawnIntoPictures) {
    Save_Source("Second Cam", "0");
    cls_Capture_HDMI cap;
    ASSERT_TRUE(cap.Set_Source_from_Saved());
    Frm_capture_view& f = forms::Instance<Frm_capture_view>();
    f.Show();
    constexpr int32_t kRed = 0x0000FF;
    auto red = [&](double x, double y) { return f.Pic_arm.Point(x, y) == kRed; };

    cap.Capture_Run();
    cap.Draw_Running_Arm_2(f.Pic_arm, kRed); // phase 0: straight up
    EXPECT_TRUE(red(50, 20));
    EXPECT_FALSE(red(80, 50));
    const auto frame = Coded_Frame(320, 240);
    for (int i = 0; i < 25; ++i)
        cap.OnRGBEvent(nullptr, 0, frame.data(), int32_t(frame.size()), 1);
    cap.Draw_Running_Arm_2(f.Pic_arm, kRed); // a quarter turn: to the right
    EXPECT_FALSE(red(50, 20));
    EXPECT_TRUE(red(80, 50));
    cap.Stop_Capture();

    // The crop one to one, upright: the picture's top left is the crop's.
    cap.set_HDMI_Crop(440, 1080);
    cap.Crop_RGB_picture(Coded_Frame(1920, 1080).data(), int32_t(Coded_Frame(1920, 1080).size()), 1920, 1080,
                         440, 1080);
    cap.Draw_Cropped_DIB(f.Pic_crop);
    for (auto [x, y] : {std::pair{5, 5}, {439, 0}, {200, 1079}, {17, 700}}) {
        const uint8_t* p = Pixel(cap.Cropped_DIB(), x, y);
        EXPECT_EQ(f.Pic_crop.Point(x, y), int64_t(p[2]) | int64_t(p[1]) << 8 | int64_t(p[0]) << 16)
            << x << "," << y;
        EXPECT_TRUE(Is_Source_Pixel(p, x + 740, y));
    }
    f.Unload();
}

} // namespace

namespace {

TEST_F(CaptureHDMI, DestroyedWhileRunningTheObjectStopsAndLeavesTheLibrary) {
    Save_Source("Second Cam", "0");
    int frames = 0;
    {
        cls_Capture_HDMI cap;
        ASSERT_TRUE(cap.Set_Source_from_Saved());
        cap.HDMIreceived = [&] { ++frames; };
        cap.Capture_Run();
        ASSERT_TRUE(pump_until([&] { return frames >= 2; }));
    } // neither stopped nor unadvised by its owner
    const int at_end = frames;
    EXPECT_FALSE(pump_until([&] { return frames != at_end; }, 300));

    // Running without a chosen source: the library answers without a graph;
    // the object counts as running and the operator sees nothing.
    cls_Capture_HDMI bare;
    bare.Capture_Run();
    EXPECT_TRUE(bare.Running());
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    bare.Stop_Capture();
}

} // namespace
