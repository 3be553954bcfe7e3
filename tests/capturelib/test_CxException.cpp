#include "CxException.h"

#include <gtest/gtest.h>

namespace {

TEST(CxException, TheFourWaysOfBuildingOne) {
    const CxException text_only("Failed to query IAMBufferNegotiation!");
    EXPECT_EQ(text_only.hr(), 0);
    EXPECT_EQ(text_only.text(), "Failed to query IAMBufferNegotiation!");

    const CxException code_only(com::E_FAIL);
    EXPECT_EQ(code_only.hr(), com::E_FAIL);
    EXPECT_EQ(code_only.text(), "Unspecified error"); // no line end

    const CxException both(com::MakeHResult(0x80040217),
                           "AddRgbGrabber: Could not connect sample grabber to source");
    EXPECT_EQ(both.text(), "AddRgbGrabber: Could not connect sample grabber to source IDispatch error #23");

    const auto formatted = CxException::Format(com::E_FAIL, "FilterGraph %08x pid %08x", 0xabcu, 42u);
    EXPECT_EQ(formatted.hr(), com::E_FAIL);
    EXPECT_EQ(formatted.text(), "FilterGraph 00000abc pid 0000002a");
    const std::string long_arg(3000, 'x');
    EXPECT_EQ(CxException::Format(0, "%s", long_arg.c_str()).text().size(), 1023u);
}

TEST(CxException, SystemMessagesOfCodesWithoutText) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    for (const Case c : {Case{0x80040290, "IDispatch error #144"},
                         {0x8004022F, "IDispatch error #47"},
                         {0x8004FFFF, "IDispatch error #65023"},
                         {0x800401FF, "Unknown error 0x800401FF"},
                         {0x12345678, "Unknown error 0x12345678"}})
        EXPECT_EQ(CxException::SystemMessage(com::MakeHResult(c.code)), c.text) << std::hex << c.code;
}

} // namespace
