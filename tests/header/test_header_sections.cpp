// The canoe, dog-race and golf sections of the header.
#include "HeaderFixture.h"

#include "VbTrap.h"
#include "XmlDom.h"

#include <array>
#include <functional>

namespace {

using namespace header_test;

class Sections : public HeaderTest {
protected:
    // A header with the sections whose variants are switched on.
    Cls_XML_header& with_sections(bool golf, bool reed, bool rgb = false) {
        g_Golfing = golf;
        g_Reedwick = reed;
        Cls_XML_header& h = make(false);
        h.Golfing(golf);
        h.Reedwick(reed);
        h.rgb(rgb);
        h.Create_Header();
        return h;
    }
    // The text of the first element the path selects, straight from the serialised text.
    static std::string stored(Cls_XML_header& h, const std::string& path) {
        xmldom::DOMDocument60 doc;
        EXPECT_TRUE(doc.loadXML(h.XML_string()));
        const xmldom::Node n = doc.selectSingleNode(path);
        return n ? n.text() : "(missing)";
    }
    // The header with one element's text replaced, parsed anew.
    Cls_XML_header& with_text(Cls_XML_header& h, const std::string& path, const std::string& text) {
        xmldom::DOMDocument60 doc;
        EXPECT_TRUE(doc.loadXML(h.XML_string()));
        doc.selectSingleNode(path).setText(text);
        return parsed(doc.xml());
    }
};

// ---- Layout ----

TEST_F(Sections, GoldenTextsOfTheThreeSections) {
    const std::string canoe = make().XML_string();
    EXPECT_EQ(as_lines(element_text(canoe, "tidewick")) + "\n", golden("tidewick.xml"));
    const std::string all = with_sections(true, true).XML_string();
    EXPECT_EQ(as_lines(element_text(all, "reedwick")) + "\n", golden("reedwick.xml"));
    EXPECT_EQ(as_lines(element_text(all, "golf")) + "\n", golden("golf.xml"));
    EXPECT_EQ(bare_line_feeds(all), 0u);
    EXPECT_EQ(element_text(all, "tidewick"), element_text(canoe, "tidewick"));
}

TEST_F(Sections, RootOrderWithEverySection) {
    const std::string all = with_sections(true, true, true).XML_string();
    const size_t rgb_end = all.find("</RGB_data>");
    ASSERT_NE(rgb_end, std::string::npos);
    // Capture data, golf, the canoe part's own break, canoe, dog race: each followed by one break.
    EXPECT_EQ(all.compare(rgb_end, 19, "</RGB_data>\r\n<golf>"), 0);
    EXPECT_NE(all.find("</golf>\r\n\r\n<tidewick>"), std::string::npos);
    EXPECT_NE(all.find("</tidewick>\r\n<reedwick>"), std::string::npos);
    EXPECT_NE(all.find("</reedwick>\r\n</QFN_header>"), std::string::npos);
}

TEST_F(Sections, VariantFlagsAndHeaderFlags) {
    struct Case {
        bool variant, flag, present;
    };
    for (const Case c :
         {Case{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}}) {
        g_Golfing = c.variant;
        Cls_XML_header& g = make(false);
        g.Golfing(c.flag);
        g.Create_Header();
        const std::string text = g.XML_string();
        EXPECT_EQ(text.find("<golf>") != std::string::npos, c.present) << c.variant << c.flag;
        if (!c.present) {
            EXPECT_EQ(as_lines(text), golden("default_header.xml")) << c.variant << c.flag;
        }

        g_Golfing = false;
        g_Reedwick = c.variant;
        Cls_XML_header& r = make(false);
        r.Reedwick(c.flag);
        r.Create_Header();
        const std::string reed = r.XML_string();
        EXPECT_EQ(reed.find("<reedwick>") != std::string::npos, c.present) << c.variant << c.flag;
        if (!c.present) {
            EXPECT_EQ(as_lines(reed), golden("default_header.xml")) << c.variant << c.flag;
        }
        g_Reedwick = false;
    }
    // The canoe part: without the header flag only the root's extra break remains.
    Cls_XML_header& none = make(false);
    none.Tidewick(false);
    none.Create_Header();
    EXPECT_NE(none.XML_string().find("</file_data>\r\n</QFN_header>"), std::string::npos);
    g_Tidewick = false;
    EXPECT_NE(make().XML_string().find("</file_data></QFN_header>"), std::string::npos);
    g_Tidewick = true;
}

// ---- Canoe ----

TEST_F(Sections, CanoeDefaults) {
    Cls_XML_header& h = make();
    EXPECT_EQ(h.Num_Lanes(), 0);
    EXPECT_EQ(h.heats_num(), 1);
    EXPECT_EQ(h.Start_lane(), 1);
    EXPECT_EQ(h.Event_name(), "nnn");
    EXPECT_EQ(h.Lane_pos_X(15), 0);
    EXPECT_EQ(h.Heat_result(1, 0), 0);
    EXPECT_EQ(h.Heat_comment(1), "");
    EXPECT_EQ(h.Heat_ID(1), "");
    EXPECT_EQ(h.Start_HDMI_events(1), 0);
    EXPECT_FALSE(h.Lanes_Visible()); // its default "t" is not "True"
    EXPECT_FALSE(h.Lanes_flipped());
    EXPECT_FALSE(h.Lanes_locked());
    EXPECT_FALSE(h.Lanes_reversed());
    EXPECT_FALSE(h.Show_goalline());
    h.Lanes_Visible(true);
    EXPECT_TRUE(h.Lanes_Visible());
    EXPECT_EQ(stored(h, "//b_lanes_visible"), "True");
}

TEST_F(Sections, HeatAndLaneAccessors) {
    Cls_XML_header& h = make();
    int32_t value = 1000;
    for (int16_t heat : {1, 2}) {
        SCOPED_TRACE("heat " + std::to_string(heat));
        const int32_t expect_heat = heat == 1 ? 0 : vb::errObjectNotSet;
        struct HeatField {
            const char* name;
            std::function<void(int32_t)> write;
            std::function<int32_t()> read;
        };
        for (const HeatField& f : std::initializer_list<HeatField>{
                 {"Start_local_mill", [&](int32_t v) { h.Start_local_mill(heat, v); },
                  [&] { return h.Start_local_mill(heat); }},
                 {"Start_PC_mill", [&](int32_t v) { h.Start_PC_mill(heat, v); },
                  [&] { return h.Start_PC_mill(heat); }},
                 {"Heat_Correction_mill", [&](int32_t v) { h.Heat_Correction_mill(heat, v); },
                  [&] { return h.Heat_Correction_mill(heat); }},
             }) {
            ++value;
            EXPECT_EQ(error_of([&] { f.write(value); }), expect_heat) << f.name;
            int32_t got = 0;
            EXPECT_EQ(error_of([&] { got = f.read(); }), expect_heat) << f.name;
            if (heat == 1) {
                EXPECT_EQ(got, value) << f.name;
            }
        }
        EXPECT_EQ(error_of([&] { h.Start_HDMI_events(heat, 77); }), expect_heat);
        EXPECT_EQ(h.Start_HDMI_events(heat), heat == 1 ? 77 : 0); // the read falls back to 0
        EXPECT_EQ(error_of([&] { h.Heat_ID(heat, "A-final"); }), expect_heat);
        EXPECT_EQ(error_of([&] { h.Heat_comment(heat, "wind"); }), expect_heat);

        for (int16_t lane : {1, 8, 16}) {
            SCOPED_TRACE("lane " + std::to_string(lane));
            const int32_t expected = (heat == 1 && lane <= 15) ? 0 : vb::errObjectNotSet;
            const int32_t result = 100000 + heat * 1000 + lane;
            EXPECT_EQ(error_of([&] { h.Heat_result(heat, lane, result); }), expected);
            EXPECT_EQ(error_of([&] { h.Heat_Click_time(heat, lane, result + 1); }), expected);
            EXPECT_EQ(error_of([&] { h.Heat_Goal_Field(heat, lane, lane * 2); }), expected);
            int32_t r = 0, c = 0, g = 0;
            EXPECT_EQ(error_of([&] { r = h.Heat_result(heat, lane); }), expected);
            EXPECT_EQ(error_of([&] { c = h.Heat_Click_time(heat, lane); }), expected);
            EXPECT_EQ(error_of([&] { g = h.Heat_Goal_Field(heat, lane); }), expected);
            if (expected == 0) {
                EXPECT_EQ(r, result);
                EXPECT_EQ(c, result + 1);
                EXPECT_EQ(g, lane * 2);
                EXPECT_EQ(stored(h, "//heat_record[@id='1']//lane_record[@id='" + std::to_string(lane) +
                                        "']/heat_time_mill"),
                          std::to_string(result));
            }
            // Lane marks exist for lanes 0 to 15, whatever the heat.
            const int32_t mark = lane <= 15 ? 0 : vb::errObjectNotSet;
            EXPECT_EQ(error_of([&] { h.Lane_pos(lane, lane * 10, lane * 20); }), mark);
            if (mark == 0) {
                EXPECT_EQ(h.Lane_pos_X(lane), lane * 10);
                EXPECT_EQ(h.Lane_pos_Y(lane), lane * 20);
            }
        }
    }
    EXPECT_EQ(h.Heat_ID(1), "A-final");
    // Only the first heat comment changes; the closing one keeps "nnn".
    EXPECT_EQ(h.Heat_comment(1), "wind");
    xmldom::DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(h.XML_string()));
    const auto comments = doc.selectNodes("//heat_record[@id='1']/heat_comment");
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[1].text(), "nnn");
    // Lane 0 was never written.
    EXPECT_EQ(h.Heat_result(1, 0), 0);
}

