#include "KeyState.h"
#include "Module_canoe.h"
#include "Module_dependant.h"
#include "Module_qfn_Globals.h"
#include "QFN_error_form.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "fso_functions.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(TimeTexts, DisplayMillTime) {
    struct Case {
        int32_t ms;
        bool trim;
        const char* text;
    };
    for (const Case c : {
             Case{0, false, " 00:00,00"},
             {0, true, "0,00"},
             {5200, false, " 00:05,20"},
             {-65200, false, "-01:05,20"},
             {5230, true, "5,23"},
             {65200, true, "1:05,20"},
             {3725000, true, "1:02:05,00"},
             {500, true, "0,50"},
             {-1500, true, "-1,50"},
             {5, false, " 00:00,00"},  // 0.5 hundredths rounds to even 0
             {15, false, " 00:00,02"}, // 1.5 rounds to even 2
             {994, false, " 00:00,99"},
             {995, false, " 00:01,00"}, // carries into the seconds, never ",100"
             {999, true, "1,00"},
             {59995, true, "1:00,00"},
             {3599995, true, "1:00:00,00"},
             {86399995, false, " 00:00,00"},  // 23:59:59.995 is the next midnight, not 24:00
             {86400000 + 1230, true, "1,23"}, // whole days are dropped
             {36000000, false, " 10:00:00,00"},
             {INT32_MIN, false, "-20:31:23,65"},
         }) {
        EXPECT_EQ(Display_Mill_Time(c.ms, c.trim), c.text) << c.ms << (c.trim ? " trim" : "");
    }
}

TEST(TimeTexts, DatesHaveTheirForms) {
    win::FakeClock clock;
    clock.set_wall(std::chrono::system_clock::from_time_t(0));
    win::set_clock(&clock);
    const std::string dt = Get_Date_Time_String();
    const std::string d = Get_Date_String();
    win::set_clock(nullptr);
    EXPECT_EQ(dt.size(), 19u);
    EXPECT_EQ(dt.substr(0, 10), d);
    EXPECT_EQ(dt[4], '-');
    EXPECT_EQ(dt[13], ':');
}

TEST(Booleans, TextsAndNumbers) {
    EXPECT_EQ(Bool_to_String(true), "True");
    EXPECT_EQ(Bool_to_String(false), "False");
    for (const char* t : {"true", "TRUE", " True", "1", "-1", "", "Checked"})
        EXPECT_FALSE(String_to_Bool(t)) << t;
    EXPECT_TRUE(String_to_Bool("True"));
    EXPECT_EQ(Is_Checked("Checked"), 1);
    EXPECT_EQ(Is_Checked("checked"), 0);
    EXPECT_EQ(Bool_to_Int(true), 1);
}

TEST(Paths, ParseAndFix) {
    struct Case {
        const char* path;
        int16_t sel;
        int32_t offset;
        const char* out;
    };
    for (const Case c : {Case{"/data/heat1.qf3", 16, 0, "/data/"},
                         {"/data/heat1.qf3", 16, -1, "/data"},
                         {"/data/heat1.qf3", 0, 0, "heat1.qf3"},
                         {"/data/heat1.qf3", 5, 0, "/data/heat1.qf3"},
                         {"", 16, 0, ""},
                         {"heat1.qf3", 0, 0, "No folder in path *Error in ParsePath"}}) {
        EXPECT_EQ(ParsePath(c.path, c.sel, c.offset), c.out) << c.path << " " << c.sel;
    }
    std::string p = "C:/a-b,c:d";
    EXPECT_EQ(Fix_Path_Chars(p), "C:/a_b_c_d");
    EXPECT_EQ(p, "C:/a_b_c_d");
    std::string q = "-,x";
    EXPECT_EQ(Fix_Path_Chars(q), "-,x");
    EXPECT_EQ(Get_File_Extension("heat.1.qf3"), "qf3");
    EXPECT_EQ(Get_File_Extension("heat"), "");
    EXPECT_EQ(Get_File_Extension("Heat.QF3"), "QF3");
}

TEST(Paths, InStrRevAndLast) {
    EXPECT_EQ(InStr_Rev("a.b.c", "."), 4);
    EXPECT_EQ(InStr_Rev("a.b.c", ".", 3), 2);
    EXPECT_EQ(InStr_Rev("abc", "x"), 0);
    EXPECT_EQ(InStr_Rev("abc", "", 2), 2);
    EXPECT_EQ(InStr_Rev("abc", "", 9), 0);
    EXPECT_EQ(InStr_Rev("aXbx", "x", -1, vb::vbTextCompare), 4);
    EXPECT_EQ(InStr_Last(1, "a,b,c", ","), 4);
    EXPECT_EQ(InStr_Last(5, "a,b,c", ","), 0);
}

