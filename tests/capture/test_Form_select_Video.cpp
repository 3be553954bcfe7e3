// The video source selection window over the real capture library with
// synthetic devices: the list of sources and formats as the operator makes
// it with "Enumerate Video sources", the row click that stores the source,
// "Select Done" handing it to the capture window, and a running capture that
// stays on its own device while the list is made.
#include "CaptureTestSupport.h"
#include "Form_capture_multi_file.h"
#include "Form_select_Video.h"
#include "Module_HDMI_Support.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Services.h"
#include "TestEnv.h"
#include "WinClock.h"
#include "Windows.h"
#include "cls_Capture_HDMI.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

#include <array>
#include <string>
#include <vector>

namespace {

using capture_test::pump_until;

class Select_Video : public capture_test::CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        dir = test_env::make_dir(std::string("select-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        g_Ini_File_Path = dir + "/Tidewick_HDMI.ini";
        test_env::write_file(g_Ini_File_Path, "");
        g_Compiled = false;
        g_Exiting = false;
        g_Capture_Crop_Width = 440;
        g_Capture_Crop_Height = 1080;
        g_Rotated_Crop = false;
        test_env::dialogs().clear();
        forms::set_clipboard_service(&clipboard);
    }
    void TearDown() override {
        C().Terminate_obj_Capture_HDMI();
        C().Unload();
        S().Unload();
        // Outside an event loop the unloaded windows go only when asked to.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        forms::set_clipboard_service(nullptr);
        CaptureTest::TearDown();
    }
    static class Form_select_Video& S() { return Form_select_Video(); }
    static class Form_capture_multi_file& C() { return Form_capture_multi_file(); }
    static void Devices(const std::string& text) { setenv("TIDEWICK_SYNTHETIC_DEVICES", text.c_str(), 1); }

    QTreeWidget* List() { return test_env::widget_as<QTreeWidget>(S(), "ListView_prop"); }
    void Enumerate() {
        S().Show();
        QTest::mouseClick(test_env::widget_of(S(), "Command_enum2"), Qt::LeftButton);
    }
    void Click_Row(int32_t row) {
        QTreeWidget* t = List();
        const QRect r = t->visualItemRect(t->topLevelItem(row - 1));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
    // Each row as Sn | Video Source | Pn | Properties.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int32_t i = 1; i <= S().ListView_prop.ListItems_Count(); ++i)
            rows.push_back(S().ListView_prop.ListItem_Text(i) + "|" + S().ListView_prop.SubItems(i, 1) + "|" +
                           S().ListView_prop.SubItems(i, 2) + "|" + S().ListView_prop.SubItems(i, 3));
        return rows;
    }

    forms::MemoryClipboard clipboard;
    std::string dir;
};

TEST_F(Select_Video, ListsFormatsOfEverySourceUpToTheFirstGap) {
    struct Case {
        const char* what;
        std::string devices;
        std::vector<std::string> rows;
    };
    std::string eleven = "only";
    for (int i = 1; i <= 11; ++i)
        eleven += ";video|Cam " + std::to_string(i) + "|d|/s/" + std::to_string(i) + "||RGB24 " +
                  std::to_string(100 + i) + "x100@25";
    std::vector<std::string> ten;
    for (int i = 1; i <= 10; ++i)
        ten.push_back(std::to_string(i) + "|Cam " + std::to_string(i) + "|0|" + std::to_string(100 + i) +
                      "*100/25");
    std::string twelve_formats;
    for (int w = 100; w < 112; ++w)
        twelve_formats +=
            std::string(twelve_formats.empty() ? "" : ",") + "RGB24 " + std::to_string(w) + "x50@25";
    const Case cases[] = {
        {"runs of one text give one row, the first of the run; a format seen before but not just before "
         "gives a row again; the pixel format does not show",
         "only;video|HDMI Capture|USB3 HDMI grabber|/s/hdmi||RGB24 1920x1080@50,YUY2 1920x1080@50,"
         "RGB24 1920x1080@50,RGB24 1280x720@60,RGB24 1920x1080@50;"
         "video|Second Cam|Spare camera|/s/spare||RGB24 320x240@25;"
         "audio|Line In|Test tone|/s/tone||PCM 44100 2 16",
         {"1|HDMI Capture|0|1920*1080/50", "1|HDMI Capture|3|1280*720/60", "1|HDMI Capture|4|1920*1080/50",
          "2|Second Cam|0|320*240/25"}},
        {"a source that cannot be opened ends the list: the one after it is never tried",
         "only;video|First|d|/s/1||RGB24 640x480@25;video|Held|d|/s/2||RGB24 800x600@25|busy;"
         "video|After the gap|d|/s/3||RGB24 720x576@25",
         {"1|First|0|640*480/25"}},
        {"no source at all: an empty list", "only", {}},
        {"ten sources at most", eleven, ten},
        {"format numbers from 10 on",
         "only;video|Many|d|/s/m||" + twelve_formats,
         {"1|Many|0|100*50/25", "1|Many|1|101*50/25", "1|Many|2|102*50/25", "1|Many|3|103*50/25",
          "1|Many|4|104*50/25", "1|Many|5|105*50/25", "1|Many|6|106*50/25", "1|Many|7|107*50/25",
          "1|Many|8|108*50/25", "1|Many|9|109*50/25", "1|Many|10|110*50/25", "1|Many|11|111*50/25"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Devices(c.devices);
        Enumerate();
        EXPECT_EQ(Rows(), c.rows);
    }
    // The list as the operator sees it.
    QTreeWidget* t = List();
    ASSERT_EQ(t->columnCount(), 4);
    const std::array<const char*, 4> headers = {"Sn", "Video Source", "Pn", "Properties"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(t->headerItem()->text(i).toStdString(), headers[i]);
    EXPECT_EQ(t->header()->sectionSize(1), 3500 / 15);
    EXPECT_EQ(S().Caption(), "Select HDMI Video Source");
    EXPECT_EQ(t->topLevelItemCount(), 12);
}

TEST_F(Select_Video, ARowClickStoresTheSourceAndSelectDoneHandsItOn) {
    Devices(capture_test::kDevices);
    S().Show();
    // Nothing is listed before the operator asks; Select Done wants a row.
    EXPECT_EQ(S().ListView_prop.ListItems_Count(), 0);
    QTest::mouseClick(test_env::widget_of(S(), "Command_select_done"), Qt::LeftButton);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No video source selected!"});
    EXPECT_TRUE(S().Visible());

    Enumerate();
    ASSERT_EQ(Rows(),
              (std::vector<std::string>{"1|HDMI Capture|0|1920*1080/50", "1|HDMI Capture|1|1280*720/60",
                                        "1|HDMI Capture|2|640*480/25", "2|Second Cam|0|320*240/25"}));
    Click_Row(2);
    EXPECT_EQ(S().Label_video_source.Caption(), "1");
    EXPECT_EQ(S().Label_selected_friendly.Caption(), "HDMI Capture");
    EXPECT_EQ(S().Label_property_num.Caption(), "1");
    EXPECT_EQ(S().Label_property_string.Caption(), "1280*720/60");
    EXPECT_EQ(Read_Ini("capturesettings", "friendlyname", g_Ini_File_Path, ""), "HDMI Capture");
    EXPECT_EQ(Read_Ini("capturesettings", "videoproperty", g_Ini_File_Path, ""), "1");
    EXPECT_EQ(test_env::screenshot(S(), "select_video").empty(), false);

    // The report on the clipboard: heading lines, then one line per row.
    S().item_iterate.Trigger();
    const std::string report = clipboard.text;
    EXPECT_EQ(report.rfind("Video source enumeration at ", 0), 0u) << report;
    EXPECT_NE(report.find("\r\nProgram version "), std::string::npos);
    EXPECT_NE(report.find(" Computer name "), std::string::npos);
    EXPECT_NE(report.find("\r\n1  HDMI Capture  0  1920*1080/50\r\n1  HDMI Capture  1  1280*720/60\r\n"
                          "1  HDMI Capture  2  640*480/25\r\n2  Second Cam  0  320*240/25\r\n"),
              std::string::npos)
        << report;

    // Cancel hides and keeps the choice; Select Done on a later showing
    // still counts the row clicked before and selects it for the camera.
    QTest::mouseClick(test_env::widget_of(S(), "Command_Cancel"), Qt::LeftButton);
    EXPECT_FALSE(S().Visible());
    S().Show();
    QTest::mouseClick(test_env::widget_of(S(), "Command_select_done"), Qt::LeftButton);
    EXPECT_FALSE(S().Visible());
    ASSERT_NE(C().obj_Capture_HDMI(), nullptr);
    EXPECT_TRUE(C().obj_Capture_HDMI()->SourcePropFound());
    EXPECT_EQ(C().obj_Capture_HDMI()->Current_FriendlyName(), "HDMI Capture");
    EXPECT_EQ(C().obj_Capture_HDMI()->Current_PropertyString(), "1280*720/60");
}

TEST_F(Select_Video, ASavedSourceNoLongerThereOpensTheWindow) {
    Devices(capture_test::kDevices);
    Write_Ini("capturesettings", "friendlyname", "Gone Cam", g_Ini_File_Path);
    Write_Ini("capturesettings", "videoproperty", "0", g_Ini_File_Path);
    C().Set_Source_and_Property();
    EXPECT_EQ(
        test_env::dialogs().prompts(),
        std::vector<std::string>{"Could not find the saved Video source! Please re-select Video source!"});
    EXPECT_TRUE(S().Visible());
}

// Listing the sources binds every device in turn; a camera stopped and run
// again afterwards still runs on the device it was started on. (On the
// listing's last device, the small camera, its frames would be shorter than
// the header it read at its first frame, and the capture would stop.)
TEST_F(Select_Video, ListingLeavesTheCameraOnItsOwnDevice) {
    Devices(capture_test::kDevices);
    Write_Ini("capturesettings", "friendlyname", "HDMI Capture", g_Ini_File_Path);
    Write_Ini("capturesettings", "videoproperty", "1", g_Ini_File_Path);
    g_Captures_Stopped = false;
    C().Set_Source_and_Property();
    C().Start_Camera();
    cls_Capture_HDMI& cap = *C().obj_Capture_HDMI();
    ASSERT_TRUE(pump_until([&] { return cap.HDMI_events() >= 2; }));
    EXPECT_EQ(cap.HDMI_Sample_Dimensions(), "1280*720");

    Enumerate();
    ASSERT_EQ(Rows().size(), 4u);
    EXPECT_EQ(Rows().back(), "2|Second Cam|0|320*240/25");
    C().Stop_Capture();
    capture_test::pump_for(100);
    C().Start_Camera();
    const int32_t before = cap.HDMI_events();
    ASSERT_TRUE(pump_until([&] { return cap.HDMI_events() >= before + 10; })) << cap.Last_Error();
    EXPECT_FALSE(g_Captures_Stopped);
    EXPECT_TRUE(cap.Running());
    EXPECT_GT(cap.Last_JPG_Compressed_Size(), 0);
}

} // namespace