TEST_F(Sections, LaneResultCodesSurviveTheFile) {
    Cls_XML_header& h = make();
    const int32_t codes[] = {999999999, 100000001, 100000002, 100000003, 61234, 0};
    for (int16_t lane = 0; lane < 6; ++lane)
        h.Heat_result(1, lane, codes[lane]);
    Cls_XML_header& back = parsed(vb::FromLatin1(vb::ToLatin1(h.XML_string())));
    for (int16_t lane = 0; lane < 6; ++lane)
        EXPECT_EQ(back.Heat_result(1, lane), codes[lane]) << lane;
    EXPECT_EQ(stored(back, "//lane_record[@id='3']/heat_time_mill"), "100000003");
    Cls_XML_header& letters = with_text(back, "//lane_record[@id='2']/heat_time_mill", "DNS");
    EXPECT_EQ(error_of([&] { letters.Heat_result(1, 2); }), vb::errTypeMismatch);
    Cls_XML_header& huge = with_text(back, "//lane_record[@id='2']/heat_time_mill", "9999999999");
    EXPECT_EQ(error_of([&] { huge.Heat_result(1, 2); }), vb::errOverflow);
}

TEST_F(Sections, GoalLineAndOtherCanoeFields) {
    Cls_XML_header& h = make();
    h.Set_Goalline(10, 20, 30, 40);
    int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    h.Get_Goalline(x1, y1, x2, y2);
    EXPECT_EQ((std::array<int16_t, 4>{x1, y1, x2, y2}), (std::array<int16_t, 4>{10, 20, 30, 40}));
    h.Set_Goalline(11, 40000, 0, 0);
    EXPECT_EQ(error_of([&] { h.Get_Goalline(x1, y1, x2, y2); }), vb::errOverflow);
    EXPECT_EQ(x1, 11); // read before the failure
    EXPECT_EQ(y1, 20);

    h.Lane_pos(7, 120, 480);
    EXPECT_EQ(stored(h, "//lane_x_7"), "120");
    EXPECT_EQ(h.Lane_pos_Y(7), 480);
    h.Num_Lanes(9);
    h.heats_num(3);
    h.Start_lane(0);
    h.Show_goalline(true);
    h.Lanes_flipped(true);
    EXPECT_EQ(h.Num_Lanes(), 9);
    EXPECT_EQ(h.heats_num(), 3);
    EXPECT_EQ(h.Start_lane(), 0);
    EXPECT_TRUE(h.Show_goalline());
    EXPECT_EQ(stored(h, "//b_lanes_flipped"), "True");
    // Still one heat record, and no marathon classes.
    EXPECT_EQ(error_of([&] { h.Heat_result(2, 0); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Tidewick_Marathon_Class_Name(1); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Tidewick_Marathon_Class_Start(1, "10:00"); }), vb::errObjectNotSet);
    const std::string before = h.XML_string();
    h.Lane_result(1, 3, 61234, 5, 6);
    EXPECT_EQ(h.XML_string(), before);
}

