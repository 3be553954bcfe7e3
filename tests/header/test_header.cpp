// The header document, its file data, stream headers and capture data.
#include "HeaderFixture.h"

#include "Module_dependant.h"
#include "XmlDom.h"

#include <filesystem>
#include <functional>

namespace {

using namespace header_test;

using Header = HeaderTest;

// ---- Layout ----

TEST_F(Header, NewHeaderIsTheGoldenLayout) {
    const std::string text = make().XML_string();
    EXPECT_EQ(as_lines(text), golden("default_header.xml"));
    EXPECT_EQ(bare_line_feeds(text), 0u);
}

TEST_F(Header, CaptureDataStandsBetweenFileDataAndCanoePart) {
    Cls_XML_header& h = make(false);
    h.rgb(true);
    h.Create_Header();
    const std::string text = h.XML_string();
    EXPECT_EQ(as_lines(text), golden("header_with_rgb.xml"));
    EXPECT_EQ(bare_line_feeds(text), 0u);
}

TEST_F(Header, CreateHeaderReplacesTheDocumentAndRefreshesItsText) {
    Cls_XML_header& h = make();
    h.Frames_no(5);
    h.Create_Header();
    const std::string text = h.XML_string();
    EXPECT_EQ(as_lines(text), golden("default_header.xml"));
    EXPECT_EQ(h.XML_len(), static_cast<int16_t>(text.size()));
    // Writes change the document; the text follows only at the next serialisation.
    h.Frames_no(1200);
    EXPECT_EQ(h.XML_len(), static_cast<int16_t>(text.size()));
    EXPECT_EQ(h.Len_XML(), static_cast<int32_t>(text.size()) + 1);
    EXPECT_EQ(h.XML_len(), static_cast<int16_t>(text.size()) + 1);
    EXPECT_EQ(h.Get_DOM_string(), h.XML_string());
}

TEST_F(Header, TextsBeyondLatin1KeepOneByteACharacter) {
    Cls_XML_header& h = make();
    const std::string name = "\xC3\x85re \xE2\x80\x93 Sprint \xE2\x82\xAC"; // "Åre – Sprint €"
    h.Event_name(name);
    const std::string text = h.XML_string();
    EXPECT_NE(text.find("<event_name>\xC3\x85re &#8211; Sprint &#8364;</event_name>"), std::string::npos);
    // What the container writes to disk has exactly XML_len bytes.
    const std::string disk = vb::ToLatin1(text);
    EXPECT_EQ(disk.size(), static_cast<size_t>(h.XML_len()));
    Cls_XML_header& back = parsed(vb::FromLatin1(disk));
    EXPECT_EQ(back.Event_name(), name);
}

// A header text whose element names hold what its Latin-1 cannot (bytes
// that are no UTF-8 here) is refused as it is read: written, such a name
// would be "?" and the text would not read back. A header read whole
// writes a text that reads back the same.
TEST_F(Header, WhatAHeaderWritesReadsBackTheSame) {
    const std::string good = make().XML_string();
    const size_t at = good.find("<last_append_time/>");
    ASSERT_NE(at, std::string::npos);
    std::string bad = good;
    bad.replace(at + 3, 4, "\x8C\xA0\x9C\x9E");
    Cls_XML_header& refused = parsed(bad);
    EXPECT_EQ(refused.XML_string(), "");
    // Text that is no UTF-8 is written as "?" and reads back so.
    std::string odd = good;
    odd.insert(good.find("</event_name>"), "\xFF\xF9");
    const std::string once = parsed(odd).XML_string();
    ASSERT_FALSE(once.empty());
    EXPECT_EQ(parsed(once).XML_string(), once);
    EXPECT_EQ(parsed(good).XML_string(), good);
}

TEST_F(Header, XmlLenOverflowsBeyond32767Characters) {
    Cls_XML_header& h = make();
    h.Hdr_spare1(std::string(32768, 'x'));
    EXPECT_GT(h.Len_XML(), 32768);
    EXPECT_EQ(error_of([&] { h.XML_len(); }), vb::errOverflow);
    h.Hdr_spare1("0000");
    h.DOM_serialize();
    EXPECT_EQ(error_of([&] { h.XML_len(); }), 0);
}

// ---- A new object, a failed parse ----

TEST_F(Header, NewObjectAndFailedParseAnswerAlike) {
    struct Answer {
        const char* what;
        std::function<void(Cls_XML_header&)> check;
    };
    const Answer answers[] = {
        {"plain reads fail",
         [](Cls_XML_header& h) {
             EXPECT_EQ(error_of([&] { h.Frames_no(); }), vb::errObjectNotSet);
             EXPECT_EQ(error_of([&] { h.Heat_result(1, 0); }), vb::errObjectNotSet);
             EXPECT_EQ(error_of([&] { h.Frames_no(3); }), vb::errObjectNotSet);
         }},
        {"fallbacks",
         [](Cls_XML_header& h) {
             EXPECT_EQ(h.Comp_CPUInfo(), "Not known!");
             EXPECT_EQ(h.Timing_Bias(), "0");
             EXPECT_EQ(h.SpecApp(), "None");
             EXPECT_EQ(h.OS_version(), "");
             EXPECT_EQ(h.RGB_JPEG_Codec(), "unknown");
             EXPECT_EQ(h.Selection_start(1), 0);
             EXPECT_TRUE(h.Lanes_Visible());
             EXPECT_EQ(h.Start_HDMI_events(1), 0);
             EXPECT_EQ(h.Subject_name(), "");
             EXPECT_EQ(h.Impact_field(), 0);
             EXPECT_EQ(h.Must_print(), "");
         }},
    };
    Cls_XML_header& fresh = make(false);
    EXPECT_EQ(fresh.XML_string(), "");
    EXPECT_FALSE(fresh.is_Tidewick());

    g_Compiled = true; // the normal mode: the operator sees nothing
    const std::string bad = "<QFN_header><tidewick><event_name>x</tidewick></QFN_header>";
    Cls_XML_header& failed = parsed(bad);
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_EQ(failed.XML_string(), "");
    EXPECT_EQ(failed.XML_len(), 0);
    EXPECT_TRUE(failed.is_Tidewick()); // tests the text given, not the document
    for (const auto& a : answers) {
        SCOPED_TRACE(a.what);
        a.check(fresh);
        a.check(failed);
    }
}

TEST_F(Header, FailedParseIsShownInTheDevelopmentModeOnly) {
    g_Compiled = false;
    Cls_XML_header& h = make();
    h.XML_string("<QFN_header>\r\n<file_data>\r\n</QFN_header>");
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    const std::string shown = test_env::dialogs().shown[0].prompt;
    EXPECT_EQ(shown.rfind("XML parse failed! reason = ", 0), 0u) << shown;
    EXPECT_NE(shown.find(" line = 3 srctext = </QFN_header>"), std::string::npos) << shown;
    EXPECT_EQ(h.XML_string(), "");
    // A good text afterwards parses and serialises back unchanged.
    const std::string good = make().XML_string();
    h.XML_string(good);
    EXPECT_EQ(h.XML_string(), good);
    EXPECT_EQ(h.Frames_no(), 0);
    EXPECT_EQ(test_env::dialogs().shown.size(), 1u);
}

TEST_F(Header, TextTestsAndBooleanCodings) {
    struct Case {
        const char* text;
        bool tidewick, golf;
    };
    for (const Case c : {
             Case{"<a>tidewick</a>", true, false},
             {"<!--Tidewick--><a/>", true, false},
             {"<TIDEWICK/>", false, false},
             {"<r><golf>x</golf></r>", false, true},
             {"<r><golf id=\"1\"/></r>", false, false},
         }) {
        Cls_XML_header& h = parsed(c.text);
        EXPECT_EQ(h.is_Tidewick(), c.tidewick) << c.text;
        EXPECT_EQ(h.is_Equestrian(), c.tidewick) << c.text;
        EXPECT_EQ(h.is_Golf(), c.golf) << c.text;
    }
    EXPECT_FALSE(make().is_Tidewick()); // built, never parsed
    for (const char* t : {"t", "Y"})
        EXPECT_TRUE(Cls_XML_header::XML_string_to_Bool(t)) << t;
    for (const char* f : {"f", "N", "T", "y", "True", ""})
        EXPECT_FALSE(Cls_XML_header::XML_string_to_Bool(f)) << f;
    EXPECT_EQ(Cls_XML_header::Bool_to_XML_string(true), "t");
    EXPECT_EQ(Cls_XML_header::Bool_to_XML_string(false), "f");
}

// ---- Defaults, fallbacks, missing elements ----

TEST_F(Header, DefaultsOfANewHeader) {
    Cls_XML_header& h = make(false);
    h.rgb(true);
    h.Create_Header();
    struct Text {
        const char* field;
        std::function<std::string()> read;
        const char* expected;
    };
    for (const Text& c : std::initializer_list<Text>{
             {"Update_Time", [&] { return h.Update_Time(); }, "not updated"},
             {"Timing_Bias", [&] { return h.Timing_Bias(); }, "000"},
             {"Comp_Name", [&] { return h.Comp_Name(); }, "FINISH-PC"},
             {"Comp_CaptureInfo", [&] { return h.Comp_CaptureInfo(); }, "Unknown capture info!"},
             {"Comp_CPUInfo", [&] { return h.Comp_CPUInfo(); }, "CPU= Test processor"},
             {"Comp_CPUbitness", [&] { return h.Comp_CPUbitness(); }, "64"},
             {"Comp_OSbitness", [&] { return h.Comp_OSbitness(); }, "64"},
             {"Phidget_serial", [&] { return h.Phidget_serial(); }, ""},
             {"prog_id", [&] { return h.prog_id(); }, "Tidewick_HDMI, photo-finish for canoe heats"},
             {"Prog_Major", [&] { return h.Prog_Major(); }, "4"},
             {"Prog_Minor", [&] { return h.Prog_Minor(); }, "0"},
             {"Prog_Revision", [&] { return h.Prog_Revision(); }, "172"},
             {"OS_version", [&] { return h.OS_version(); }, "Debian GNU/Linux 12"},
             {"Creation_date", [&] { return h.Creation_date(); }, "16-03-02 14:05:09"},
             {"Last_Capture_time", [&] { return h.Last_Capture_time(); }, ""},
             {"Subject_name", [&] { return h.Subject_name(); }, "0000"},
             {"File_comment1", [&] { return h.File_comment1(); }, "0000"},
             {"comment(5)", [&] { return h.comment(5); }, "0000"},
             {"SpecApp", [&] { return h.SpecApp(); }, "None"},
             {"Hdr_spare1", [&] { return h.Hdr_spare1(); }, "0000"},
             {"Camera_pos(1)", [&] { return h.Camera_pos(1); }, "xxxxx"},
             {"Model_FileName(2)", [&] { return h.Model_FileName(2); }, "xxx"},
             {"Camera_ID(1)", [&] { return h.Camera_ID(1); }, "000"},
             {"RGB_Max_Seen_size", [&] { return h.RGB_Max_Seen_size(); }, "0000000"},
             {"RGB_Comp_Threshold", [&] { return h.RGB_Comp_Threshold(); }, "0000000"},
             {"RGB_fourcc", [&] { return h.RGB_fourcc(); }, "none"},
             {"RGB_fps", [&] { return h.RGB_fps(); }, "000"},
             {"RGB_JPEG_Codec", [&] { return h.RGB_JPEG_Codec(); }, "none"},
             {"RGB_JPEG_Quality", [&] { return h.RGB_JPEG_Quality(); }, "0000"},
         })
        EXPECT_EQ(c.read(), c.expected) << c.field;
    struct Number {
        const char* field;
        std::function<int64_t()> read;
        int64_t expected;
    };
    for (const Number& c : std::initializer_list<Number>{
             {"Streams_no", [&] { return h.Streams_no(); }, 1},
             {"Frames_no", [&] { return h.Frames_no(); }, 0},
             {"Segments_no", [&] { return h.Segments_no(); }, 0},
             {"Stream_Active(1)", [&] { return h.Stream_Active(1); }, 0},
             {"Stream_rotated(2)", [&] { return h.Stream_rotated(2); }, 0},
             {"Offset_fields(1)", [&] { return h.Offset_fields(1); }, 0},
             {"Selection_start(1)", [&] { return h.Selection_start(1); }, 0},
             {"Selection_end(2)", [&] { return h.Selection_end(2); }, 0},
             {"Stream_CameraPos(1)", [&] { return h.Stream_CameraPos(1); }, 0},
             {"Selection_Rectangle(2, b)", [&] { return h.Selection_Rectangle(2, "b"); }, 0},
             {"model_X_offset(1)", [&] { return h.model_X_offset(1); }, 0},
             {"model_Y_offset(1)", [&] { return h.model_Y_offset(1); }, 0},
             {"model_size_factor(2)", [&] { return h.model_size_factor(2); }, 0},
             {"RGB_X", [&] { return h.RGB_X(); }, 0},
             {"RGB_Y", [&] { return h.RGB_Y(); }, 0},
             {"RGB_Image_Size", [&] { return h.RGB_Image_Size(); }, 0},
             {"RGB_Compressed_max_Size", [&] { return h.RGB_Compressed_max_Size(); }, 0},
             {"RGB_Compressed_buffer_Size", [&] { return h.RGB_Compressed_buffer_Size(); }, 0},
             {"RGB_Compressed_min_Size", [&] { return h.RGB_Compressed_min_Size(); }, 99999999},
             {"RGB_Sample_Size", [&] { return h.RGB_Sample_Size(); }, 0},
             {"JPG_Reduced_Qual_num", [&] { return h.JPG_Reduced_Qual_num(); }, 0},
             {"RGB_interlaced (\"Y\")", [&] { return h.RGB_interlaced(); }, 0},
             {"RGB_preview_on (\"Y\")", [&] { return h.RGB_preview_on(); }, 0},
             {"RGB_Rotated (\"Y\")", [&] { return h.RGB_Rotated(); }, 1},
         })
        EXPECT_EQ(c.read(), c.expected) << c.field;
}

// A default header with the named elements cut out, parsed.
std::string without(std::string text, std::initializer_list<const char*> elements) {
    for (const char* e : elements) {
        const std::string open = std::string("<") + e;
        const size_t at =
            text.find(open + ">") != std::string::npos ? text.find(open + ">") : text.find(open + "/>");
        const std::string close = std::string("</") + e + ">";
        const size_t end = text.compare(at, open.size() + 2, open + "/>") == 0
                               ? at + open.size() + 2
                               : text.find(close, at) + close.size();
        text.erase(at, end - at);
    }
    return text;
}

TEST_F(Header, MissingElementsFallBackOrFail) {
    Cls_XML_header& full = make(false);
    full.rgb(true);
    full.Create_Header();
    Cls_XML_header& h = parsed(
        without(full.XML_string(),
                {"last_capture_time", "comp_cpuinfo", "comp_cpubitness", "comp_osbitness", "phidget_serial",
                 "os_version", "comp_name", "prog_id", "subject_name", "comp_captureinfo", "timing_bias",
                 "specapp1", "RGB_JPEG_Codec", "RGB_JPEG_Quality", "RGB_X", "sel_start"}));
    struct Text {
        const char* field;
        std::function<std::string()> read;
        const char* expected; // nullptr: fails with error 91
    };
    for (const Text& c : std::initializer_list<Text>{
             {"Last_Capture_time", [&] { return h.Last_Capture_time(); }, "16-03-02 14:05:09"},
             {"Comp_CPUInfo", [&] { return h.Comp_CPUInfo(); }, "Not known!"},
             {"Comp_CPUbitness", [&] { return h.Comp_CPUbitness(); }, "Not known!"},
             {"Comp_OSbitness", [&] { return h.Comp_OSbitness(); }, "Not known!"},
             {"Phidget_serial", [&] { return h.Phidget_serial(); }, "Not known!"},
             {"OS_version", [&] { return h.OS_version(); }, ""},
             {"Subject_name", [&] { return h.Subject_name(); }, ""},
             {"Comp_CaptureInfo", [&] { return h.Comp_CaptureInfo(); }, "Unknown Capture Info!"},
             {"Timing_Bias", [&] { return h.Timing_Bias(); }, "0"},
             {"SpecApp", [&] { return h.SpecApp(); }, "None"},
             {"RGB_JPEG_Codec", [&] { return h.RGB_JPEG_Codec(); }, "unknown"},
             {"RGB_JPEG_Quality", [&] { return h.RGB_JPEG_Quality(); }, "0000"},
             {"comment(6)", [&] { return h.comment(6); }, ""},
             {"Comp_Name", [&] { return h.Comp_Name(); }, nullptr},
             {"prog_id", [&] { return h.prog_id(); }, nullptr},
         }) {
        if (c.expected) {
            EXPECT_EQ(c.read(), c.expected) << c.field;
        } else {
            EXPECT_EQ(error_of(c.read), vb::errObjectNotSet) << c.field;
        }
    }
    EXPECT_EQ(h.Selection_start(1), 0);                                     // fallback
    EXPECT_EQ(error_of([&] { h.RGB_X(); }), vb::errObjectNotSet);           // plain
    EXPECT_EQ(error_of([&] { h.Subject_name("x"); }), vb::errObjectNotSet); // only the read ignores
    EXPECT_EQ(error_of([&] { h.comment(6, "x"); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Selection_start(1, 5); }), vb::errObjectNotSet);
    // Without the creation date too, the capture time has nothing to fall back on.
    Cls_XML_header& bare = parsed(without(h.XML_string(), {"creation_date"}));
    EXPECT_EQ(error_of([&] { bare.Last_Capture_time(); }), vb::errObjectNotSet);
    // A header without capture data (rgb off).
    Cls_XML_header& plain = make();
    EXPECT_EQ(error_of([&] { plain.RGB_X(); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { plain.RGB_Sample_Size(7); }), vb::errObjectNotSet);
    EXPECT_EQ(plain.RGB_JPEG_Codec(), "unknown");
    EXPECT_EQ(plain.RGB_JPEG_Quality(), "0000");
}

TEST_F(Header, ConversionsOfStoredTexts) {
    Cls_XML_header& h = make(false);
    h.rgb(true);
    h.Create_Header();
    struct Case {
        const char* element; // the first element of that name gets the text
        const char* stored;
        std::function<int64_t()> read;
        int64_t expected; // when error is 0
        int32_t error;
    };
    const Case cases[] = {
        {"num_frames", "abc", [&] { return h.Frames_no(); }, 0, vb::errTypeMismatch},
        {"num_frames", "40000", [&] { return h.Frames_no(); }, 0, vb::errOverflow},
        {"num_frames", "2.5", [&] { return h.Frames_no(); }, 2, 0}, // halves to even
        {"RGB_X", "700000", [&] { return h.RGB_X(); }, 0, vb::errOverflow},
        {"RGB_image_size", "700000", [&] { return h.RGB_Image_Size(); }, 700000, 0},
        {"offset_fields", "abc", [&] { return h.Offset_fields(1); }, 0, vb::errTypeMismatch},
        {"sel_start", "abc", [&] { return h.Selection_start(1); }, 0, 0}, // fallback 0
        {"camera_pos", "12ab", [&] { return h.Stream_CameraPos(1); }, 12, 0},
        {"camera_pos", " -3", [&] { return h.Stream_CameraPos(1); }, -3, 0},
        {"camera_pos", "70000", [&] { return h.Stream_CameraPos(1); }, 0, vb::errOverflow},
        {"b_stream_active", "Y", [&] { return h.Stream_Active(1); }, 1, 0},
        {"b_stream_active", "N", [&] { return h.Stream_Active(1); }, 0, 0},
        {"b_stream_active", "True", [&] { return h.Stream_Active(1); }, 0, 0},
        {"RGB_interlaced", "True", [&] { return h.RGB_interlaced(); }, 1, 0},
        {"RGB_rotated", "True", [&] { return h.RGB_Rotated(); }, 0, 0},
    };
    for (const Case& c : cases) {
        xmldom::DOMDocument60 doc;
        ASSERT_TRUE(doc.loadXML(h.XML_string()));
        doc.selectSingleNode(std::string("//") + c.element).setText(c.stored);
        h.XML_string(doc.xml());
        int64_t got = 0;
        EXPECT_EQ(error_of([&] { got = c.read(); }), c.error) << c.element << " = " << c.stored;
        if (c.error == 0) {
            EXPECT_EQ(got, c.expected) << c.element << " = " << c.stored;
        }
    }
}

// ---- Writes ----

TEST_F(Header, WritesStoreTheirTextsWhereTheyBelong) {
    Cls_XML_header& h = make(false);
    h.rgb(true);
    h.Create_Header();
    h.Frames_no(1200);
    h.Stream_Active(1, true);
    h.Stream_CameraPos(1, -3);
    h.Selection_Rectangle(2, "l", 15);
    h.RGB_Rotated(false);
    h.RGB_interlaced(false);
    h.RGB_Sample_Size(123456);
    h.comment(1, "first");
    xmldom::DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(h.XML_string()));
    auto text = [&](const std::string& path) { return doc.selectSingleNode(path).text(); };
    EXPECT_EQ(text("//num_frames"), "1200");
    EXPECT_EQ(text("//stream_header[@id='1']/b_stream_active"), "t");
    EXPECT_EQ(text("//stream_header[@id='1']/camera_pos"), "-3");
    EXPECT_EQ(h.Camera_pos(1), "-3");
    EXPECT_EQ(text("//stream_header[@id='2']/selrect_left"), "15");
    EXPECT_EQ(text("//stream_header[@id='1']/selrect_left"), "000");
    EXPECT_EQ(text("//RGB_rotated"), "f");
    EXPECT_EQ(text("//RGB_interlaced"), "False");
    EXPECT_EQ(text("//RGB_sample_size"), "123456");
    EXPECT_EQ(h.File_comment1(), "first"); // comment(1) is File_comment1
    // Side letters are lower case only; no third stream; ids 1 to 3 for Camera_ID.
    EXPECT_NE(error_of([&] { h.Selection_Rectangle(1, "T"); }), 0);
    EXPECT_NE(error_of([&] { h.Let_Selection_rectangle(1, "x", 3); }), 0);
    EXPECT_EQ(error_of([&] { h.Offset_fields(3); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { h.Camera_ID(3); }), vb::errObjectNotSet);
    EXPECT_EQ(h.Camera_ID(0), "");
    EXPECT_EQ(h.Camera_ID(4), "");
    EXPECT_EQ(h.Selection_start(3), 0);
}

TEST_F(Header, InsertSpecappAppendsAfterTheStreamHeaders) {
    Cls_XML_header& h = make();
    h.SpecApp("special");
    h.Insert_Specapp();
    const std::string text = h.XML_string();
    EXPECT_NE(text.find("</stream_header><specapp1>special</specapp1>\r\n</file_data>"), std::string::npos);
    h.SpecApp("changed");
    xmldom::DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(h.XML_string()));
    const auto both = doc.selectNodes("//specapp1");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].text(), "changed"); // the older element is the one reached
    EXPECT_EQ(both[1].text(), "special");
}