TEST(Numbers, Rounding) {
    struct Case {
        int32_t in, half;
    };
    for (const Case c : {Case{7, 4}, {6, 3}, {5, 3}, {4, 2}, {-3, -1}, {0, 0}, {1, 1}, {-4, -2}})
        EXPECT_EQ(Half_Rounded(c.in), c.half) << c.in;
    EXPECT_EQ(Round_To_Multiple(60, 40), 80);  // 1.5 -> 2
    EXPECT_EQ(Round_To_Multiple(100, 40), 80); // 2.5 -> 2
    EXPECT_EQ(Round_To_Multiple(139, 40), 120);
    EXPECT_EQ(Round_To_Multiple(-20, 40), 0);
    EXPECT_THROW(Round_To_Multiple(1, 0), vb::VbError);
    EXPECT_EQ(Min_Long(3, -2), -2);
    EXPECT_EQ(Min_Value(2.5, 7), 2);
    EXPECT_EQ(Min_Value(3.5, 3.5), 4);
    EXPECT_EQ(Max_Value(2, 7.6), 8);
    EXPECT_TRUE(Is_Odd(-3));
    EXPECT_FALSE(Is_Odd(-4));
    EXPECT_EQ(Line_Field(-1), 1);
    EXPECT_EQ(Line_Field(0), 2);
}

TEST(Bytes, SearchAndCopy) {
    const std::vector<uint8_t> list = {'R', 'I', 'F', 'F', 0, 'A', 'V', 'I', ' ', 'L'};
    // Lower bound 0: the search starts at index 1, so a match at index 0 is not found.
    EXPECT_EQ(Find_Byte_Array(list, "RIFF"), 0);
    EXPECT_EQ(Find_Byte_Array(list, "AVI "), 5);
    EXPECT_EQ(Find_Byte_Array(list, "IFF"), 1);
    // Lower bound 1: index 1 is the first byte.
    EXPECT_EQ(Find_Byte_Array(list, "RIFF", 1), 1);
    // A pattern that no longer fits is not there: no box, no read past the end.
    test_env::dialogs().clear();
    EXPECT_EQ(Find_Byte_Array(list, "LIST"), 0);
    EXPECT_EQ(Find_Byte_Array(list, "XYZ"), 0);
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_EQ(Find_Byte_Array({}, "A"), 0);

    std::vector<uint8_t> field(8, 0xEE);
    String_to_Bytes("", field);
    EXPECT_EQ(field, std::vector<uint8_t>(8, 0xEE));
    String_to_Bytes("QFN3", field);
    EXPECT_EQ(field, (std::vector<uint8_t>{'Q', 'F', 'N', '3', 0, 0, 0, 0}));
    EXPECT_EQ(Bytes_to_String(field), "QFN3");
    String_to_Bytes("12345678", field);
    EXPECT_EQ(Bytes_to_String(field), "12345678");
    // Too long: an error, and the field is left as it was.
    EXPECT_THROW(String_to_Bytes("123456789", field), vb::VbError);
    EXPECT_EQ(Bytes_to_String(field), "12345678");
    const uint8_t id[4] = {'h', 'd', 'r', 'l'};
    EXPECT_EQ(Bytes4_to_String(id), "hdrl");
    EXPECT_EQ(Long_to_String4(0x46464952), "RIFF");
}

TEST(Colour, RgbToHsl) {
    struct Case {
        int32_t colour; // red in the lowest byte
        int32_t h, s, l;
    };
    for (const Case c : {Case{0x000000, 0, 0, 0},
                         {0xFFFFFF, 0, 0, 100},
                         {0x808080, 0, 0, 50},
                         {0x0000FF, 0, 100, 100},   // red
                         {0x00FF00, 120, 100, 100}, // green
                         {0xFF0000, 240, 100, 100}, // blue
                         {0x00FFFF, 60, 100, 100},  // yellow
                         {0xFFFF00, 180, 100, 100}, // cyan
                         {0xFF00FF, 300, 100, 100}, // magenta: red largest, blue above green
                         {0x00407F, 30, 100, 50}}) {
        int32_t h = -9, s = -9, l = -9;
        RGB_to_HSL(c.colour, h, s, l);
        EXPECT_EQ(h, c.h) << std::hex << c.colour;
        EXPECT_EQ(s, c.s) << std::hex << c.colour;
        EXPECT_EQ(l, c.l) << std::hex << c.colour;
    }
}