TEST_F(Sections, MarathonClassesAndEventNamesOfAParsedHeader) {
    Cls_XML_header& h = make();
    std::string text = h.XML_string();
    text.replace(text.find("</tidewick>"), 0,
                 "<marathonclass id=\"2\"><class_name>K1 M</class_name><class_start>10:00</class_start>"
                 "</marathonclass>\r\n");
    text.replace(text.find("<tidewick>"), 0, "<event_name>outside</event_name>\r\n");
    Cls_XML_header& p = parsed(text);
    EXPECT_EQ(p.Tidewick_Marathon_Class_Name(2), "K1 M");
    p.Tidewick_Marathon_Class_Start(2, "10:30");
    EXPECT_EQ(p.Tidewick_Marathon_Class_Start(2), "10:30");
    // The read looks inside the canoe section, the write takes the first anywhere.
    p.Event_name("Regatta");
    EXPECT_EQ(p.Event_name(), "nnn");
    EXPECT_EQ(stored(p, "//event_name"), "Regatta");
}

// ---- Dog race ----

TEST_F(Sections, DogRaceAccessorsWithoutTheSection) {
    Cls_XML_header& h = make();
    int pumped = 0;
    const int pump = vb::AddEventPump([&] { ++pumped; });
    const std::string before = h.XML_string();
    EXPECT_EQ(error_of([&] { h.Reed_event(); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Reed_event("x"); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Reed_Heat_time(1, false); }), vb::errObjectNotSet);
    EXPECT_EQ(h.Goal_Compensation(), "0");
    EXPECT_EQ(h.Split_Compensation(), "0");
    EXPECT_EQ(h.Reed_box_delay(), "0");
    EXPECT_EQ(h.Reed_Heat_Click_Time(1), 0);
    EXPECT_FALSE(h.Reed_dead_heat(1));
    EXPECT_EQ(h.Reed_Heat_Length(), "");
    EXPECT_EQ(error_of([&] {
                  h.Reed_Goal_Finish("a");
                  h.Reed_Goal_Split("b");
                  h.Reed_box_delay("5");
                  h.Reed_Heat_Click_Time(1, 5);
              }),
              0);
    EXPECT_EQ(pumped, 0);
    EXPECT_EQ(error_of([&] { h.Reed_dead_heat(1, true); }), 0);
    EXPECT_EQ(pumped, 1); // the failed write let the waiting events run once
    vb::RemoveEventPump(pump);
    EXPECT_EQ(h.XML_string(), before);
}

