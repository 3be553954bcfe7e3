// The header fields of the video file object: every pass-through member
// against the header element it names, the guards and write-backs, and the
// facts of the open file.
#include "Cls_XML_header.h"
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "VbConvert.h"
#include "VbError.h"
#include "XmlDom.h"
#include "cls_VideoFile_handler.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using VF = cls_VideoFile_handler;

struct Row {
    const char* member;
    std::function<void(VF&, const std::string&)> let; // null: read-only member
    std::function<std::string(VF&)> get;              // null: write-only member
    const char* xpath;
    const char* value;  // written through the member (or the header for read-only ones)
    const char* stored; // the element's text after the write
};

std::string S(int64_t v) {
    return std::to_string(v);
}
std::string B(bool v) {
    return v ? "True" : "False";
}
int32_t L(const std::string& s) {
    return vb::CLng(s);
}
int16_t I(const std::string& s) {
    return vb::CInt(s);
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"Heat_result", [](VF& v, auto& s) { v.Heat_result(1, 3, L(s)); },
         [](VF& v) { return S(v.Heat_result(1, 3)); },
         "//heat_record[@id='1']//lane_record[@id='3']/heat_time_mill", "61230", "61230"},
        {"Heat_time", [](VF& v, auto& s) { v.Heat_time(1, 4, L(s)); },
         [](VF& v) { return S(v.Heat_time(1, 4)); },
         "//heat_record[@id='1']//lane_record[@id='4']/heat_time_mill", "100000002", "100000002"},
        {"Heat_Clicktime", [](VF& v, auto& s) { v.Heat_Clicktime(1, 5, L(s)); },
         [](VF& v) { return S(v.Heat_Clicktime(1, 5)); },
         "//heat_record[@id='1']//lane_record[@id='5']/click_time_mill", "-12345", "-12345"},
        {"Heat_Goalfield", [](VF& v, auto& s) { v.Heat_Goalfield(1, 15, L(s)); },
         [](VF& v) { return S(v.Heat_Goalfield(1, 15)); },
         "//heat_record[@id='1']//lane_record[@id='15']/goal_field", "1234", "1234"},
        {"Heat_ID", [](VF& v, auto& s) { v.Heat_ID(1, s); }, [](VF& v) { return v.Heat_ID(1); },
         "//heat_record[@id='1']/heat_ID", "Final A", "Final A"},
        {"Heat_comment", [](VF& v, auto& s) { v.Heat_comment(1, s); },
         [](VF& v) { return v.Heat_comment(1); }, "//heat_record[@id='1']/heat_comment", "wind 2 m/s",
         "wind 2 m/s"},
        {"Heat_Start_Correction", [](VF& v, auto& s) { v.Heat_Start_Correction(1, L(s)); },
         [](VF& v) { return S(v.Heat_Start_Correction(1)); }, "//heat_record[@id='1']/heat_correction_mill",
         "-80", "-80"},
        {"Start_local_mill", [](VF& v, auto& s) { v.Start_local_mill(1, L(s)); },
         [](VF& v) { return S(v.Start_local_Mill_Time(1)); }, "//heat_record[@id='1']/start_local_mill",
         "36000000", "36000000"},
        {"Start_PC_mill", [](VF& v, auto& s) { v.Start_PC_mill(1, L(s)); },
         [](VF& v) { return S(v.Start_PC_Mill_time(1)); }, "//heat_record[@id='1']/start_pc_mill", "123456",
         "123456"},
        {"Start_PC_Mill_time", [](VF& v, auto& s) { v.Start_PC_Mill_time(1, L(s)); },
         [](VF& v) { return S(v.RGB_startmill()); }, "//heat_record[@id='1']/start_pc_mill", "654321",
         "654321"},
        {"Start_HDMI_events", [](VF& v, auto& s) { v.Start_HDMI_events(1, L(s)); },
         [](VF& v) { return S(v.Start_HDMI_events(1)); }, "//heat_record[@id='1']/start_hdmi_events", "77",
         "77"},
        {"Lane_count", [](VF& v, auto& s) { v.Lane_count(I(s)); }, [](VF& v) { return S(v.Lane_count()); },
         "//num_lanes", "9", "9"},
        {"Num_Lanes", [](VF& v, auto& s) { v.Num_Lanes(I(s)); }, [](VF& v) { return S(v.Lane_count()); },
         "//num_lanes", "6", "6"},
        {"Start_Lane_Zero", [](VF& v, auto& s) { v.Start_Lane_Zero(s == "True"); },
         [](VF& v) { return B(v.Start_Lane_Zero()); }, "//start_lane", "False", "1"},
        {"Start_lane", nullptr, [](VF& v) { return S(v.Start_lane()); }, "//start_lane", "0", "0"},
        {"File_Lane_Pos", [](VF& v, auto& s) { v.File_Lane_Pos(2, L(s), 7); },
         [](VF& v) { return S(v.LaneX(2)); }, "//lane_x_2", "1200", "1200"},
        {"LaneY", [](VF& v, auto& s) { v.File_Lane_Pos(3, 5, L(s)); }, [](VF& v) { return S(v.LaneY(3)); },
         "//lane_y_3", "-300", "-300"},
        {"Set_Goal_Line", [](VF& v, auto& s) { v.Set_Goal_Line(L(s), 2, 3, 4); },
         [](VF& v) {
             int16_t a, b, c, d;
             v.Get_Goalline(a, b, c, d);
             return S(a);
         },
         "//goal_x_1", "220", "220"},
        {"Fix_Goal_Line", [](VF& v, auto& s) { v.Fix_Goal_Line(1, 2, 3, L(s)); },
         [](VF& v) {
             int16_t a, b, c, d;
             v.Get_Goalline(a, b, c, d);
             return S(d);
         },
         "//goal_y_2", "1079", "1079"},
        {"Show_goalline", [](VF& v, auto& s) { v.Show_goalline(s == "True"); },
         [](VF& v) { return B(v.Show_goalline()); }, "//b_show_goalline", "True", "True"},
        {"Lanes_Visible", [](VF& v, auto& s) { v.Lanes_Visible(s == "True"); },
         [](VF& v) { return B(v.Lanes_Visible()); }, "//b_lanes_visible", "False", "False"},
        {"Lanes_flipped", [](VF& v, auto& s) { v.Lanes_flipped(s == "True"); },
         [](VF& v) { return B(v.Lanes_flipped()); }, "//b_lanes_flipped", "True", "True"},
        {"Lanes_locked", [](VF& v, auto& s) { v.Lanes_locked(s == "True"); },
         [](VF& v) { return B(v.Lanes_locked()); }, "//b_lanes_locked", "True", "True"},
        {"Lanes_reversed", [](VF& v, auto& s) { v.Lanes_reversed(s == "True"); },
         [](VF& v) { return B(v.Lanes_reversed()); }, "//b_lanes_reversed", "True", "True"},
        {"rotated", [](VF& v, auto& s) { v.rotated(s == "True"); },
         [](VF& v) { return B(v.Stream_rotated(1)); }, "//stream_header[@id='1']/b_stream_rotated", "True",
         "t"},
        {"Stream_rotated", [](VF& v, auto& s) { v.Stream_rotated(2, s == "True"); },
         [](VF& v) { return B(v.Stream_rotated(2)); }, "//stream_header[@id='2']/b_stream_rotated", "True",
         "t"},
        {"RGB_Rotated", nullptr, [](VF& v) { return B(v.RGB_Rotated()); }, "//RGB_rotated", "True", "t"},
        {"Event_name", [](VF& v, auto& s) { v.Event_name(s); }, [](VF& v) { return v.Event_name(); },
         "//tidewick/event_name", "Nationals 2026", "Nationals 2026"},
        {"Tidewick_Marathon_Class_Name", [](VF& v, auto& s) { v.Tidewick_Marathon_Class_Name(1, s); },
         [](VF& v) { return v.Tidewick_Marathon_Class_Name(1); }, "//marathonclass[@id='1']/class_name",
         "K1 men", "K1 men"},
        {"Tidewick_Marathon_Class_Start", [](VF& v, auto& s) { v.Tidewick_Marathon_Class_Start(1, s); },
         [](VF& v) { return v.Tidewick_Marathon_Class_Start(1); }, "//marathonclass[@id='1']/class_start",
         "10:30", "10:30"},
        {"Creation_date", [](VF& v, auto& s) { v.Creation_date(s); }, [](VF& v) { return v.Creation_date(); },
         "//creation_date", "2026-05-01", "2026-05-01"},
        {"Last_Capture_time", [](VF& v, auto& s) { v.Last_Capture_time(s); },
         [](VF& v) { return v.Last_Capture_time(); }, "//last_capture_time", "12:00:01", "12:00:01"},
        {"Hdr_spare1", [](VF& v, auto& s) { v.Hdr_spare1(s); }, [](VF& v) { return v.Hdr_spare1(); },
         "//hdr_spare1", "extra line", "extra line"},
        {"Capture_Info", [](VF& v, auto& s) { v.Capture_Info(s); }, [](VF& v) { return v.Capture_Info(); },
         "//comp_captureinfo", "HDMI 1080p50", "HDMI 1080p50"},
        {"Phidget_serial", [](VF& v, auto& s) { v.Phidget_serial(s); }, nullptr, "//reed_ph_serial", "4711",
         "4711"},
        {"Computer_name", nullptr, [](VF& v) { return v.Computer_name(); }, "//comp_name", "FINISH-PC",
         "FINISH-PC"},
        {"Computer_CPUInfo", nullptr, [](VF& v) { return v.Computer_CPUInfo(); }, "//comp_cpuinfo", "x86",
         "x86"},
        {"OS_version", nullptr, [](VF& v) { return v.OS_version(); }, "//os_version", "Debian 12",
         "Debian 12"},
        {"OS_bitness", nullptr, [](VF& v) { return v.OS_bitness(); }, "//comp_osbitness", "64", "64"},
        {"CPU_bitness", nullptr, [](VF& v) { return v.CPU_bitness(); }, "//comp_cpubitness", "64", "64"},
        {"Program_ID", nullptr, [](VF& v) { return v.Program_ID(); }, "//prog_id", "Tidewick", "Tidewick"},
        {"Program_Major", nullptr, [](VF& v) { return v.Program_Major(); }, "//prog_major", "4", "4"},
        {"Program_Minor", nullptr, [](VF& v) { return v.Program_Minor(); }, "//prog_minor", "0", "0"},
        {"Program_Revision", nullptr, [](VF& v) { return v.Program_Revision(); }, "//prog_revision", "172",
         "172"},
        {"RGB_Sample_Size", [](VF& v, auto& s) { v.RGB_Sample_Size(L(s)); }, nullptr, "//RGB_sample_size",
         "6056", "6056"},
        {"Model_FileName", nullptr, [](VF& v) { return v.Model_FileName(); },
         "//stream_header[@id='1']/model_filename", "model.avi", "model.avi"},
        {"model_X_offset", nullptr, [](VF& v) { return S(v.model_X_offset()); },
         "//stream_header[@id='1']/model_x_offset", "12", "12"},
        {"model_Y_offset", nullptr, [](VF& v) { return S(v.model_Y_offset()); },
         "//stream_header[@id='1']/model_y_offset", "-4", "-4"},
        {"model_size_factor", nullptr,
         [](VF& v) { return vb::CStr(static_cast<double>(v.model_size_factor())); },
         "//stream_header[@id='1']/model_size_factor", "3", "3"},
        {"Stream_Offset", [](VF& v, auto& s) { v.Stream_Offset(2, I(s)); },
         [](VF& v) { return S(v.Stream_Offset(2)); }, "//stream_header[@id='2']/offset_fields", "5", "5"},
        {"Camera_pos", [](VF& v, auto& s) { v.Camera_pos(1, I(s)); },
         [](VF& v) { return S(v.Camera_pos(1)); }, "//stream_header[@id='1']/camera_pos", "2", "2"},
        {"Selection_start", [](VF& v, auto& s) { v.Selection_start(L(s)); },
         [](VF& v) { return S(v.Selection_start()); }, "//stream_header[@id='1']/sel_start", "17", "17"},
        {"Selection_end", [](VF& v, auto& s) { v.Selection_end(L(s)); },
         [](VF& v) { return S(v.Selection_end()); }, "//stream_header[@id='1']/sel_end", "90", "90"},
        {"Update_Player_Comment", [](VF& v, auto& s) { v.Update_Player_Comment(0, s); },
         [](VF& v) { return v.Player_Comment(); }, "//player_comment", "good start", "good start"},
        {"Has_weight_data", nullptr, [](VF& v) { return B(v.Has_weight_data()); }, "//b_has_weightdata",
         "True", "True"},
        {"Reed_event", [](VF& v, auto& s) { v.Reed_event(s); }, [](VF& v) { return v.Reed_event(); },
         "//reed_event", "Derby", "Derby"},
        {"Reed_Heat_ID", [](VF& v, auto& s) { v.Reed_Heat_ID(s); }, [](VF& v) { return v.Reed_Heat_ID(); },
         "//reed_heat_ID", "R7", "R7"},
        {"Reed_Heat_Name", [](VF& v, auto& s) { v.Reed_Heat_Name(s); },
         [](VF& v) { return v.Reed_Heat_Name(); }, "//reed_heat_name", "Sprint", "Sprint"},
        {"Reed_Heat_Length", [](VF& v, auto& s) { v.Reed_Heat_Length(s); },
         [](VF& v) { return v.Reed_Heat_Length(); }, "//reed_heat_length", "480", "480"},
        {"Reed_start_DateTime", [](VF& v, auto& s) { v.Reed_start_DateTime(s); },
         [](VF& v) { return v.Reed_start_DateTime(); }, "//reed_start_datetime", "2026-05-01 12:00",
         "2026-05-01 12:00"},
        {"Reed_start_PC_mill", [](VF& v, auto& s) { v.Reed_start_PC_mill(L(s)); },
         [](VF& v) { return S(v.Reed_start_PC_mill()); }, "//reed_start_PC_mill", "99887", "99887"},
        {"Reed_box_delay", [](VF& v, auto& s) { v.Reed_box_delay(s); },
         [](VF& v) { return v.Reed_box_delay(); }, "//reed_box_delay", "15", "15"},
        {"Reed_Goal_compensation", [](VF& v, auto& s) { v.Reed_Goal_compensation(s); },
         [](VF& v) { return v.Reed_Goal_compensation(); }, "//reed_goal_time_offset", "0.5", "0.5"},
        {"Reed_Split_compensation", [](VF& v, auto& s) { v.Reed_Split_compensation(s); },
         [](VF& v) { return v.Reed_Split_compensation(); }, "//reed_split_time_offset", "3", "3"},
        {"Reed_Goal_Finish", [](VF& v, auto& s) { v.Reed_Goal_Finish(s); },
         [](VF& v) { return v.Reed_Goal_Finish(); }, "//reed_goal_finish", "cam1", "cam1"},
        {"Reed_Goal_Split", [](VF& v, auto& s) { v.Reed_Goal_Split(s); },
         [](VF& v) { return v.Reed_Goal_Split(); }, "//reed_goal_split", "cam2", "cam2"},
        {"Reed_split_firewire_ID", [](VF& v, auto& s) { v.Reed_split_firewire_ID(s); }, nullptr,
         "//reed_split_firewire_ID", "fw1", "fw1"},
        {"Reed_goal_firewire_ID", [](VF& v, auto& s) { v.Reed_goal_firewire_ID(s); }, nullptr,
         "//reed_goal_firewire_ID", "fw2", "fw2"},
        {"Reed_Dog_name", [](VF& v, auto& s) { v.Reed_Dog_name(2, s); },
         [](VF& v) { return v.Reed_Dog_name(2); }, "//box[@id='2']/dog_name", "Flash", "Flash"},
        {"Reed_dead_heat", [](VF& v, auto& s) { v.Reed_dead_heat(2, s == "True"); },
         [](VF& v) { return B(v.Reed_dead_heat(2)); }, "//box[@id='2']/dog_dead_heat", "True", "True"},
        {"Reed_Heat_Click_Time", [](VF& v, auto& s) { v.Reed_Heat_Click_Time(2, L(s)); },
         [](VF& v) { return S(v.Reed_Heat_Click_Time(2)); }, "//box[@id='2']/dog_heat_click_time", "5555",
         "5555"},
        {"Reed_Heat_time", [](VF& v, auto& s) { v.Reed_Heat_time(2, false, L(s)); },
         [](VF& v) { return S(v.Reed_Heat_time(2, false)); }, "//box[@id='2']/dog_heat_time", "31000",
         "31000"},
        {"Reed_Heat_time split", [](VF& v, auto& s) { v.Reed_Heat_time(2, true, L(s)); },
         [](VF& v) { return S(v.Reed_Heat_time(2, true)); }, "//box[@id='2']/dog_split_time", "15000",
         "15000"},
        {"Reed_heat_frame", [](VF& v, auto& s) { v.Reed_heat_frame(2, I(s)); },
         [](VF& v) { return S(v.Reed_heat_frame(2)); }, "//box[@id='2']/dog_heat_frame", "321", "321"},
        {"Reed_split_frame", [](VF& v, auto& s) { v.Reed_split_frame(2, I(s)); },
         [](VF& v) { return S(v.Reed_split_frame(2)); }, "//box[@id='2']/dog_split_frame", "123", "123"},
        {"Measured_fps", [](VF& v, auto& s) { v.Measured_fps(I(s)); },
         [](VF& v) { return S(v.Measured_fps()); }, "//RGB_fps", "50", "50"},
        {"RGB_fourcc", [](VF& v, auto& s) { v.RGB_fourcc(s); }, nullptr, "//RGB_fourcc", "JPEG", "JPEG"},
        {"RGB_Max_Seen_size", [](VF& v, auto& s) { v.RGB_Max_Seen_size(s); },
         [](VF& v) { return v.RGB_Max_Seen_size(); }, "//RGB_max_seen_size", "51234", "51234"},
        {"RGB_Comp_Threshold", [](VF& v, auto& s) { v.RGB_Comp_Threshold(s); },
         [](VF& v) { return v.RGB_Comp_Threshold(); }, "//RGB_comp_threshold", "60000", "60000"},
        {"Set_RGB_interlaced", [](VF& v, auto& s) { v.Set_RGB_interlaced(s == "True"); },
         [](VF& v) { return B(v.RGB_interlaced()); }, "//RGB_interlaced", "False", "False"},
        {"Num_write_streams", [](VF& v, auto& s) { v.Num_write_streams(I(s)); },
         [](VF& v) { return S(v.Header().Streams_no()); }, "//num_streams", "2", "2"},
        {"Add_Reduced_Quality_num", [](VF& v, auto& s) { v.Add_Reduced_Quality_num(I(s)); },
         [](VF& v) { return S(v.Header().JPG_Reduced_Qual_num()); }, "//RGB_JPEG_Quality_num_reduced", "3",
         "3"},
    };
    return rows;
}

