// The results XML document: its skeleton and tree as an outside parser
// (Python) and xmllint read the saved file, finding and adding heats,
// results and competitors, reading, overwriting and deleting competitors,
// and its failures.
#include "Class_Tidewick_result_XML.h"
#include "ErrorOf.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbTrap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace {

using test_env::error_of;

std::string Source_Dir() {
    const char* s = std::getenv("TIDEWICK_SOURCE_DIR");
    return s ? s : ".";
}

// The saved file's tree as Python describes it; a failed check fails the test.
std::string Describe(const std::string& path) {
    std::string out;
    EXPECT_EQ(test_env::run("PYTHONIOENCODING=utf-8 python3 " + Source_Dir() +
                                "/tests/results/describe_xml.py '" + path + "' 2>&1",
                            &out),
              0)
        << out;
    EXPECT_EQ(test_env::run("xmllint --noout '" + path + "' 2>&1"), 0);
    return out;
}

// The raceinfo part with its date texts replaced by D.
std::string Without_Dates(const std::string& text) {
    static const std::regex date(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    return std::regex_replace(text, date, "D");
}

const std::string kRaceinfo =
    "raceinfo{/initiated_at{\"D\"}/videofile_initiated_at{\"D\"}/heat_started_at{\"D\"}/"
    "last_capture_at{\"D\"}//lastfile{\"false\"}event{\" \"}/racetype{\" \"}"
    "capturehost{\" \"}backofficehost{\" \"}/}";

struct Doc {
    std::string path;
    Class_Tidewick_result_XML xml;
    explicit Doc(const std::string& name) : path(test_env::make_dir(name) + "/TW_Result_Heat7.xml") {
        xml.Initialize_DOM();
        xml.XML_Filename(path);
    }
    std::string saved() {
        xml.Serialize();
        return Describe(path);
    }
};

// Trapping on, the reports kept for the test.
struct Reports {
    std::vector<std::string> locations;
    Reports() {
        vb::SetTrappingEnabled([] { return true; });
        vb::SetErrorHandler([this](const vb::VbError&, const std::string& at, const std::string&) {
            locations.push_back(at);
        });
    }
    ~Reports() {
        vb::SetErrorHandler(nullptr);
        vb::SetTrappingEnabled(nullptr);
    }
};

TEST(Result_XML, NewDocumentHoldsTheSkeletonAndTheComment) {
    Doc d("skeleton");
    d.xml.Set_Comment("XML file containing Tidewick result data for course race.");
    EXPECT_EQ(Without_Dates(d.saved()),
              "race{" + kRaceinfo +
                  "heats{}/results{}}\n"
                  "<!--XML file containing Tidewick result data for course race.-->\n");
    // The saved bytes are the document's own text.
    EXPECT_EQ(test_env::read_file(d.path), d.xml.XML());
}

TEST(Result_XML, RaceinfoWritesSetTheirElements) {
    Doc d("raceinfo");
    d.xml.Backoffice_Host("office");
    d.xml.Capture_Host("finish-pc");
    d.xml.EventName("Regatta \xC3\x85re <&> \"2016\"");
    d.xml.RaceType("course");
    d.xml.Video_Initiated("2016-05-01 08:00:00x");
    d.xml.Heat_Started("9:05:03,");
    d.xml.Last_Capture("09:07:10");
    d.xml.lastFile("True");
    EXPECT_EQ(
        Without_Dates(d.saved()),
        "race{raceinfo{/initiated_at{\"D\"}/videofile_initiated_at{\"Dx\"}/heat_started_at{\"9:05:03,\"}/"
        "last_capture_at{\"09:07:10\"}//lastfile{\"True\"}event{\"Regatta \xC3\x85re <&> \"2016\"\"}/"
        "racetype{\"course\"}capturehost{\"finish-pc\"}backofficehost{\"office\"}/}heats{}/results{}}\n");
}

TEST(Result_XML, HeatsResultsAndCompetitors) {
    Doc d("tree");
    d.xml.Create_Heat_node("7", "Final A", "9:05:03");
    d.xml.Create_Heat_node("7", "other name", "10:00:00"); // exists: unchanged
    d.xml.Create_Heat_node("8", "", "");
    d.xml.Create_Result_Node("7");
    d.xml.Create_Result_Node("7");
    d.xml.Create_Result_Node("8");
    d.xml.Create_Competitor_Node("7", "3", "01:02,34", "", "", "", "");
    d.xml.Create_Competitor_Node("7", "1", "01:03,00", "+00:00,66", "2", "Heat7_a.qf3", "120");
    d.xml.Create_Competitor_Node("8", "5", "", "", "1", "", "");
    d.xml.Create_Competitor_Node("7", "3", "DNS", "", "", "", ""); // no test for an existing number
    EXPECT_EQ(Without_Dates(d.saved()),
              "race{" + kRaceinfo +
                  "heats{heat[id=7,name=Final A,start_time=9:05:03]{}/heat[id=8,name=,start_time=]{}/}/"
                  "results{result[id=7]{/competitor[nbr=3]{elapsed_time{\"01:02,34\"}}"
                  "/competitor[nbr=1]{elapsed_time{\"01:03,00\"}delta_time{\"+00:00,66\"}place{\"2\"}"
                  "video_file{\"Heat7_a.qf3\"}video_frame{\"120\"}}"
                  "/competitor[nbr=3]{elapsed_time{\"DNS\"}}}"
                  "result[id=8]{/competitor[nbr=5]{elapsed_time{}place{\"1\"}}}}}\n");
    EXPECT_EQ(d.xml.Count_Competitor_Nodes(), 4);
    test_env::write_file(test_env::output_dir() + "/results_document.xml", test_env::read_file(d.path));
}

TEST(Result_XML, ValuesAreBoundNotPastedIntoLookups) {
    Doc d("bound");
    const std::string id = "O'Neil \"A\"]";
    d.xml.Create_Heat_node(id, "n1", "s1");
    d.xml.Create_Heat_node(id, "n2", "s2");
    d.xml.Create_Result_Node(id);
    d.xml.Create_Result_Node("x");
    d.xml.Create_Competitor_Node(id, "1'", "10", "", "", "f.qf3", "12");
    d.xml.Create_Competitor_Node("x", "1", "20", "", "", "g.qf3", "99");
    std::string file;
    int16_t frame = -1;
    d.xml.Read_Competitor_node(id, "1'", file, frame);
    EXPECT_EQ(file, "f.qf3");
    EXPECT_EQ(frame, 12);
    // A text that would widen a pasted query finds nothing.
    d.xml.Read_Competitor_node("x' or '1'='1", "1", file, frame);
    EXPECT_EQ(file, "");
    EXPECT_EQ(frame, 0);
    d.xml.Create_Result_Node("x' or '1'='1");
    EXPECT_EQ(
        Without_Dates(d.saved()),
        "race{" + kRaceinfo + "heats{heat[id=" + id + ",name=n1,start_time=s1]{}/}/results{result[id=" + id +
            "]{/competitor[nbr=1']{elapsed_time{\"10\"}video_file{\"f.qf3\"}video_frame{\"12\"}}}"
            "result[id=x]{/competitor[nbr=1]{elapsed_time{\"20\"}video_file{\"g.qf3\"}video_frame{\"99\"}}}"
            "result[id=x' or '1'='1]{}}}\n");
}

TEST(Result_XML, ReadCompetitor) {
    Doc d("read");
    d.xml.Create_Result_Node("7");
    d.xml.Create_Competitor_Node("7", "2", "1:00", "", "", "Heat7_a.qf3", "30000");
    d.xml.Create_Competitor_Node("7", "4", "1:01", "", "", "", "");
    std::string file = "old";
    int16_t frame = -1;
    d.xml.Read_Competitor_node("7", "2", file, frame);
    EXPECT_EQ(file, "Heat7_a.qf3");
    EXPECT_EQ(frame, 30000);
    d.xml.Read_Competitor_node("7", "9", file, frame);
    EXPECT_EQ(file, "");
    EXPECT_EQ(frame, 0);
    // A competitor without video file or frame raises to the caller.
    EXPECT_EQ(error_of([&] { d.xml.Read_Competitor_node("7", "4", file, frame); }), vb::errObjectNotSet);
}

TEST(Result_XML, OverrideAndDeleteSaveOrSayWhyNot) {
    auto& dialogs = test_env::dialogs();
    Doc d("change");
    d.xml.Create_Result_Node("7");
    d.xml.Create_Competitor_Node("7", "1", "1:00", "+0", "1", "a.qf3", "10");
    d.xml.Create_Competitor_Node("7", "2", "1:05", "", "2", "", "");
    d.xml.Create_Competitor_Node("7", "3", "1:07", "", "3", "c.qf3", "30");

    dialogs.clear();
    d.xml.Override_Competitor_Node("7", "1", "0:59", "ignored", "ignored", "b.qf3", "11");
    EXPECT_TRUE(dialogs.prompts().empty());
    const std::string overridden = Describe(d.path);
    EXPECT_NE(overridden.find("competitor[nbr=1]{elapsed_time{\"0:59\"}delta_time{\"+0\"}place{\"1\"}"
                              "video_file{\"b.qf3\"}video_frame{\"11\"}}"),
              std::string::npos)
        << overridden;

    // Competitor 2 has no video file: its time changes in memory only.
    d.xml.Override_Competitor_Node("7", "2", "1:04", "", "", "x.qf3", "1");
    d.xml.Override_Competitor_Node("7", "9", "1:04", "", "", "x.qf3", "1");
    EXPECT_EQ(dialogs.prompts(), (std::vector<std::string>{"Override failed!", "Override failed!"}));
    EXPECT_EQ(Describe(d.path), overridden);
    EXPECT_NE(d.xml.XML().find("<elapsed_time>1:04</elapsed_time>"), std::string::npos);

    dialogs.clear();
    d.xml.Delete_Competitor_Node("7", "9");
    EXPECT_EQ(dialogs.prompts(), std::vector<std::string>{"Delete failed!"});
    EXPECT_EQ(Describe(d.path), overridden);
    d.xml.Delete_Competitor_Node("7", "1");
    EXPECT_EQ(dialogs.prompts(), std::vector<std::string>{"Delete failed!"});
    const std::string after = Describe(d.path);
    EXPECT_EQ(after.find("competitor[nbr=1]"), std::string::npos) << after;
    // The line break before the deleted competitor stays.
    EXPECT_NE(after.find("result[id=7]{//competitor[nbr=2]{elapsed_time{\"1:04\"}"), std::string::npos)
        << after;
    EXPECT_EQ(d.xml.Count_Competitor_Nodes(), 2);
}

TEST(Result_XML, LoadedFileCanBeReadAndChanged) {
    Doc d("load");
    d.xml.EventName("Regatta");
    d.xml.Create_Result_Node("7");
    d.xml.Create_Competitor_Node("7", "2", "1:00", "", "", "Heat7_a.qf3", "25");
    const std::string saved = d.saved();

    Class_Tidewick_result_XML loaded;
    loaded.Load_Existing_XML(d.path);
    EXPECT_EQ(loaded.XML(), test_env::read_file(d.path));
    std::string file;
    int16_t frame = 0;
    loaded.Read_Competitor_node("7", "2", file, frame);
    EXPECT_EQ(file, "Heat7_a.qf3");
    EXPECT_EQ(frame, 25);
    EXPECT_EQ(loaded.Count_Competitor_Nodes(), 1);
    loaded.XML_Filename(d.path);
    loaded.Override_Competitor_Node("7", "2", "1:01", "", "", "Heat7_b.qf3", "26");
    EXPECT_NE(Describe(d.path).find("video_file{\"Heat7_b.qf3\"}video_frame{\"26\"}"), std::string::npos);

    // A file that does not parse leaves an empty document: the next lookup raises.
    test_env::write_file(d.path + ".bad", "<race><raceinfo></race>");
    Class_Tidewick_result_XML broken;
    broken.Load_Existing_XML(d.path + ".bad");
    EXPECT_EQ(error_of([&] { broken.EventName("x"); }), vb::errObjectNotSet);
}

TEST(Result_XML, MissingContainersRaiseAndAFailedSaveIsReported) {
    Class_Tidewick_result_XML empty; // no skeleton built
    EXPECT_EQ(error_of([&] { empty.Capture_Host("x"); }), vb::errObjectNotSet);
    EXPECT_EQ(error_of([&] { empty.Create_Heat_node("1", "", ""); }), vb::errObjectNotSet);

    Doc d("fail");
    EXPECT_EQ(error_of([&] { d.xml.Create_Competitor_Node("7", "1", "1:00", "", "", "", ""); }),
              vb::errObjectNotSet);
    EXPECT_EQ(d.xml.Count_Competitor_Nodes(), 0);

    Reports reports;
    d.xml.XML_Filename(test_env::make_dir("fail2") + "/no/such/folder/TW_Result_Heat7.xml");
    d.xml.Serialize();
    EXPECT_EQ(reports.locations,
              std::vector<std::string>{"Serialize of Class Module Class_Tidewick_result_XML"});
}

} // namespace