TEST_F(Sections, DogRaceAccessorsOnADefaultSection) {
    Cls_XML_header& h = parsed(with_sections(false, true).XML_string());
    EXPECT_EQ(h.Goal_Compensation(), "0000");
    EXPECT_EQ(h.Reed_box_delay(), "0000");
    EXPECT_EQ(h.Reed_Heat_Length(), "000");
    EXPECT_EQ(h.Reed_Dog_name(8), "dog name");
    EXPECT_EQ(error_of([&] { h.Reed_Dog_name(9); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Reed_Dog_name(0, "x"); }), vb::errObjectNotSet);
    EXPECT_FALSE(h.Reed_dead_heat(2));
    struct Comp {
        const char* text;
        const char* reads;
    };
    for (const Comp c : {Comp{"abc", "0"}, {"", "0"}, {"-12.5", "-12.5"}, {"040", "040"}, {"12a", "0"}}) {
        h.Goal_Compensation(c.text);
        h.Split_Compensation(c.text);
        EXPECT_EQ(h.Goal_Compensation(), c.reads) << c.text;
        EXPECT_EQ(h.Split_Compensation(), c.reads) << c.text;
    }
    h.Reed_Heat_time(3, true, 1234);
    h.Reed_Heat_time(3, false, 5678);
    EXPECT_EQ(h.Reed_Heat_time(3, true), 1234);
    EXPECT_EQ(h.Reed_Heat_time(3, false), 5678);
    EXPECT_EQ(stored(h, "//box[@id='3']/dog_split_time"), "1234");
    EXPECT_EQ(stored(h, "//box[@id='3']/dog_heat_time"), "5678");
    EXPECT_EQ(h.Reed_Heat_time(4, true), 0);
    h.Reed_dead_heat(2, true);
    EXPECT_TRUE(h.Reed_dead_heat(2));
    EXPECT_EQ(stored(h, "//box[@id='2']/dog_dead_heat"), "True");
    h.Reed_heat_start_local_mill("45000123");
    EXPECT_EQ(stored(h, "//reedwick/reed_start_local_mill"), "45000123");
    Cls_XML_header& big = with_text(h, "//box[@id='5']/dog_heat_frame", "40000");
    EXPECT_EQ(error_of([&] { big.Reed_heat_frame(5); }), vb::errOverflow);
    Cls_XML_header& bad = with_text(h, "//box[@id='5']/dog_heat_click_time", "soon");
    EXPECT_EQ(bad.Reed_Heat_Click_Time(5), 0);
}