// Sets the element's text directly, for members that only read.
void Set_Element(VF& vf, const std::string& xpath, const std::string& text) {
    xmldom::DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(vf.Get_DOM_string()));
    xmldom::Node n = doc.selectSingleNode(xpath);
    ASSERT_TRUE(n) << xpath;
    n.setText(text);
    vf.XML_Header_string(doc.xml());
}

// A heat file's header with the dog-race and golf sections too, so the
// table reaches every section.
void Full_Header(VF& vf) {
    vf.Header().rgb(true);
    vf.Header().Golfing(true);
    vf.Header().Reedwick(true);
    vf.Header().Create_Header();
    // Marathon classes exist only where an event defines them.
    std::string xml = vf.XML_Header_string();
    const size_t end = xml.find("</tidewick>");
    ASSERT_NE(end, std::string::npos);
    xml.insert(end, "<marathonclass id=\"1\"><class_name/><class_start/></marathonclass>");
    vf.XML_Header_string(xml);
}

struct VideoFileFields : ::testing::Test {
    heat_fixture::Development_Mode dev;
    std::string path;
    void SetUp() override {
        test_env::dialogs().clear();
        g_Reedwick = true;
        g_Golfing = true;
        path = test_env::make_dir("fields") + "/fields.qf3";
        std::string error;
        ASSERT_TRUE(make_heat::Make_Heat(heat_fixture::Small_Recipe(path), 2, &error)) << error;
    }
    void TearDown() override {
        g_Reedwick = false;
        g_Golfing = false;
    }
};

