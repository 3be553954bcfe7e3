#include "ErrorOf.h"
#include "TestEnv.h"
#include "VbConvert.h"
#include "VbDate.h"
#include "VbError.h"
#include "VbString.h"
#include "VbTrap.h"

#include <gtest/gtest.h>

namespace {

using test_env::error_of;

TEST(Conversions, WholeNumbersRoundHalvesToEven) {
    struct Case {
        double in;
        int16_t out;
    };
    for (const Case c : {Case{0.5, 0},
                         {1.5, 2},
                         {2.5, 2},
                         {3.5, 4},
                         {-0.5, 0},
                         {-1.5, -2},
                         {-2.5, -2},
                         {2.4999, 2},
                         {2.5001, 3},
                         {32767.4, 32767},
                         {-32768.5, -32768}}) {
        EXPECT_EQ(vb::CInt(c.in), c.out) << c.in;
    }
    EXPECT_EQ(vb::CLng(2147483647.4), 2147483647);
    EXPECT_EQ(vb::CLng(-4.5), -4);
    EXPECT_EQ(vb::CInt("  12.5 "), 12);
    EXPECT_EQ(vb::CInt("13.5"), 14);
    EXPECT_EQ(vb::CLng("&HFF"), 255);
}

TEST(Conversions, OverflowAndTypeMismatch) {
    struct Case {
        const char* what;
        std::function<void()> f;
        int err;
    };
    const Case cases[] = {
        {"CInt 32767.5", [] { vb::CInt(32767.5); }, vb::errOverflow},
        {"CInt -32768.6", [] { vb::CInt(-32768.6); }, vb::errOverflow},
        {"CInt 40000", [] { vb::CInt("40000"); }, vb::errOverflow},
        {"CLng 2^31", [] { vb::CLng(2147483648.0); }, vb::errOverflow},
        {"CInt abc", [] { vb::CInt("abc"); }, vb::errTypeMismatch},
        {"CInt empty", [] { vb::CInt(""); }, vb::errTypeMismatch},
        {"CLng 12x", [] { vb::CLng("12x"); }, vb::errTypeMismatch},
        {"CDbl inf", [] { vb::CDbl("inf"); }, vb::errTypeMismatch},
        {"CLng 1,5", [] { vb::CLng("1,5"); }, vb::errTypeMismatch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(error_of(c.f), c.err) << c.what;
    EXPECT_EQ(vb::VbError(6, "").description(), "Overflow");
    EXPECT_EQ(vb::VbError(13, "").description(), "Type mismatch");
}

TEST(Conversions, ValReadsTheLeadingNumber) {
    struct Case {
        const char* in;
        double out;
    };
    for (const Case c : {Case{"", 0},
                         {"abc", 0},
                         {"12abc", 12},
                         {" 1 2 3", 123},
                         {"-7.25x", -7.25},
                         {"1e3", 1000},
                         {"&HFF", 255},
                         {"&HFFFF", -1},
                         {"&O17", 15},
                         {".5", 0.5},
                         {"3.", 3},
                         {"1,5", 1}}) {
        EXPECT_DOUBLE_EQ(vb::Val(c.in), c.out) << c.in;
    }
    EXPECT_TRUE(vb::IsNumeric(" -12.5 "));
    EXPECT_FALSE(vb::IsNumeric("12 5"));
    EXPECT_FALSE(vb::IsNumeric(""));
}

TEST(Conversions, TextsOfNumbersAndPatterns) {
    EXPECT_EQ(vb::CStr(12), "12");
    EXPECT_EQ(vb::CStr(-3.5), "-3.5");
    EXPECT_EQ(vb::CStr(0.1), "0.1");
    EXPECT_EQ(vb::CStr(1e20), "1E+20");
    EXPECT_EQ(vb::CStr(true), "True");
    EXPECT_EQ(vb::FormatNumber(7, "0000"), "0007");
    EXPECT_EQ(vb::FormatNumber(5, "#0"), "5");
    EXPECT_EQ(vb::FormatNumber(0, "#0"), "0");
    EXPECT_EQ(vb::FormatNumber(3.14159, "0.00"), "3.14");
    EXPECT_EQ(vb::FormatNumber(2.5, "0"), "3");
    EXPECT_EQ(vb::FormatNumber(-1.005, "0.0"), "-1.0");
}

TEST(Strings, PositionsCountFromOne) {
    EXPECT_EQ(vb::Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(vb::Mid("abc", 5), "");
    EXPECT_EQ(vb::Left("abc", 5), "abc");
    EXPECT_EQ(vb::Right("abc", 2), "bc");
    EXPECT_EQ(vb::InStr("a,b,c", ","), 2);
    EXPECT_EQ(vb::InStr(3, "a,b,c", ","), 4);
    EXPECT_EQ(vb::InStr(1, "ABC", "b", vb::vbTextCompare), 2);
    EXPECT_EQ(vb::InStrRev("C:\\data\\heat.qf3", "\\"), 8);
    EXPECT_EQ(vb::InStrRev("abcabc", "abc", 5), 1);
    EXPECT_EQ(vb::Split("1,2,,3", ",").size(), 4u);
    EXPECT_TRUE(vb::Split("", ",").empty());
    EXPECT_EQ(vb::Replace("a-b-c", "-", "_"), "a_b_c");
    EXPECT_EQ(error_of([] { vb::Mid("abc", 0); }), vb::errInvalidProcedureCall);
}

TEST(Strings, Latin1RoundTrip) {
    const std::string utf8 = "Ume\xC3\xA5 \xC3\xA4\xC3\xB6";
    const std::string latin1 = vb::ToLatin1(utf8);
    EXPECT_EQ(latin1, "Ume\xE5 \xE4\xF6");
    EXPECT_EQ(vb::FromLatin1(latin1), utf8);
    EXPECT_EQ(vb::ToLatin1("\xE2\x82\xAC"), "?"); // the euro sign has no Latin-1 byte
}

TEST(Strings, Latin1BytesBeyondASCIIAreFoundWhereverTheyLie) {
    // One byte above 0x7F at every place of a text longer than the
    // eight-byte steps that pass over plain ASCII, and two side by side.
    const std::string run(29, 'a');
    for (size_t at = 0; at <= run.size(); ++at)
        for (const std::string high : {"\xE5", "\x80\xFF"}) {
            const std::string latin1 = run.substr(0, at) + high + run.substr(at);
            std::string want;
            for (const char ch : latin1) {
                const auto c = static_cast<unsigned char>(ch);
                if (c < 0x80) {
                    want += ch;
                } else {
                    want += static_cast<char>(0xC0 | (c >> 6));
                    want += static_cast<char>(0x80 | (c & 0x3F));
                }
            }
            EXPECT_EQ(vb::FromLatin1(latin1), want) << at;
            EXPECT_EQ(vb::SkipAscii(latin1, 0), at);
            EXPECT_EQ(vb::SkipAscii(latin1, at + high.size()), latin1.size());
        }
}

TEST(Strings, AnsiCodePage1252) {
    const struct {
        const char* utf8;
        const char* ansi;
    } cases[] = {
        {"Ume\xC3\xA5 \xC3\xA4\xC3\xB6", "Ume\xE5 \xE4\xF6"},         // Latin-1 letters keep their bytes
        {"\xE2\x82\xAC 5", "\x80 5"},                                 // euro sign
        {"\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93", "\x93q\x94 \x96"}, // quotes, en dash
        {"\xC5\xA0\xC5\xB8", "\x8A\x9F"},                             // S caron, Y diaeresis
        {"\xC2\x81\xE4\xB8\xAD", "??"}, // a C1 control and a letter the code page lacks
        {"\xFF", "?"},                  // not UTF-8
    };
    for (const auto& c : cases)
        EXPECT_EQ(vb::ToAnsi(c.utf8), c.ansi) << c.utf8;
    // Python's own codec agrees with the table's bytes.
    std::string out;
    ASSERT_EQ(
        test_env::run(
            "python3 -c \"import sys; sys.stdout.write('\\u20ac\\u201cq\\u201d'.encode('cp1252').hex())\"",
            &out),
        0);
    EXPECT_EQ(out, "80937194");
}

TEST(Dates, Patterns) {
    const vb::LocalDateTime t{2026, 3, 4, 5, 6, 7, 890};
    EXPECT_EQ(vb::GeneralDate(t), "2026-03-04 05:06:07");
    EXPECT_EQ(vb::FormatDate(t, "yyyymmdd hhnnss"), "20260304 050607");
    EXPECT_EQ(vb::FormatDate(t, "YYYY-MM-DD"), "2026-03-04");
    EXPECT_EQ(vb::FormatDate(t, "yyyy-mm-dd hh:mm:ss"), "2026-03-04 05:06:07");
}

TEST(Trap, NormalModeReportsDevelopmentModePropagates) {
    std::string seen_location;
    int seen_number = 0;
    vb::SetErrorHandler([&](const vb::VbError& e, const std::string& loc, const std::string&) {
        seen_location = loc;
        seen_number = e.number();
    });
    bool trapping = true;
    vb::SetTrappingEnabled([&] { return trapping; });

    bool after = false;
    EXPECT_FALSE(vb::Trap("Foo of Module Bar", [&] {
        vb::CInt(99999.0);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(seen_location, "Foo of Module Bar");
    EXPECT_EQ(seen_number, vb::errOverflow);

    EXPECT_FALSE(vb::Trap("Alloc of Module Bar", [] { throw std::bad_alloc(); }));
    EXPECT_EQ(seen_number, vb::errOutOfMemory);

    trapping = false;
    EXPECT_THROW(vb::Trap("Foo of Module Bar", [] { vb::Raise(53); }), vb::VbError);
    vb::SetErrorHandler(nullptr);
    vb::SetTrappingEnabled(nullptr);
}

} // namespace