// ---- Golf ----

TEST_F(Sections, GolfAccessorsWithoutTheSection) {
    Cls_XML_header& h = make();
    // Not parsed yet: these three answer without looking.
    EXPECT_EQ(h.Impact_field(), 0);
    EXPECT_EQ(h.Top_field(), 0);
    EXPECT_EQ(h.Must_print(), "");
    for (const auto& [name, call] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"Player_name", [&] { h.Player_name(); }},
             {"Venue", [&] { h.Venue("x"); }},
             {"Has_weight_data", [&] { h.Has_weight_data(); }},
             {"trimmed_Start_Field", [&] { h.trimmed_Start_Field(); }},
             {"Grade_top", [&] { h.Grade_top(); }},
             {"Grade_slice write", [&] { h.Grade_slice("1"); }},
             {"anp_line", [&] { h.anp_line(1); }},
             {"Trace_Name write", [&] { h.Trace_Name(3, "x"); }},
             {"Trace_Bezier write", [&] { h.Trace_Bezier(3, true); }},
             {"Graph_object", [&] { h.Graph_object(1, 0, 0, 0, 0, 0, false, 0, 0, 0, 0, 0, 0, 0, 0); }},
         })
        EXPECT_EQ(error_of(call), vb::errObjectNotSet) << name;
    EXPECT_EQ(h.Grade_slice(), "");
    EXPECT_EQ(h.Grade_direction(), "");
    EXPECT_EQ(h.Trace_Name(3), "");
    EXPECT_EQ(h.Trace_Color(3), "");
    EXPECT_FALSE(h.Trace_Bezier(3));
    EXPECT_EQ(h.Trace_Thickness(3), 0);
    EXPECT_EQ(error_of([&] { h.Trace_Color(3, "255"); }), 0);
    EXPECT_EQ(error_of([&] { h.Trace_Thickness(3, 2); }), 0);
    // Once a text has parsed, they look, and fail like the others.
    Cls_XML_header& p = parsed(h.XML_string());
    EXPECT_EQ(error_of([&] { p.Impact_field(); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { p.Must_print(); }), vb::errObjectNotSet);
}

TEST_F(Sections, GolfAccessorsOnAParsedSection) {
    Cls_XML_header& h = parsed(with_sections(true, false).XML_string());
    EXPECT_TRUE(h.is_Golf());
    EXPECT_EQ(h.Impact_field(), 0);
    EXPECT_EQ(h.Must_print(), "0,1,2,3,4,5");
    EXPECT_EQ(h.Graded_at(), " ");
    EXPECT_EQ(h.Grade_slice(), "99");
    EXPECT_EQ(h.anp_line(150), "");
    EXPECT_EQ(error_of([&] { h.anp_line(151); }), vb::errObjectNotSet);
    EXPECT_FALSE(h.Has_weight_data()); // default "f"
    h.Has_weight_data(true);
    EXPECT_EQ(stored(h, "//b_has_weightdata"), "True");
    const std::string name = "Gr\xC3\xA9goire \xE2\x80\x9CGreg\xE2\x80\x9D <&>";
    h.Player_name(name);
    h.Player_Comment(name);
    EXPECT_EQ(h.Player_name(), name);
    EXPECT_EQ(h.Player_Comment(), name);

    // The trimmed start is stored where it is read, not in the stream's selection.
    h.trimmed_Start_Field(12);
    EXPECT_EQ(h.trimmed_Start_Field(), 12);
    EXPECT_EQ(stored(h, "//golf/trimmed_start_field"), "12");
    EXPECT_EQ(h.Selection_start(1), 0);

    h.Graph_object(7, 3, 1, 100000, 2, 4, true, 1, 2, 3, 4, 5, 6, 7, -8);
    EXPECT_EQ(stored(h, "//graph_object[@id='7']/filled"), "True");
    EXPECT_EQ(stored(h, "//graph_object[@id='7']/color"), "100000");
    EXPECT_EQ(stored(h, "//graph_object[@id='7']/x5"), "000");
    int16_t t = 0, layer = 0, lt = 0, lw = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 0;
    int32_t color = 0;
    bool filled = false;
    h.get_Graph_object(7, t, layer, color, lt, lw, filled, x1, y1, x2, y2, x3, y3, x4, y4);
    EXPECT_EQ((std::array<int32_t, 14>{t, layer, color, lt, lw, filled, x1, y1, x2, y2, x3, y3, x4, y4}),
              (std::array<int32_t, 14>{3, 1, 100000, 2, 4, 1, 1, 2, 3, 4, 5, 6, 7, -8}));
    struct Filled {
        const char* text;
        int32_t error;
        bool value;
    };
    for (const Filled f : {Filled{"f", 0, false},
                           {"False", 0, false},
                           {"0", 0, false},
                           {"2", 0, true},
                           {"t", vb::errTypeMismatch, false}}) {
        Cls_XML_header& g = with_text(h, "//graph_object[@id='7']/filled", f.text);
        bool v = !f.value;
        EXPECT_EQ(error_of([&] {
                      g.get_Graph_object(7, t, layer, color, lt, lw, v, x1, y1, x2, y2, x3, y3, x4, y4);
                  }),
                  f.error)
            << f.text;
        if (f.error == 0) {
            EXPECT_EQ(v, f.value) << f.text;
        }
    }
    EXPECT_EQ(error_of([&] { h.Graph_object(26, 0, 0, 0, 0, 0, false, 0, 0, 0, 0, 0, 0, 0, 0); }),
              vb::errObjectNotSet);
}