TEST_F(VideoFileFields, EveryPassThroughMemberReachesItsElement) {
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    Full_Header(vf);
    for (const Row& r : Rows()) {
        SCOPED_TRACE(r.member);
        try {
            if (r.let)
                r.let(vf, r.value);
            else
                Set_Element(vf, r.xpath, r.stored);
            EXPECT_EQ(heat_fixture::Header_Element(vf, r.xpath), r.stored);
            if (r.get) {
                EXPECT_EQ(r.get(vf), r.value);
            }
        } catch (const vb::VbError& e) {
            ADD_FAILURE() << e.number() << " " << e.description();
        }
    }
    // The members that write back put the header into the file themselves.
    cls_VideoFile_handler rd;
    ASSERT_TRUE(rd.Open_File(path));
    EXPECT_EQ(heat_fixture::Header_Element(rd, "//num_lanes"), "6");
    EXPECT_EQ(heat_fixture::Header_Element(rd, "//player_comment"), "good start");
}

TEST_F(VideoFileFields, GuardsFallbacksAndOddities) {
    VF fresh;
    // Before any file: the guarded reads answer 0, the fallbacks answer, the rest fail.
    EXPECT_EQ(fresh.Heat_time(1, 3), 0);
    EXPECT_EQ(fresh.Start_local_Mill_Time(1), 0);
    EXPECT_EQ(fresh.Start_PC_Mill_time(1), 0);
    EXPECT_TRUE(fresh.Lanes_Visible());
    EXPECT_EQ(fresh.Start_HDMI_events(1), 0);
    EXPECT_THROW(fresh.Heat_result(1, 3), vb::VbError);
    EXPECT_FALSE(fresh.File_open());
    EXPECT_THROW(fresh.QF3_Num_Frames(), vb::VbError);

    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    Full_Header(vf);
    vf.Heat_ID(1, " ");
    EXPECT_EQ(vf.Heat_ID(1), "");
    vf.Heat_ID(1, "  ");
    EXPECT_EQ(vf.Heat_ID(1), "  ");
    vf.File_Lane_Pos(2, 40000, 0);
    try {
        vf.LaneX(2);
        ADD_FAILURE() << "no overflow";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), vb::errOverflow);
    }
    vf.Reed_Goal_compensation("0");
    EXPECT_EQ(vf.Reed_Goal_compensation(), "0");
    vf.Start_Lane_Zero(false);
    EXPECT_EQ(vf.Start_lane(), 1);
    EXPECT_EQ(vf.Active_Streams(), 0);
    vf.Header().Stream_Active(1, true);
    vf.Header().Streams_no(2);
    vf.Header().Stream_Active(2, true);
    EXPECT_EQ(vf.Active_Streams(), 2);
    vf.Stream_Offset(4, 9); // streams past 3 are left alone
    EXPECT_EQ(vf.Stream_Offset(1), 0);
}

