#include "CaptureFilter.h"
#include "FilterGraph.h"
#include "Filters.h"
#include "SampleGrabber.h"
#include "SyntheticDevices.h"
#include "SystemDeviceEnum.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

using namespace dshow;

namespace {

const char* kDevices = "only;"
                       "video|Cam A|Pattern A|/synthetic/a|1a2b:3c|RGB24 322x240@25,YUY2 640x480@30000/1001;"
                       "video|Cam B|Pattern B|/synthetic/b||MJPG 320x240@25;"
                       "audio|Tone|Test tone|/synthetic/tone||PCM 44100 2 16";

struct DshowTest : ::testing::Test {
    void SetUp() override { setenv("TIDEWICK_SYNTHETIC_DEVICES", kDevices, 1); }
};

std::vector<std::shared_ptr<Moniker>> devices(const GUID& category, HRESULT* hr = nullptr) {
    std::shared_ptr<SystemDeviceEnum> e;
    EXPECT_EQ(CreateSystemDeviceEnum(e), com::S_OK);
    std::vector<std::shared_ptr<Moniker>> out;
    const HRESULT r = e->CreateClassEnumerator(category, out);
    if (hr) *hr = r;
    return out;
}

std::shared_ptr<CaptureFilter> bind(const Moniker& m) {
    std::shared_ptr<BaseFilter> f;
    EXPECT_EQ(m.BindToObject(f), com::S_OK);
    return std::dynamic_pointer_cast<CaptureFilter>(f);
}

TEST_F(DshowTest, SyntheticDevicesAreListedInTheirOrderWithTheirProperties) {
    HRESULT hr;
    auto video = devices(CLSID_VideoInputDeviceCategory, &hr);
    EXPECT_EQ(hr, com::S_OK);
    ASSERT_EQ(video.size(), 2u);
    std::string v;
    EXPECT_EQ(video[0]->Read("FriendlyName", v), com::S_OK);
    EXPECT_EQ(v, "Cam A");
    EXPECT_EQ(video[0]->Read("Description", v), com::S_OK);
    EXPECT_EQ(v, "Pattern A");
    EXPECT_EQ(video[1]->Read("DevicePath", v), com::S_OK);
    EXPECT_EQ(v, "/synthetic/b");
    EXPECT_EQ(video[1]->Read("Nothing", v), com::E_FAIL);

    std::array<uint32_t, 2> id{};
    EXPECT_EQ(bind(*video[0])->get_ExternalDeviceID(id), com::S_OK);
    EXPECT_EQ(id, (std::array<uint32_t, 2>{0x1a2b, 0x3c}));
    EXPECT_EQ(bind(*video[1])->get_ExternalDeviceID(id), com::E_NOINTERFACE);

    EXPECT_EQ(devices(CLSID_AudioInputDeviceCategory).size(), 1u);
    EXPECT_TRUE(devices(com::GUID_NULL, &hr).empty());
    EXPECT_EQ(hr, com::S_FALSE);

    setenv("TIDEWICK_SYNTHETIC_DEVICES", "only", 1);
    EXPECT_TRUE(devices(CLSID_VideoInputDeviceCategory, &hr).empty());
    EXPECT_EQ(hr, com::S_FALSE);
}

// Without "only" the machine's own devices (found by the device monitor, if
// any) follow the synthetic ones, so the synthetic numbers stay put.
TEST_F(DshowTest, RealDevicesFollowTheSyntheticOnes) {
    setenv("TIDEWICK_SYNTHETIC_DEVICES", "video|Synthetic|||", 1);
    for (const GUID& category : {CLSID_VideoInputDeviceCategory, CLSID_AudioInputDeviceCategory}) {
        const auto first = devices(category);
        const auto again = devices(category);
        ASSERT_EQ(first.size(), again.size());
        for (size_t i = 0; i < first.size(); ++i)
            EXPECT_EQ(first[i]->description().devicePath, again[i]->description().devicePath)
                << "stable order";
        if (category == CLSID_VideoInputDeviceCategory) {
            ASSERT_GE(first.size(), 1u);
            EXPECT_EQ(first[0]->description().friendlyName, "Synthetic");
        }
    }
}

TEST_F(DshowTest, StreamConfigurationListsFormatsAndRefusesOthers) {
    auto cam = bind(*devices(CLSID_VideoInputDeviceCategory)[0]);
    IAMStreamConfig* cfg = cam->EnumPins()[0]->QueryStreamConfig();
    ASSERT_TRUE(cfg);
    EXPECT_EQ(cam->EnumPins()[0]->QueryDirection(), PINDIR_OUTPUT);
    int count = 0, size = 0;
    EXPECT_EQ(cfg->GetNumberOfCapabilities(&count, &size), com::S_OK);
    EXPECT_EQ(count, 2);

    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(cfg->GetStreamCaps(1, &mt, nullptr), com::S_OK);
    EXPECT_TRUE(mt->majortype == MEDIATYPE_Video);
    EXPECT_TRUE(mt->subtype == MEDIASUBTYPE_YUY2);
    const VIDEOINFOHEADER* vih = VideoInfo(*mt);
    ASSERT_TRUE(vih);
    EXPECT_EQ(vih->bmiHeader.biWidth, 640);
    EXPECT_EQ(vih->bmiHeader.biHeight, 480);
    EXPECT_EQ(vih->AvgTimePerFrame, 333667);
    // The byte offsets the program reads through the address.
    const auto* raw = reinterpret_cast<const uint8_t*>(vih);
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(raw + 52), 640);
    EXPECT_EQ(*reinterpret_cast<const int64_t*>(raw + 40), 333667);