TEST_F(Sections, TraceAccessorsOnAHeaderHoldingTraces) {
    std::string text = with_sections(true, false).XML_string();
    text.replace(
        text.find("</golf>"), 0,
        "<traces><num_traces>10</num_traces>\r\n<trace id=\"3\">\r\n<trace_active>f</trace_active>\r\n"
        "<trace_length>000</trace_length>\r\n<trace_color>0</trace_color>\r\n<trace_bezier>f</trace_bezier>"
        "\r\n<trace_thickness>1</trace_thickness>\r\n<trace_name>noname</trace_name>\r\n</trace>\r\n"
        "</traces>");
    Cls_XML_header& h = parsed(text);
    EXPECT_EQ(h.Trace_Name(3), "noname");
    EXPECT_EQ(h.Trace_Color(3), "0");
    EXPECT_FALSE(h.Trace_Bezier(3));
    EXPECT_EQ(h.Trace_Thickness(3), 1);
    h.Trace_Name(3, "Club head");
    h.Trace_Color(3, "255");
    h.Trace_Bezier(3, true);
    h.Trace_Thickness(3, 4);
    Cls_XML_header& back = parsed(h.XML_string());
    EXPECT_EQ(back.Trace_Name(3), "Club head");
    EXPECT_EQ(back.Trace_Color(3), "255");
    EXPECT_TRUE(back.Trace_Bezier(3));
    EXPECT_EQ(back.Trace_Thickness(3), 4);
    EXPECT_EQ(with_text(back, "//trace[@id='3']/trace_thickness", "thick").Trace_Thickness(3), 0);
    // The builders keep their records to themselves.
    const std::string before = back.XML_string();
    back.Create_Traces_Record();
    back.Create_Grade_Record();
    back.Build_Graph_Object(30);
    EXPECT_EQ(back.XML_string(), before);
}

// ---- All three together ----