TEST_F(VideoFileFields, HeatStartsClearedAndWrittenBack) {
    VF vf;
    ASSERT_TRUE(vf.Open_File(path));
    vf.Start_local_mill(1, 1000);
    vf.Start_PC_mill(1, 2000);
    vf.Heat_result(1, 0, 5000);
    vf.Clear_Heats(); // start_local_mill of every heat only, in memory only
    EXPECT_EQ(vf.Start_local_Mill_Time(1), 0);
    EXPECT_EQ(vf.Start_PC_Mill_time(1), 2000);
    EXPECT_EQ(vf.Heat_result(1, 0), 5000);
    vf.Set_Multi_Start(1);
    {
        VF rd;
        ASSERT_TRUE(rd.Open_File(path));
        EXPECT_NE(rd.Start_PC_Mill_time(1), 2000);
        EXPECT_EQ(rd.Heat_result(1, 0), 5000); // written back with the start
    }
    vf.Clear_Multi_Start(1);
    VF rd;
    ASSERT_TRUE(rd.Open_File(path));
    EXPECT_EQ(rd.Start_local_Mill_Time(1), 0);
    EXPECT_EQ(rd.Start_PC_Mill_time(1), 0);
}

TEST_F(VideoFileFields, FileFactsAndFrameTimes) {
    VF vf;
    vf.File_name("/data/heats/x.y.qf3");
    EXPECT_EQ(vf.Current_File_Suffix(), "qf3");
    vf.File_name("/data/heats/noname");
    EXPECT_EQ(vf.Current_File_Suffix(), "");
    EXPECT_FALSE(vf.Has_XML_header());
    vf.File_name("/data/heats/a.AVI");
    EXPECT_FALSE(vf.Has_XML_header());
    EXPECT_FALSE(vf.rotated());
    vf.File_name("/data/heats/a.qf3");
    EXPECT_TRUE(vf.Has_XML_header());
    EXPECT_FALSE(vf.is_DV());

    ASSERT_TRUE(vf.Open_File(path));
    EXPECT_TRUE(vf.File_open());
    EXPECT_EQ(vf.File_size(), 32016 + 2 * 6056);
    EXPECT_EQ(vf.mill_per_frame(), 40);
    EXPECT_EQ(vf.QF3_Num_Frames(), 2);
    EXPECT_EQ(vf.QF3_Num_fields(), 4);
    EXPECT_EQ(vf.Seconds(), 0);
    EXPECT_EQ(vf.Rounded_Compressed_Size(), 6000);
    EXPECT_EQ(vf.Timestamp_long(), vf.QF3_Capture_mill());
    vf.Start_PC_mill(1, 100000);
    vf.Read_RGB_sample(1, false);
    EXPECT_EQ(vf.RGB_TimeStamp(), vf.Rounded_Capture_Time() - 100000);
    EXPECT_EQ(vf.Rounded_Capture_Time(), Round_To_Multiple(vf.QF3_Capture_mill(), 40) - 10);
    EXPECT_THROW(vf.Pos_In_File(7), vb::VbError);
    vf.Close_File();
    EXPECT_FALSE(vf.File_open());
    EXPECT_EQ(vf.Current_File_Suffix(), "");
    EXPECT_EQ(vf.Width(), 0);
}

} // namespace
