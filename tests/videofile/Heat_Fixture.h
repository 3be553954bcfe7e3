#pragma once
// What the video file tests share: small heat files made by the program's
// own writer, the outside byte checker, and the normal mode with its error
// report recorded.
#include "Form.h"
#include "Gdi.h"
#include "Make_Heat.h"
#include "Module_qfn_Globals.h"
#include "PictureBox.h"
#include "TestEnv.h"
#include "VbTrap.h"
#include "XmlDom.h"
#include "cls_VideoFile_handler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace heat_fixture {

// The key colour the tests clear their overlays to: a grey no mark is drawn in.
inline constexpr gdi::COLORREF kKey = gdi::RGB(128, 128, 128);

// The little-endian 32-bit value at `at` of a file's bytes.
inline int32_t Get32(const std::string& bytes, size_t at) {
    int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// Overwrites 4 bytes of a file in place, as a damaged copy would hold them.
inline void Poke32(const std::string& path, int64_t offset, int32_t v) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.write(reinterpret_cast<const char*>(&v), 4);
}

// The element's text as the document holds it, read by XPath from the
// serialised header, not through the member under test.
inline std::string Header_Element(cls_VideoFile_handler& vf, const std::string& xpath) {
    xmldom::DOMDocument60 doc;
    EXPECT_TRUE(doc.loadXML(vf.Get_DOM_string()));
    const xmldom::Node n = doc.selectSingleNode(xpath);
    return n ? n.text() : "<missing " + xpath + ">";
}

// The picture box of a test window of type F (a form with a `Picture1`),
// sized to width x height pixels.
template <class F> forms::PictureBox& Picture_Box(int32_t width_px, int32_t height_px) {
    F& f = forms::Instance<F>();
    f.Picture1.Move(0, 0, width_px * 15.0, height_px * 15.0);
    return f.Picture1;
}

inline std::string Source_Dir() {
    const char* s = std::getenv("TIDEWICK_SOURCE_DIR");
    return s ? s : ".";
}

// Runs the python checker on a file; its printed facts land in `out`.
inline int Check_QF3(const std::string& path, const std::string& options, std::string* out) {
    return test_env::run(
        "python3 " + Source_Dir() + "/tests/videofile/check_qf3.py '" + path + "' " + options + " 2>&1", out);
}

inline make_heat::Heat_Recipe Small_Recipe(const std::string& path, int32_t slot = 6000) {
    make_heat::Heat_Recipe recipe;
    recipe.path = path;
    recipe.width = 64;
    recipe.height = 48;
    recipe.slot_size = slot;
    return recipe;
}

// Writes the recipe's heat of `frames` frames by the program's own writer;
// returns its path.
inline std::string Make_Small_Heat(const make_heat::Heat_Recipe& recipe, int32_t frames) {
    std::string error;
    EXPECT_TRUE(make_heat::Make_Heat(recipe, frames, &error)) << error;
    return recipe.path;
}

// The normal mode: errors are trapped and go to a report the test reads.
struct Normal_Mode {
    struct Report {
        int32_t number;
        std::string description, location;
    };
    std::vector<Report> reports;
    bool saved = g_Compiled;
    Normal_Mode() {
        g_Compiled = true;
        vb::SetTrappingEnabled([] { return g_Compiled; });
        vb::SetErrorHandler([this](const vb::VbError& e, const std::string& location, const std::string&) {
            reports.push_back({e.number(), e.description(), location});
        });
    }
    ~Normal_Mode() {
        g_Compiled = saved;
        vb::SetErrorHandler(nullptr);
    }
};

// The development mode: errors reach the caller.
struct Development_Mode {
    bool saved = g_Compiled;
    Development_Mode() {
        g_Compiled = false;
        vb::SetTrappingEnabled([] { return g_Compiled; });
    }
    ~Development_Mode() {
        g_Compiled = saved;
        vb::SetTrappingEnabled(nullptr);
    }
};

} // namespace heat_fixture