TEST_F(Sections, AHeaderWithAllThreeSectionsSurvivesSerialiseAndParse) {
    Cls_XML_header& h = with_sections(true, true, true);
    // Canoe.
    h.Set_Goalline(100, 50, 120, 1000);
    for (int16_t lane = 0; lane < 16; ++lane) {
        h.Lane_pos(lane, 10 + lane, 20 + lane);
        h.Heat_result(1, lane, lane < 4 ? 100000000 + lane : 60000 + lane);
        h.Heat_Click_time(1, lane, 900000 + lane);
        h.Heat_Goal_Field(1, lane, 300 + lane);
    }
    h.Heat_result(1, 4, 999999999);
    h.Event_name("Nordic Cup");
    h.Lanes_Visible(true);
    h.Lanes_flipped(true);
    h.Lanes_locked(true);
    h.Lanes_reversed(true);
    h.Show_goalline(true);
    h.Num_Lanes(9);
    h.heats_num(1);
    h.Start_lane(0);
    h.Start_local_mill(1, 36000123);
    h.Start_PC_mill(1, 123456789);
    h.Start_HDMI_events(1, 4321);
    h.Heat_Correction_mill(1, -40);
    h.Heat_ID(1, "A-final");
    h.Heat_comment(1, "tail wind");
    // Dog race.
    h.Reed_event("Derby");
    h.Reed_Heat_ID("H7");
    h.Reed_Heat_Name("Sprint");
    h.Reed_Heat_Length("480");
    h.Reed_Goal_Finish("finish line");
    h.Reed_Goal_Split("split line");
    h.Reed_start_DateTime("2026-12-10 13:00:00");
    h.Reed_heat_start_local_mill("46800000");
    h.Reed_heat_start_PC_mill("1234567");
    h.Goal_Compensation("12");
    h.Split_Compensation("-8");
    h.Reed_box_delay("250");
    h.Reed_split_firewire_ID("fw-split");
    h.Reed_goal_firewire_ID("fw-goal");
    h.Reed_ph_serial("98765");
    for (int16_t box = 1; box <= 8; ++box) {
        h.Reed_Dog_name(box, "dog " + std::to_string(box));
        h.Reed_Heat_time(box, false, 30000 + box);
        h.Reed_Heat_time(box, true, 15000 + box);
        h.Reed_Heat_Click_Time(box, 70000 + box);
        h.Reed_heat_frame(box, static_cast<int16_t>(1500 + box));
        h.Reed_split_frame(box, static_cast<int16_t>(700 + box));
        h.Reed_dead_heat(box, box == 4);
    }
    // Golf.
    h.Player_name("Ann");
    h.Player_Comment("good swing");
    h.Venue("Links");
    h.Impact_field(120);
    h.Top_field(80);
    h.Must_print("1,3");
    h.Has_weight_data(true);
    h.trimmed_Start_Field(10);
    h.trimmed_End_Field(200);
    h.Graded_at("26-12-10");
    h.Graded_active(true);
    h.Grade_slice("3");
    h.Grade_direction("4");
    h.Grade_top("5");
    h.Grade_toe("6");
    h.Grade_club("7 iron");
    h.Grade_comment("fine");
    h.anp_filename("swing.anp");
    h.anp_numlines(2);
    h.anp_line(1, "0,0,10,10");
    h.anp_line(150, "last");
    h.Graph_object(25, 2, 1, 16711680, 1, 3, true, -1, -2, -3, -4, 5, 6, 7, 8);

    const std::string text = h.XML_string();
    Cls_XML_header& b = parsed(vb::FromLatin1(vb::ToLatin1(text)));
    EXPECT_EQ(b.XML_string(), text);
    int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    b.Get_Goalline(x1, y1, x2, y2);
    EXPECT_EQ((std::array<int16_t, 4>{x1, y1, x2, y2}), (std::array<int16_t, 4>{100, 50, 120, 1000}));
    for (int16_t lane = 0; lane < 16; ++lane) {
        SCOPED_TRACE(lane);
        EXPECT_EQ(b.Lane_pos_X(lane), 10 + lane);
        EXPECT_EQ(b.Lane_pos_Y(lane), 20 + lane);
        EXPECT_EQ(b.Heat_result(1, lane), lane == 4 ? 999999999 : lane < 4 ? 100000000 + lane : 60000 + lane);
        EXPECT_EQ(b.Heat_Click_time(1, lane), 900000 + lane);
        EXPECT_EQ(b.Heat_Goal_Field(1, lane), 300 + lane);
    }
    EXPECT_EQ(b.Event_name(), "Nordic Cup");
    EXPECT_TRUE(b.Lanes_Visible());
    EXPECT_TRUE(b.Lanes_flipped());
    EXPECT_TRUE(b.Lanes_locked());
    EXPECT_TRUE(b.Lanes_reversed());
    EXPECT_TRUE(b.Show_goalline());
    EXPECT_EQ(b.Num_Lanes(), 9);
    EXPECT_EQ(b.heats_num(), 1);
    EXPECT_EQ(b.Start_lane(), 0);
    EXPECT_EQ(b.Start_local_mill(1), 36000123);
    EXPECT_EQ(b.Start_PC_mill(1), 123456789);
    EXPECT_EQ(b.Start_HDMI_events(1), 4321);
    EXPECT_EQ(b.Heat_Correction_mill(1), -40);
    EXPECT_EQ(b.Heat_ID(1), "A-final");
    EXPECT_EQ(b.Heat_comment(1), "tail wind");

    EXPECT_EQ(b.Reed_event(), "Derby");
    EXPECT_EQ(b.Reed_Heat_ID(), "H7");
    EXPECT_EQ(b.Reed_Heat_Name(), "Sprint");
    EXPECT_EQ(b.Reed_Heat_Length(), "480");
    EXPECT_EQ(b.Reed_Goal_Finish(), "finish line");
    EXPECT_EQ(b.Reed_Goal_Split(), "split line");
    EXPECT_EQ(b.Reed_start_DateTime(), "2026-12-10 13:00:00");
    EXPECT_EQ(b.Reed_heat_start_PC_mill(), "1234567");
    EXPECT_EQ(b.Goal_Compensation(), "12");
    EXPECT_EQ(b.Split_Compensation(), "-8");
    EXPECT_EQ(b.Reed_box_delay(), "250");
    EXPECT_EQ(stored(b, "//reed_start_local_mill"), "46800000");
    EXPECT_EQ(stored(b, "//reed_split_firewire_ID"), "fw-split");
    EXPECT_EQ(stored(b, "//reed_goal_firewire_ID"), "fw-goal");
    EXPECT_EQ(stored(b, "//reed_ph_serial"), "98765");
    for (int16_t box = 1; box <= 8; ++box) {
        SCOPED_TRACE(box);
        EXPECT_EQ(b.Reed_Dog_name(box), "dog " + std::to_string(box));
        EXPECT_EQ(b.Reed_Heat_time(box, false), 30000 + box);
        EXPECT_EQ(b.Reed_Heat_time(box, true), 15000 + box);
        EXPECT_EQ(b.Reed_Heat_Click_Time(box), 70000 + box);
        EXPECT_EQ(b.Reed_heat_frame(box), 1500 + box);
        EXPECT_EQ(b.Reed_split_frame(box), 700 + box);
        EXPECT_EQ(b.Reed_dead_heat(box), box == 4);
    }

    EXPECT_EQ(b.Player_name(), "Ann");
    EXPECT_EQ(b.Player_Comment(), "good swing");
    EXPECT_EQ(b.Venue(), "Links");
    EXPECT_EQ(b.Impact_field(), 120);
    EXPECT_EQ(b.Top_field(), 80);
    EXPECT_EQ(b.Must_print(), "1,3");
    EXPECT_TRUE(b.Has_weight_data());
    EXPECT_EQ(b.trimmed_Start_Field(), 10);
    EXPECT_EQ(b.trimmed_End_Field(), 200);
    EXPECT_EQ(b.Graded_at(), "26-12-10");
    EXPECT_TRUE(b.Graded_active());
    EXPECT_EQ(b.Grade_slice(), "3");
    EXPECT_EQ(b.Grade_direction(), "4");
    EXPECT_EQ(b.Grade_top(), "5");
    EXPECT_EQ(b.Grade_toe(), "6");
    EXPECT_EQ(b.Grade_club(), "7 iron");
    EXPECT_EQ(b.Grade_comment(), "fine");
    EXPECT_EQ(b.anp_filename(), "swing.anp");
    EXPECT_EQ(b.anp_numlines(), 2);
    EXPECT_EQ(b.anp_line(1), "0,0,10,10");
    EXPECT_EQ(b.anp_line(2), "");
    EXPECT_EQ(b.anp_line(150), "last");
    int16_t t = 0, layer = 0, lt = 0, lw = 0, gx1 = 0, gy1 = 0, gx2 = 0, gy2 = 0, gx3 = 0, gy3 = 0, gx4 = 0,
            gy4 = 0;
    int32_t color = 0;
    bool filled = false;
    b.get_Graph_object(25, t, layer, color, lt, lw, filled, gx1, gy1, gx2, gy2, gx3, gy3, gx4, gy4);
    EXPECT_EQ(
        (std::array<int32_t, 14>{t, layer, color, lt, lw, filled, gx1, gy1, gx2, gy2, gx3, gy3, gx4, gy4}),
        (std::array<int32_t, 14>{2, 1, 16711680, 1, 3, 1, -1, -2, -3, -4, 5, 6, 7, 8}));
}

} // namespace