TEST(Waits, DoSleepCrossesTheTimerWrap) {
    win::FakeClock clock(0xFFFFFFF0u);
    win::set_clock(&clock);
    int pumped = 0;
    const int pump = vb::AddEventPump([&] { ++pumped; });
    Do_Sleep(50, false);
    const uint32_t after = win::timeGetTime();
    EXPECT_GE(static_cast<uint32_t>(after - 0xFFFFFFF0u), 50u);
    EXPECT_LT(static_cast<uint32_t>(after - 0xFFFFFFF0u), 60u);
    EXPECT_EQ(pumped, 0);
    Do_Sleep(30, true);
    EXPECT_EQ(pumped, 10); // 3 ms rounds with events
    Do_Sleep(-5, true);
    vb::RemoveEventPump(pump);
    win::set_clock(nullptr);
}

TEST(Keys, StatesFromTheKeyTable) {
    win::clear_keys();
    EXPECT_EQ(First_Key_Down(), 0);
    win::set_key_down(17, true);
    win::set_key_down(65, true);
    EXPECT_TRUE(Ctrl_Is_Down());
    EXPECT_FALSE(Alt_Is_Down());
    EXPECT_EQ(First_Key_Down(), 17);
    win::set_key_down(27, true);
    EXPECT_TRUE(Escape_Is_Down());
    win::clear_keys();
    Press_Shift_Key();
    EXPECT_FALSE(Key_Is_Down(16));
}

TEST(Files, SizesDeletesAndNewestFiles) {
    namespace fs = std::filesystem;
    const std::string dir = test_env::make_dir("files");
    EXPECT_EQ(Get_File_Size(""), 0);
    EXPECT_THROW(Get_File_Size(dir + "/missing"), vb::VbError);
    test_env::write_file(dir + "/small.qf2", "x");
    test_env::write_file(dir + "/big_old.qf2", std::string(1048577, 'a'));
    test_env::write_file(dir + "/big_new.qf2", std::string(1048577, 'b'));
    test_env::write_file(dir + "/big.QF2", std::string(1048577, 'c'));
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(dir + "/big_old.qf2", now - std::chrono::hours(48));
    fs::last_write_time(dir + "/big_new.qf2", now - std::chrono::hours(1));
    EXPECT_EQ(Get_File_Size(dir + "/big_old.qf2"), 1048577);

    const auto list = fso_Youngest_files(dir);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], "");
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[2].substr(19), "big_old.qf2");
    EXPECT_EQ(list[3].substr(19), "big_new.qf2");
    EXPECT_TRUE(fso_Youngest_files(dir + "/nope").empty());
    EXPECT_TRUE(fso_Youngest_files("").empty());

    fs::permissions(dir + "/small.qf2", fs::perms::owner_read);
    Kill_File(dir + "/small.qf2");
    EXPECT_FALSE(FileExists(dir + "/small.qf2"));
    EXPECT_TRUE(FolderExists(dir));
    EXPECT_FALSE(FolderExists(""));

    // A failed delete goes to the error report in the normal mode.
    g_Compiled = true;
    Install_Error_Trap();
    test_env::dialogs().clear();
    Kill_File(dir + "/small.qf2");
    EXPECT_TRUE(test_env::dialogs().shown.empty());
    EXPECT_NE(QFN_error_form().err_lbl.Text().find("Location of error: Kill_File of Module Module_dependant"),
              std::string::npos);
}

TEST(Other, SortAndDvHeader) {
    std::vector<std::string> v = {"b", "", "a", "B", "c"};
    Bubble_Sort(v);
    EXPECT_EQ(v, (std::vector<std::string>{"", "B", "a", "b", "c"}));
    const uint8_t dv[10] = {0x1F, 0x07, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t other[10] = {0x1F, 0x06};
    EXPECT_TRUE(Check_DV_Header(dv));
    EXPECT_FALSE(Check_DV_Header(other));
    g_Compiled = false;
    EXPECT_EQ(Get_Exe_Date(), "Not compiled");
    g_Compiled = true;
    EXPECT_EQ(Get_Exe_Date().size(), 19u);
}

} // namespace
