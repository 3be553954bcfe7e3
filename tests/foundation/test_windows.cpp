// The helpers that work on windows, the taskbar, fonts and printed text.
#include "Form.h"
#include "Module_capture.h"
#include "Module_qfn_Globals.h"
#include "Module_windows.h"
#include "PictureBox.h"
#include "Printer.h"
#include "Screen.h"
#include "Services.h"
#include "TestEnv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class Frm_helpers : public forms::Form {
public:
    Frm_helpers() : Form("Frm_helpers") {}
    forms::PictureBox Pic_text{this, "Pic_text"};

protected:
    void Design() override {
        Move(0, 0, 8000, 4500);
        Pic_text.Move(0, 0, 3000, 1500); // 200 x 100 pixels
    }
};

Frm_helpers& Frm_helpers_() {
    return forms::Instance<Frm_helpers>();
}

TEST(WindowHelpers, LoadedNamesEdgesAndTopMost) {
    Frm_helpers& f = Frm_helpers_();
    f.Unload();
    EXPECT_FALSE(IsLoaded("frm_HELPERS"));
    f.Show();
    EXPECT_TRUE(IsLoaded("frm_HELPERS"));
    EXPECT_FLOAT_EQ(Get_Right_Edge(f), static_cast<float>(f.Left() + f.Width()));
    EXPECT_FLOAT_EQ(Get_Bottom_Edge(f.Pic_text), static_cast<float>(f.Pic_text.Top() + f.Pic_text.Height()));
    Set_TopMost(f.hWnd());
    Set_TopMost(0); // no window: nothing
    f.Unload();
}

TEST(WindowHelpers, RemovedCloseCommandKeepsTheWindowOpen) {
    Frm_helpers& f = Frm_helpers_();
    f.Show();
    Remove_Close_Menu(f.hWnd());
    EXPECT_EQ(f.CloseCommandState(), forms::Form::CloseCommand::Removed);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QString::fromStdString(f.Caption())) w->close();
    QApplication::processEvents();
    EXPECT_TRUE(f.IsLoaded());
    // A window loaded again has its Close command back.
    f.Unload();
    f.Show();
    EXPECT_EQ(f.CloseCommandState(), forms::Form::CloseCommand::Present);
    f.Unload();
}

TEST(WindowHelpers, TaskbarState) {
    forms::set_work_area_override(0);
    EXPECT_EQ(Get_Taskbar_State(), "TaskBar is in auto-hide mode");
    forms::set_work_area_override(40);
    EXPECT_EQ(Get_Taskbar_State(), "TaskBar always-on-top mode");
    forms::set_work_area_override(-1);
    g_Taskbar_Hidden = false;
    Show_Taskbar(-1);
    EXPECT_FALSE(g_Taskbar_Hidden);
    Show_Taskbar(0);
    EXPECT_TRUE(g_Taskbar_Hidden);
    Show_Taskbar(-1);
    EXPECT_TRUE(g_Taskbar_Hidden); // never cleared
}

TEST(WindowHelpers, FontsFitAndWrap) {
    Frm_helpers& f = Frm_helpers_();
    f.Show();
    f.Pic_text.ScaleMode(forms::vbPixels);
    const int16_t size = Max_Font(f.Pic_text, "12:34,56");
    EXPECT_GE(size, 8);
    EXPECT_LT(size, 110);
    EXPECT_EQ(f.Pic_text.FontName(), gdi::MapFontFamily("Arial"));
    EXPECT_LT(f.Pic_text.TextWidth("12:34,56"), f.Pic_text.ScaleWidth());
    // Two sizes up no longer fits (unless the size is already the largest).
    f.Pic_text.FontSize(size + 2);
    EXPECT_TRUE(vb_round(f.Pic_text.TextWidth("12:34,56")) >= f.Pic_text.ScaleWidth() ||
                vb_round(f.Pic_text.TextHeight("12:34,56")) >= f.Pic_text.ScaleHeight());
    EXPECT_EQ(Max_Font(f.Pic_text, std::string(400, 'W')), 8);

    const std::string text =
        "Heat 1 lane 3 did not finish; lane 5 disqualified after the finish judge's review.";
    Print_Wrapped_Text(f.Pic_text, text);
    EXPECT_TRUE(f.Pic_text.FontBold());
    EXPECT_EQ(f.Pic_text.FontName(), gdi::MapFontFamily("Ms Sans Serif"));
    gdi::HFONT font = Create_Font_Pt(12, 90, 0, "Arial", gdi::FW_BOLD);
    ASSERT_NE(font, nullptr);
    gdi::DeleteObject(font);
    f.Unload();
}

TEST(WindowHelpers, WrappedTextOnThePrinterKeepsEveryCharacter) {
    if (!test_env::have_tool("pdftotext")) GTEST_SKIP();
    const std::string pdf = test_env::make_dir("wrap") + "/wrap.pdf";
    setenv("TIDEWICK_PRINTER_PDF", pdf.c_str(), 1);
    const std::string text(300, 'x');
    Print_Wrapped_Text(forms::Printer(), text);
    forms::Printer().EndDoc();
    std::string out;
    ASSERT_EQ(test_env::run("pdftotext '" + pdf + "' -", &out), 0);
    size_t xs = 0, lines = 0;
    for (char c : out) {
        xs += c == 'x';
        lines += c == '\n';
    }
    EXPECT_EQ(xs, 300u);
    EXPECT_GT(lines, 1u); // wrapped
}

TEST(WindowCapture, PictureOfAWindow) {
    Frm_helpers& f = Frm_helpers_();
    f.Show();
    f.Width(8000); // 533.33 pixels at 15 twips per pixel
    const forms::Picture p = Capture_Form_Picture(f);
    EXPECT_EQ(p.Width(), 533);
    EXPECT_EQ(p.Height(), static_cast<int32_t>(f.Height() / 15.0 + 0.5));
    const forms::Picture part = Capture_Window(f.hWnd(), true, 10, 10, 50, 40);
    EXPECT_EQ(part.Width(), 50);
    EXPECT_EQ(part.Height(), 40);
    EXPECT_TRUE(Capture_Window(0, true, 0, 0, 10, 10).IsNull());

    forms::MemoryClipboard clip;
    forms::set_clipboard_service(&clip);
    f.SetFocus();
    QApplication::processEvents();
    Snapshot_To_Clipboard();
    forms::set_clipboard_service(nullptr);
    f.Unload();
}

} // namespace