    EXPECT_EQ(cfg->SetFormat(mt), com::S_OK);
    AM_MEDIA_TYPE* cur = nullptr;
    ASSERT_EQ(cfg->GetFormat(&cur), com::S_OK);
    EXPECT_EQ(VideoInfo(*cur)->bmiHeader.biWidth, 640);
    DeleteMediaType(cur);

    // Another size than the device offers: refused, the format stays.
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 800;
    EXPECT_EQ(cfg->SetFormat(mt), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(cfg->SetFormat(nullptr), com::E_POINTER);
    ASSERT_EQ(cfg->GetFormat(&cur), com::S_OK);
    EXPECT_EQ(VideoInfo(*cur)->bmiHeader.biWidth, 640);
    DeleteMediaType(cur);
    DeleteMediaType(mt);

    EXPECT_EQ(cfg->GetStreamCaps(2, &mt, nullptr), com::S_FALSE);
    EXPECT_EQ(mt, nullptr);
}

struct Collector : ISampleGrabberCB {
    std::mutex m;
    std::vector<std::vector<uint8_t>> samples;
    std::vector<double> times;
    std::atomic<int> count{0};
    size_t keep = 3;
    HRESULT SampleCB(double, const MediaSample&) override { return com::S_OK; }
    HRESULT BufferCB(double t, const MediaSample& s) override {
        std::lock_guard g(m);
        times.push_back(t);
        if (samples.size() < keep) {
            samples.emplace_back(size_t(s.GetActualDataLength()));
            s.CopyTo(samples.back().data());
        }
        ++count;
        return com::S_OK;
    }
};

std::shared_ptr<SampleGrabber> makeGrabber(const GUID& major, const GUID& sub) {
    std::shared_ptr<BaseFilter> f;
    EXPECT_EQ(CoCreateFilter(CLSID_SampleGrabber, f), com::S_OK);
    auto g = std::dynamic_pointer_cast<SampleGrabber>(f);
    AM_MEDIA_TYPE mt;
    mt.majortype = major;
    mt.subtype = sub;
    EXPECT_EQ(g->SetMediaType(&mt), com::S_OK);
    return g;
}

HRESULT connect(FilterGraph& g, BaseFilter& a, BaseFilter& b) {
    IPin* out = nullptr;
    IPin* in = nullptr;
    for (IPin* p : a.EnumPins())
        if (!out && p->QueryDirection() == PINDIR_OUTPUT) out = p;
    for (IPin* p : b.EnumPins())
        if (!in && p->QueryDirection() == PINDIR_INPUT) in = p;
    return g.Connect(out, in);
}

template <class Pred> bool waitFor(Pred p, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!p()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The RGB grabber hands out the picture bottom-up with rows padded to 4
// bytes: checked against the same test pattern written top-down by
// GStreamer's own command-line tool.
TEST_F(DshowTest, RgbGrabberDeliversBottomUpPaddedRows) {
    ASSERT_TRUE(test_env::have_tool("gst-launch-1.0"));
    const std::string ref = test_env::make_dir("rgb") + "/ref.raw";
    ASSERT_EQ(
        test_env::run(
            "gst-launch-1.0 -q videotestsrc num-buffers=1 ! video/x-raw,format=BGR,width=322,height=240 ! "
            "filesink location=" +
            ref),
        0);
    const std::string top_down = test_env::read_file(ref);
    const size_t stride = 968, rows = 240; // 322 * 3 = 966, padded
    ASSERT_EQ(top_down.size(), stride * rows);

    auto cam = bind(*devices(CLSID_VideoInputDeviceCategory)[0]);
    auto dv = makeGrabber(MEDIATYPE_Video, MEDIASUBTYPE_dvsd);
    auto rgb = makeGrabber(MEDIATYPE_Video, MEDIASUBTYPE_RGB24);
    std::shared_ptr<BaseFilter> null;
    ASSERT_EQ(CoCreateFilter(CLSID_NullRenderer, null), com::S_OK);
    FilterGraph graph;
    ASSERT_EQ(graph.AddFilter(cam, "Capturing Device"), com::S_OK);
    ASSERT_EQ(graph.AddFilter(dv, "GrabberDV"), com::S_OK);
    EXPECT_EQ(connect(graph, *cam, *dv), VFW_E_CANNOT_CONNECT); // a pattern is no DV
    ASSERT_EQ(graph.RemoveFilter(dv.get()), com::S_OK);
    ASSERT_EQ(graph.AddFilter(rgb, "Grabber RGB"), com::S_OK);
    ASSERT_EQ(connect(graph, *cam, *rgb), com::S_OK);
    ASSERT_EQ(graph.AddFilter(null, "NullRenderer"), com::S_OK);
    ASSERT_EQ(connect(graph, *rgb, *null), com::S_OK);

    AM_MEDIA_TYPE mt;
    ASSERT_EQ(rgb->GetConnectedMediaType(&mt), com::S_OK);
    EXPECT_TRUE(mt.subtype == MEDIASUBTYPE_RGB24);
    EXPECT_EQ(VideoInfo(mt)->bmiHeader.biSizeImage, stride * rows);
    FreeMediaType(mt);

    Collector c;
    rgb->SetCallback(&c, 1);
    ASSERT_EQ(graph.Run(), com::S_OK);
    EXPECT_TRUE(graph.isRunning());
    EXPECT_TRUE(waitFor([&] { return c.count >= 5; }));
    EXPECT_EQ(graph.Stop(), com::S_OK);
    const int after_stop = c.count;
    // Nothing arrives once Stop returned, in the time of several more frames.
    EXPECT_FALSE(waitFor([&] { return c.count != after_stop; }, 200));

    ASSERT_FALSE(c.samples.empty());
    const auto& s = c.samples.front();
    ASSERT_EQ(s.size(), stride * rows);
    for (size_t r = 0; r < rows; ++r) {
        ASSERT_EQ(0, memcmp(&s[(rows - 1 - r) * stride], &top_down[r * stride], 966)) << "row " << r;
        EXPECT_EQ(s[(rows - 1 - r) * stride + 966], 0);
    }
    for (size_t i = 1; i < c.times.size(); ++i)
        EXPECT_GT(c.times[i], c.times[i - 1]);
    EXPECT_NEAR(c.times[1] - c.times[0], 0.04, 0.005);
}

// A camera that sends MJPEG or YUY2: the connection decodes and converts,
// and the callback still gets 24-bit bottom-up pictures of the camera's size.
TEST_F(DshowTest, RgbGrabberConvertsOtherCameraFormats) {
    struct Case {
        size_t device;
        int format;
        size_t bytes;
    };
    for (const Case c : {Case{1, 0, 960 * 240}, Case{0, 1, 1920 * 480}}) {
        auto cam = bind(*devices(CLSID_VideoInputDeviceCategory)[c.device]);
        AM_MEDIA_TYPE* mt = nullptr;
        ASSERT_EQ(cam->GetStreamCaps(c.format, &mt, nullptr), com::S_OK);
        ASSERT_EQ(cam->SetFormat(mt), com::S_OK);
        DeleteMediaType(mt);
        auto rgb = makeGrabber(MEDIATYPE_Video, MEDIASUBTYPE_RGB24);
        std::shared_ptr<BaseFilter> null;
        ASSERT_EQ(CoCreateFilter(CLSID_NullRenderer, null), com::S_OK);
        FilterGraph graph;
        graph.AddFilter(cam, "Capturing Device");
        graph.AddFilter(rgb, "Grabber RGB");
        graph.AddFilter(null, "NullRenderer");
        ASSERT_EQ(connect(graph, *cam, *rgb), com::S_OK);
        ASSERT_EQ(connect(graph, *rgb, *null), com::S_OK);
        Collector col;
        rgb->SetCallback(&col, 1);
        ASSERT_EQ(graph.Run(), com::S_OK);
        EXPECT_TRUE(waitFor([&] { return col.count >= 3; })) << graph.streamingError();
        graph.Stop();
        ASSERT_FALSE(col.samples.empty());
        EXPECT_EQ(col.samples[0].size(), c.bytes);
    }
}

// A DV AVI file made by ffmpeg: the DV grabber, the DV decoder and the RGB
// grabber stand in a row and each grabber sees every frame.
TEST_F(DshowTest, DvFileGraphFeedsBothGrabbersEveryFrame) {
    ASSERT_TRUE(test_env::have_tool("ffmpeg"));
    const std::string file = test_env::make_dir("dv") + "/clip.avi";
    ASSERT_EQ(test_env::run(
                  "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=720x576:rate=25 -f lavfi -i "
                  "sine=frequency=440:sample_rate=48000 -t 0.4 -c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le "
                  "-ar 48000 " +
                  file),
              0);
    std::shared_ptr<BaseFilter> reader, avi, dvs, codec, null;
    ASSERT_EQ(CoCreateFilter(CLSID_AsyncReader, reader), com::S_OK);
    ASSERT_EQ(std::dynamic_pointer_cast<AsyncReader>(reader)->Load(file, nullptr), com::S_OK);
    EXPECT_EQ(AsyncReader().Load(file + ".none", nullptr), com::HRESULT_FROM_WIN32(2));
    ASSERT_EQ(CoCreateFilter(CLSID_AviSplitter, avi), com::S_OK);
    ASSERT_EQ(CoCreateFilter(CLSID_DVSplitter, dvs), com::S_OK);
    ASSERT_EQ(CoCreateFilter(CLSID_DVVideoCodec, codec), com::S_OK);
    ASSERT_EQ(CoCreateFilter(CLSID_NullRenderer, null), com::S_OK);
    auto dv = makeGrabber(MEDIATYPE_Video, MEDIASUBTYPE_dvsd);
    auto rgb = makeGrabber(MEDIATYPE_Video, MEDIASUBTYPE_RGB24);
    FilterGraph graph;
    std::vector<std::pair<std::shared_ptr<BaseFilter>, const char*>> chain = {
        {reader, "File Source Reader"}, {avi, "AVI Splitter"}, {dvs, "DV Splitter"},  {dv, "GrabberDV"},
        {codec, "DV Video Codec"},      {rgb, "Grabber RGB"},  {null, "NullRenderer"}};
    for (size_t i = 0; i < chain.size(); ++i) {
        ASSERT_EQ(graph.AddFilter(chain[i].first, chain[i].second), com::S_OK);
        if (i) {
            ASSERT_EQ(connect(graph, *chain[i - 1].first, *chain[i].first), com::S_OK) << chain[i].second;
        }
    }
    Collector dvc, rgbc;
    dv->SetCallback(&dvc, 1);
    rgb->SetCallback(&rgbc, 1);
    ASSERT_EQ(graph.Run(), com::S_OK);
    EXPECT_TRUE(waitFor([&] { return graph.streamEnded(); })) << graph.streamingError();
    graph.Stop();
    EXPECT_EQ(dvc.count, 10);
    EXPECT_EQ(rgbc.count, 10);
    ASSERT_FALSE(dvc.samples.empty());
    EXPECT_EQ(dvc.samples[0].size(), 144000u);
    ASSERT_FALSE(rgbc.samples.empty());
    EXPECT_EQ(rgbc.samples[0].size(), 720u * 576 * 3);
}

TEST(SyntheticDevices, DescriptionFormat) {
    auto cfg =
        ParseSyntheticDevices("# comment\nvideo|A|||ff:1|RGB24 1280x720@59.94, bogus, YUY2 8x8@60000/1001\n"
                              "audio|T\nwhatever|x\n");
    EXPECT_FALSE(cfg.only);
    ASSERT_EQ(cfg.devices.size(), 2u);
    ASSERT_EQ(cfg.devices[0].formats.size(), 2u);
    EXPECT_EQ(cfg.devices[0].formats[0].fpsNum, 59940);
    EXPECT_EQ(cfg.devices[0].formats[0].fpsDen, 1000);
    EXPECT_EQ(cfg.devices[0].formats[1].fpsNum, 60000);
    EXPECT_EQ((*cfg.devices[0].externalId)[0], 0xffu);
    EXPECT_TRUE(cfg.devices[1].audio);
    ASSERT_EQ(cfg.devices[1].formats.size(), 1u);
    EXPECT_EQ(cfg.devices[1].formats[0].rate, 44100);
}

} // namespace