TEST_F(Header, DumpWritesTheHeaderAsLatin1AndSaysWhere) {
    Cls_XML_header& h = make();
    h.Event_name("\xC3\x85re");
    const std::string path = test_env::make_dir("dump") + "/header.xml";
    test_env::write_file(path, "older");
    h.Dump_XML_to_File(path);
    const std::string bytes = test_env::read_file(path);
    EXPECT_EQ(bytes, vb::ToLatin1(h.XML_string()));
    EXPECT_NE(bytes.find("<event_name>\xC5re</event_name>"), std::string::npos);
    ASSERT_EQ(test_env::dialogs().shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().shown[0].prompt, "XML header dumped to: " + path);
    std::string said;
    EXPECT_EQ(test_env::run("xmllint --noout " + path + " 2>&1", &said), 0) << said;

    // With no path it goes beside the program.
    h.Dump_XML_to_File("");
    const std::string told = test_env::dialogs().shown.back().prompt;
    const std::string beside = told.substr(std::string("XML header dumped to: ").size());
    EXPECT_EQ(std::filesystem::path(beside).filename(), "xmldump.xml");
    EXPECT_EQ(test_env::read_file(beside), bytes);
    std::filesystem::remove(beside);
}

// ---- Round trip ----

TEST_F(Header, EveryFieldSurvivesSerialiseAndParse) {
    Cls_XML_header& h = make(false);
    h.rgb(true);
    h.Create_Header();
    h.Update_Time("26-12-10 13:00:00");
    h.Update_Program("Tidewick_HDMI");
    h.Streams_no(2);
    h.Frames_no(1200);
    h.Segments_no(3);
    h.Timing_Bias("-40");
    h.Comp_CaptureInfo("HDMI 1920x1080");
    h.Creation_date("26-12-10 12:00:00");
    h.Last_Capture_time("4567890");
    h.Subject_name("K1 500 m");
    h.File_comment1("first");
    for (int16_t n = 2; n <= 5; ++n)
        h.comment(n, "comment " + std::to_string(n));
    h.SpecApp("special");
    h.Hdr_spare1("120,480");
    for (int16_t id = 1; id <= 2; ++id) {
        h.Stream_Active(id, true);
        h.Stream_rotated(id, id == 1);
        h.Offset_fields(id, static_cast<int16_t>(id * 3));
        h.Selection_start(id, 1000 * id);
        h.Selection_end(id, 2000 * id);
        h.Model_FileName(id, "model" + std::to_string(id));
        h.Selection_Rectangle(id, "t", static_cast<int16_t>(10 + id));
        h.Selection_Rectangle(id, "b", static_cast<int16_t>(20 + id));
        h.Let_Selection_rectangle(id, "l", static_cast<int16_t>(30 + id));
        h.Selection_Rectangle(id, "r", static_cast<int16_t>(-40 - id));
        h.model_X_offset(id, static_cast<int16_t>(5 + id));
        h.model_Y_offset(id, static_cast<int16_t>(6 + id));
        h.model_size_factor(id, static_cast<int16_t>(7 + id));
        h.Camera_ID(id, "cam" + std::to_string(id));
    }
    h.Stream_CameraPos(1, 250);
    h.Camera_pos(2, "left bank");
    h.RGB_X(1920);
    h.RGB_Y(1080);
    h.RGB_Image_Size(6220800);
    h.RGB_Compressed_max_Size(400000);
    h.RGB_Compressed_buffer_Size(500000);
    h.RGB_Compressed_min_Size(90000);
    h.RGB_Max_Seen_size("410000");
    h.RGB_Comp_Threshold("350000");
    h.JPG_Reduced_Qual_num(12);
    h.RGB_Sample_Size(500032);
    h.RGB_fourcc("MJPG");
    h.RGB_fps("50");
    h.RGB_JPEG_Codec("libjpeg-turbo");
    h.RGB_JPEG_Quality("85");
    h.RGB_interlaced(true);
    h.RGB_preview_on(true);
    h.RGB_Rotated(false);

    Cls_XML_header& b = parsed(h.XML_string());
    EXPECT_EQ(b.XML_string(), h.XML_string());
    EXPECT_EQ(b.Update_Time(), "26-12-10 13:00:00");
    EXPECT_EQ(b.Streams_no(), 2);
    EXPECT_EQ(b.Frames_no(), 1200);
    EXPECT_EQ(b.Segments_no(), 3);
    EXPECT_EQ(b.Timing_Bias(), "-40");
    EXPECT_EQ(b.Comp_CaptureInfo(), "HDMI 1920x1080");
    EXPECT_EQ(b.Creation_date(), "26-12-10 12:00:00");
    EXPECT_EQ(b.Last_Capture_time(), "4567890");
    EXPECT_EQ(b.Subject_name(), "K1 500 m");
    EXPECT_EQ(b.File_comment1(), "first");
    for (int16_t n = 2; n <= 5; ++n)
        EXPECT_EQ(b.comment(n), "comment " + std::to_string(n));
    EXPECT_EQ(b.SpecApp(), "special");
    EXPECT_EQ(b.Hdr_spare1(), "120,480");
    xmldom::DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(b.XML_string()));
    EXPECT_EQ(doc.selectSingleNode("//update_program").text(), "Tidewick_HDMI");
    for (int16_t id = 1; id <= 2; ++id) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(b.Stream_Active(id));
        EXPECT_EQ(b.Stream_rotated(id), id == 1);
        EXPECT_EQ(b.Offset_fields(id), id * 3);
        EXPECT_EQ(b.Selection_start(id), 1000 * id);
        EXPECT_EQ(b.Selection_end(id), 2000 * id);
        EXPECT_EQ(b.Model_FileName(id), "model" + std::to_string(id));
        EXPECT_EQ(b.Selection_Rectangle(id, "t"), 10 + id);
        EXPECT_EQ(b.Selection_Rectangle(id, "b"), 20 + id);
        EXPECT_EQ(b.Selection_Rectangle(id, "l"), 30 + id);
        EXPECT_EQ(b.Selection_Rectangle(id, "r"), -40 - id);
        EXPECT_EQ(b.model_X_offset(id), 5 + id);
        EXPECT_EQ(b.model_Y_offset(id), 6 + id);
        EXPECT_EQ(b.model_size_factor(id), 7 + id);
        EXPECT_EQ(b.Camera_ID(id), "cam" + std::to_string(id));
    }
    EXPECT_EQ(b.Stream_CameraPos(1), 250);
    EXPECT_EQ(b.Camera_pos(2), "left bank");
    EXPECT_EQ(b.Stream_CameraPos(2), 0);
    EXPECT_EQ(b.RGB_X(), 1920);
    EXPECT_EQ(b.RGB_Y(), 1080);
    EXPECT_EQ(b.RGB_Image_Size(), 6220800);
    EXPECT_EQ(b.RGB_Compressed_max_Size(), 400000);
    EXPECT_EQ(b.RGB_Compressed_buffer_Size(), 500000);
    EXPECT_EQ(b.RGB_Compressed_min_Size(), 90000);
    EXPECT_EQ(b.RGB_Max_Seen_size(), "410000");
    EXPECT_EQ(b.RGB_Comp_Threshold(), "350000");
    EXPECT_EQ(b.JPG_Reduced_Qual_num(), 12);
    EXPECT_EQ(b.RGB_Sample_Size(), 500032);
    EXPECT_EQ(b.RGB_fourcc(), "MJPG");
    EXPECT_EQ(b.RGB_fps(), "50");
    EXPECT_EQ(b.RGB_JPEG_Codec(), "libjpeg-turbo");
    EXPECT_EQ(b.RGB_JPEG_Quality(), "85");
    EXPECT_TRUE(b.RGB_interlaced());
    EXPECT_TRUE(b.RGB_preview_on());
    EXPECT_FALSE(b.RGB_Rotated());
    // The fields written only at creation are untouched.
    EXPECT_EQ(doc.selectSingleNode("//prog_version").text(), "IDE");
    EXPECT_EQ(doc.selectSingleNode("//compile_date").text(), "2016-03-02 11:57");
}

TEST_F(Header, NormalModeStoresTheProgramFileDate) {
    g_Compiled = true;
    xmldom::DOMDocument60 doc;
    ASSERT_TRUE(doc.loadXML(make().XML_string()));
    EXPECT_EQ(doc.selectSingleNode("//prog_version").text(), "Compiled");
    EXPECT_EQ(doc.selectSingleNode("//exe_filedate").text(), Get_Exe_Date());
}

} // namespace
