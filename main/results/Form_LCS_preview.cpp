#include "Form_LCS_preview.h"

#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "Screen.h"
#include "VbConvert.h"

namespace {

// The page when no printer tells its size: A4 in twips.
constexpr int32_t kFallback_Page_Width = 11904;
constexpr int32_t kFallback_Page_Height = 16834;

int32_t page_width() {
    return g_Page_Width > 0 ? g_Page_Width : kFallback_Page_Width;
}
int32_t page_height() {
    return g_Page_Height > 0 ? g_Page_Height : kFallback_Page_Height;
}

} // namespace

class Form_LCS_preview& Form_LCS_preview() {
    return forms::Instance<class Form_LCS_preview>();
}

Form_LCS_preview::Form_LCS_preview() : Form("Form_LCS_preview") {}

void Form_LCS_preview::Design() {
    Caption("Print preview");
    ScaleMode(forms::vbTwips);
    Picture_page.ScaleMode(forms::vbTwips);
    Picture_page.BackColor(0x00FFFFFF);
    Picture_page.Visible(false);
    Picture_page.Move(0, 0, page_width(), page_height());
    Picture_show.ScaleMode(forms::vbPixels);
    Picture_show.BackColor(0x00FFFFFF);
    Picture_show.Move(0, 0, 6000, 8000);
}

void Form_LCS_preview::Form_Load() {
    Send_Trace("Screen dimensions = " + vb::CStr(forms::Screen_Width() / forms::Screen_TwipsPerPixelX()) +
               "," + vb::CStr(forms::Screen_Height() / forms::Screen_TwipsPerPixelY()));
    // The whole page when the screen's work area holds it; else the page's
    // proportions at the work area's height.
    double w = page_width(), h = page_height();
    const double work = forms::Screen_Work_Area_Height();
    if (work < h) {
        w = w * work / h;
        h = work;
    }
    Move(0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h));
    Prepare_Page();
}

void Form_LCS_preview::Form_Resize() {
    Picture_show.Move(0, 0, ScaleWidth(), ScaleHeight());
}

void Form_LCS_preview::Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) {
    (void)Cancel, (void)UnloadMode;
}

void Form_LCS_preview::Prepare_Page() {
    Picture_page.Move(0, 0, page_width(), page_height());
    Picture_page.Cls();
}

void Form_LCS_preview::Show_Page() {
    Picture_show.Cls();
    Show();
    Form_Resize();
    const forms::Picture page = Picture_page.Image();
    Picture_show.PaintPicture(page, 0, 0, Picture_show.ScaleWidth(), Picture_show.ScaleHeight());
    Picture_show.Refresh();
}
