#pragma once
// What the header tests share: fixed program-wide facts and a fixed clock, so
// a new header's text is known to the byte; headers made through make() are
// all checked by xmllint at the end of each test.
#include "Cls_XML_header.h"
#include "ErrorOf.h"
#include "Module_canoe.h"
#include "Module_qfn_Globals.h"
#include "TestEnv.h"
#include "VbError.h"
#include "VbString.h"
#include "WinClock.h"

#include <gtest/gtest.h>

#include <ctime>
#include <deque>
#include <memory>
#include <string>

namespace header_test {

using test_env::error_of;

inline std::string golden(const std::string& name) {
    return test_env::read_file(std::string(HEADER_GOLDEN_DIR) + "/" + name);
}

// The golden files show each "\r\n" as one line end; a bare "\n" in the
// header would be a fault, so it is counted apart.
inline std::string as_lines(const std::string& text) {
    return vb::Replace(text, "\r\n", "\n");
}
inline size_t bare_line_feeds(const std::string& text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++n;
    return n;
}

// The element's whole text from its start tag to its end tag.
inline std::string element_text(const std::string& xml, const std::string& name) {
    const size_t begin = xml.find("<" + name + ">");
    const size_t end = xml.find("</" + name + ">");
    if (begin == std::string::npos || end == std::string::npos) return {};
    return xml.substr(begin, end + name.size() + 3 - begin);
}

// xmllint's verdict on a header text as it goes to disk (one byte per character).
inline int xmllint(const std::string& text, std::string* out = nullptr) {
    const std::string path = test_env::make_dir("lint") + "/header.xml";
    test_env::write_file(path, vb::ToLatin1(text));
    return test_env::run("xmllint --noout " + path + " 2>&1", out);
}

class HeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_env::dialogs().clear();
        g_Compiled = false;
        Install_Error_Trap();
        g_Tidewick = true;
        g_Golfing = false;
        g_Reedwick = false;
        g_Computer_Name = "FINISH-PC";
        g_CPU_Info = "CPU= Test processor";
        g_CPU_Bitness = "64";
        g_OS_Bitness = "64";
        m_Manufacturer_Model = "Maker,Model";
        g_Phidget_Serial = "";
        g_Program_Title = "Tidewick_HDMI, photo-finish for canoe heats";
        g_Program_Version = "4.0.172";
        g_OS_Name = "Debian GNU/Linux 12";
        std::tm t{};
        t.tm_year = 2016 - 1900;
        t.tm_mon = 2;
        t.tm_mday = 2;
        t.tm_hour = 14;
        t.tm_min = 5;
        t.tm_sec = 9;
        t.tm_isdst = -1;
        clock_.set_wall(std::chrono::system_clock::from_time_t(std::mktime(&t)));
        win::set_clock(&clock_);
    }

    void TearDown() override {
        for (auto& h : headers_) {
            const std::string text = h->XML_string();
            if (text.empty()) continue;
            std::string said;
            EXPECT_EQ(xmllint(text, &said), 0) << said;
        }
        headers_.clear();
        win::set_clock(nullptr);
        g_Compiled = false;
        g_Golfing = false;
        g_Reedwick = false;
    }

    // A header owned by the test; built with Create_Header unless told not to.
    Cls_XML_header& make(bool create = true) {
        headers_.push_back(std::make_unique<Cls_XML_header>());
        if (create) headers_.back()->Create_Header();
        return *headers_.back();
    }
    // A header parsed from a text.
    Cls_XML_header& parsed(const std::string& text) {
        Cls_XML_header& h = make(false);
        h.XML_string(text);
        return h;
    }

    win::FakeClock clock_;
    std::deque<std::unique_ptr<Cls_XML_header>> headers_;
};

} // namespace header_test
