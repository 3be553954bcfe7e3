// A long capture into one heat: the capture window and its live preview shown,
// the synthetic camera at 1920 x 1080 and 50 frames per second, one heat file
// captured for N minutes. Once a minute it prints the frame events of the
// capture, the records written, the frames lost by either count (events
// without a record; frames the capture object counted lost: overwritten
// before they were taken, or never delivered by the source) and the resident
// memory. It fails when a frame is lost by either count, when the heat file
// does not hold every record, or (from two minutes on) when the resident
// memory of the last minute is more than 5 % above that of the first.
//
//   soak_capture --minutes N [--load N]
#include "Bench_Load.h"
#include "Capture_Rig.h"
#include "Form_capture_multi_file.h"
#include "Frm_fullscreen.h"
#include "Module_qfn_Globals.h"
#include "Program_Wiring.h"
#include "QtMessagePump.h"
#include "cls_Capture_HDMI.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

double Resident_MB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// This thread's processor time: what a frame's handling cost, apart from
// the time the thread waited for a processor.
double Thread_CPU_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

int Usage() {
    std::fprintf(stderr, "usage: soak_capture --minutes N\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Bench_Load load(argc, argv);
    int minutes = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--minutes") == 0) minutes = std::atoi(argv[i + 1]);
    if (minutes <= 0) return Usage();
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    const fs::path home = capture_rig::Make_Home("soak_capture");

    QApplication app(argc, argv);
    msgqueue::AttachToQtEventLoop();
    if (!capture_rig::Set_Up_Capture(home, "Soak")) {
        std::fprintf(stderr, "soak_capture: the capture library could not be registered\n");
        return 1;
    }

    // The windows wired as the program wires them: the capture window paints
    // into the real live preview window.
    Wire_Program();
    class Form_capture_multi_file& w = Form_capture_multi_file();
    w.Show();
    w.Set_Source_and_Property();
    w.Start_Camera();
    cls_Capture_HDMI* cap = w.obj_Capture_HDMI();
    if (!cap || !cap->Running()) {
        std::fprintf(stderr, "soak_capture: the synthetic camera did not start\n");
        return 1;
    }

    // Where the time of a lost frame went: the longest handling of a frame on
    // the window thread, and the frames that came more than 30 ms after the
    // one before (the window thread or the camera's thread held up); the
    // longest handling's own processor time tells work from waiting.
    double longest_ms = 0, longest_cpu_ms = 0;
    int32_t late = 0;
    const auto window_frame = cap->HDMIreceived;
    cap->HDMIreceived = [&] {
        const auto t0 = std::chrono::steady_clock::now();
        const double cpu0 = Thread_CPU_ms();
        window_frame();
        longest_cpu_ms = std::max(longest_cpu_ms, Thread_CPU_ms() - cpu0);
        longest_ms = std::max(
            longest_ms,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        if (cap->last_Capture_delta() > 30) ++late;
    };
    std::string file;
    double first_mb = 0, last_mb = 0;
    int failures = 0;
    int minute = 0;
    int32_t events_at_start = 0, events_at_end = 0;
    int32_t lost_at_start = 0, lost_at_end = 0;
    const auto t0 = std::chrono::steady_clock::now();

    QTimer::singleShot(3000, [&] {
        // Three seconds of frames for the size target, then a heat as the
        // operator makes it: new file, start, Capture held.
        w.Text_Heat_ID(0).Text("1");
        w.Command_newFile_Click(0);
        file = w.Label_filename(0).Caption();
        capture_rig::Stamp_Heat_Start(w, 0);
        w.item_preview.Trigger();
        events_at_start = cap->HDMI_events();
        lost_at_start = cap->Frames_Lost();
        w.Handle_Capture_Start(0);
        std::printf("(%s)\nminute  frames  records  lost  counted_lost  expected  resident_MB  longest_ms "
                    "(cpu)  late\n",
                    load.Label().c_str());
        std::fflush(stdout);
    });
    QTimer per_minute;
    per_minute.setInterval(60000);
    QObject::connect(&per_minute, &QTimer::timeout, [&] {
        ++minute;
        // Both counts are read between two frame events: every event since
        // the capture start must have its record.
        const int32_t events = cap->HDMI_events() - events_at_start;
        const int32_t written = w.Num_Written();
        last_mb = Resident_MB();
        if (minute == 1) first_mb = last_mb;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() - 3.0;
        std::printf("%6d  %6d  %7d  %4d  %12d  %8.0f  %11.1f  %10.1f %5.1f  %4d\n", minute, events, written,
                    events - written, cap->Frames_Lost() - lost_at_start, seconds * 50, last_mb, longest_ms,
                    longest_cpu_ms, late);
        longest_ms = longest_cpu_ms = 0;
        late = 0;
        std::fflush(stdout);
        if (minute >= minutes) {
            events_at_end = cap->HDMI_events();
            lost_at_end = cap->Frames_Lost();
            w.Handle_Capture_End(0);
            per_minute.stop();
            QCoreApplication::exit(0);
        }
    });
    QTimer::singleShot(3000, [&] { per_minute.start(); });
    app.exec();

    const int32_t written = w.Num_Written();
    const int32_t events = events_at_end - events_at_start;
    if (events != written) {
        std::printf("FAIL: %d frame events, %d records\n", events, written);
        ++failures;
    }
    if (lost_at_end != lost_at_start) {
        std::printf("FAIL: %d frames lost (overwritten %d, never delivered %d this run)\n",
                    lost_at_end - lost_at_start, cap->Frames_Overwritten(), cap->Frames_Never_Delivered());
        ++failures;
    }
    cls_VideoFile_handler reader;
    if (!reader.Open_File(file) || reader.Num_Frames() != written) {
        std::printf("FAIL: the heat file does not hold the %d records\n", written);
        ++failures;
    }
    reader.Close_File();
    if (minutes >= 2 && last_mb > first_mb * 1.05) {
        std::printf("FAIL: resident memory grew from %.1f MB to %.1f MB\n", first_mb, last_mb);
        ++failures;
    }
    std::printf("%s: %d records in %s, resident %.1f MB at minute 1 and %.1f MB at minute %d\n",
                failures ? "FAILED" : "passed", written, file.c_str(), first_mb, last_mb, minute);
    w.Terminate_obj_Capture_HDMI();
    w.Unload();
    if (Frm_fullscreen().IsLoaded()) Frm_fullscreen().Unload();
    fs::remove_all(home);
    return failures ? 1 : 0;
}
