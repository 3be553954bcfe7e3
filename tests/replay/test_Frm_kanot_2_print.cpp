// Printing from the replay window as the operator does it: a results page,
// a single field and a series, each printed to PDF and read back by the
// poppler tools (pdftotext for the texts, pdftoppm for the pictures), and the
// same pages drawn into the print preview window; the file commands on a
// temporary folder.
#include "Frm_kanot_2.h"
#include "Replay_Test_Setup.h"

#include "Frm_results.h"

#include "Dialogs.h"
#include "Form_LCS_preview.h"
#include "Heat_Fixture.h"
#include "Make_Heat.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_lane_results.h"
#include "Module_print.h"
#include "Module_qfn_Globals.h"
#include "Printer.h"
#include "QtServices.h"
#include "Screen.h"
#include "Services.h"
#include "TestEnv.h"
#include "VbTrap.h"
#include "WinClock.h"
#include "Windows.h"
#include "cDIBSection.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The frames of the test heats: one flat colour, easy to find on a page.
const QColor kFrame_Colour(200, 30, 160);
const QColor kLogo_Blue(0x2D, 0x52, 0xA0); // the product logo's band

bool near(const QColor& a, const QColor& b, int tolerance = 45) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <
           tolerance;
}

using test_env::process_events;

// Bounding box of the pixels that pass the test.
template <class P> QRect bbox(const QImage& img, P pass) {
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pass(img.pixelColor(x, y))) {
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

// A page as an image with the twips of the print area mapped onto it: the
// page frame (the outermost dark lines) is the rectangle Print_Left,
// Print_Top to Print_Right, Print_Bottom, whatever margins the paper has.
struct Page {
    QImage img;
    QRect frame;
    double scale = 0; // pixels a twip
    explicit Page(QImage i) : img(std::move(i)) {
        frame = bbox(img, [](const QColor& c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; });
        scale = frame.width() / static_cast<double>(g_Print_Right - g_Print_Left);
    }
    QPointF at(double x_twips, double y_twips) const {
        return QPointF(frame.left() + (x_twips - g_Print_Left) * scale,
                       frame.top() + (y_twips - g_Print_Top) * scale);
    }
    // Share of the pixels of a small patch around a point that pass.
    template <class P> double share(QPointF p, P pass, int radius = 2) const {
        int n = 0, hits = 0;
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const QPoint q(static_cast<int>(p.x()) + dx, static_cast<int>(p.y()) + dy);
                if (!img.rect().contains(q)) continue;
                ++n;
                hits += pass(img.pixelColor(q));
            }
        return n ? static_cast<double>(hits) / n : 0;
    }
    // A rectangle in twips as fractions of the page frame.
    QRectF relative(const QRect& r) const {
        return QRectF((r.left() - frame.left()) / double(frame.width()),
                      (r.top() - frame.top()) / double(frame.height()), r.width() / double(frame.width()),
                      r.height() / double(frame.height()));
    }
};

bool is_frame(const QColor& c) {
    return near(c, kFrame_Colour);
}
bool is_logo(const QColor& c) {
    return near(c, kLogo_Blue, 30);
}

class Printing : public ::testing::Test {
protected:
    void SetUp() override {
        dir = Set_Up_Replay_Test(clock);
        Collect_Error_Reports(reports);
        Release_Replay_Video_File();
        test_env::dialogs().clear();
        pdf_path = dir + "/page.pdf";
        pdf = std::make_unique<forms::PdfPrinter>(pdf_path);
        forms::set_printer_service(pdf.get());
        g_Event_Name = "Regatta";
        g_Print_Target = nullptr;
        Frm_kanot_2().Show();
        g_Event_Name = "Regatta"; // after the load, which reads it from the settings
        ::Check_Printer();
        g_Print_Left = 0.05f * static_cast<float>(g_Page_Width);
        g_Print_Top = 0.02f * static_cast<float>(g_Page_Height);
        g_Print_Right = 0.95f * static_cast<float>(g_Page_Width);
        g_Print_Bottom = 0.95f * static_cast<float>(g_Page_Height);
        process_events();
    }
    void TearDown() override {
        Frm_kanot_2().Unload();
        Form_LCS_preview().Unload();
        Release_Replay_Video_File();
        forms::set_printer_service(nullptr);
        forms::set_work_area_override(-1);
        g_Print_Target = nullptr;
        g_Print_Preview_On = false;
        win::set_clock(nullptr);
    }
    std::string make(const std::string& name, int32_t frames, int32_t width = 160, int32_t height = 120) {
        make_heat::Heat_Recipe recipe = heat_fixture::Small_Recipe(dir + "/" + name);
        recipe.width = width;
        recipe.height = height;
        recipe.slot_size = 0;
        recipe.fill = [](cDIBSection& dib, int32_t) {
            uint8_t* p = dib.DIBSectionBitsPtr();
            for (int32_t i = 0; i + 2 < dib.SizeImage(); i += 3) {
                p[i] = static_cast<uint8_t>(kFrame_Colour.blue());
                p[i + 1] = static_cast<uint8_t>(kFrame_Colour.green());
                p[i + 2] = static_cast<uint8_t>(kFrame_Colour.red());
            }
        };
        return heat_fixture::Make_Small_Heat(recipe, frames);
    }
    void attach(int16_t lane, int32_t field, int32_t code = 0) {
        auto& w = Frm_kanot_2();
        w.Slider_play.Value(field);
        w.Slider_play_Scroll();
        bool plus = false;
        w.Attach_Time(lane, code, plus);
        clock.advance(10);
    }
    // The heat with lanes 2, 4, 1 and 6 timed and lane 3 disqualified.
    void heat_with_results() {
        Open_In_Replay_Window(make("Heat7_b.qf3", 8));
        attach(2, 4);
        attach(4, 6);
        attach(1, 8);
        attach(6, 10);
        attach(3, 12, Result_Disqualified);
    }
    // The PDF's text, each run of blanks as one blank (the text tool spaces
    // columns by their places on the page).
    std::string pdf_text() {
        std::string out;
        EXPECT_EQ(test_env::run("pdftotext -layout '" + pdf_path + "' - 2>&1", &out), 0) << out;
        return squeeze(out);
    }
    static std::string squeeze(const std::string& text) {
        std::string out;
        for (char ch : text)
            if (!(ch == ' ' && !out.empty() && out.back() == ' ')) out += ch;
        return out;
    }
    QImage pdf_page() {
        std::string out;
        const std::string base = dir + "/page";
        EXPECT_EQ(
            test_env::run("pdftoppm -r 96 -png -singlefile '" + pdf_path + "' '" + base + "' 2>&1", &out), 0)
            << out;
        return QImage(QString::fromStdString(base + ".png")).convertToFormat(QImage::Format_RGB32);
    }
    QImage preview_page() {
        return Form_LCS_preview().Picture_show.Image().image().convertToFormat(QImage::Format_RGB32);
    }
    // Prints one page to the PDF and the same page into the preview.
    template <class F> std::pair<Page, Page> both(F print) {
        fs::remove(pdf_path);
        Set_Print_Preview(false);
        print();
        EXPECT_TRUE(fs::exists(pdf_path));
        Page paper(pdf_page());
        Set_Print_Preview(true);
        print();
        process_events();
        Page preview(preview_page());
        return {paper, preview};
    }

    win::FakeClock clock{5000};
    std::vector<std::string> reports;
    std::string dir, pdf_path;
    std::unique_ptr<forms::PdfPrinter> pdf;
};

void expect_same_place(const Page& a, const Page& b, const QRect& ra, const QRect& rb, const char* what) {
    const QRectF x = a.relative(ra), y = b.relative(rb);
    EXPECT_NEAR(x.left(), y.left(), 0.02) << what;
    EXPECT_NEAR(x.top(), y.top(), 0.02) << what;
    EXPECT_NEAR(x.right(), y.right(), 0.02) << what;
    EXPECT_NEAR(x.bottom(), y.bottom(), 0.02) << what;
}

// ---- The page itself ----

TEST_F(Printing, PageSizeComesFromThePrinterOrTheFallback) {
    EXPECT_EQ(g_Printer_Count, 1);
    EXPECT_NEAR(g_Page_Width, 11906, 10) << "A4 from the PDF printer";
    EXPECT_NEAR(g_Page_Height, 16838, 10);
    forms::NoPrinter none;
    forms::set_printer_service(&none);
    g_Print_Footer = "old";
    ::Check_Printer();
    EXPECT_EQ(g_Printer_Count, 0);
    EXPECT_EQ(g_Page_Width, 11904);
    EXPECT_EQ(g_Page_Height, 16834);
    Make_Print_Footer();
    EXPECT_EQ(g_Print_Footer, "") << "no printer: no footer, not an old one";
}

TEST_F(Printing, SwedishLettersBecomePlainOnes) {
    const struct {
        std::string in, out;
    } cases[] = {{"Regatta Heat A1 Single", "Regatta Heat A1 Single"},
                 {"Åsa Björk", "Asa Bjork"},
                 {"åäöÅÄÖ", "aaoAAO"},
                 {"Ängö-Ö", "Ango-O"},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(Replace_Swedish_Letters(c.in), c.out) << c.in;
}

TEST_F(Printing, TheFooterTakesTheTimeWhenEachJobStarts) {
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    Set_Print_Preview(false);
    clock.set_wall(std::chrono::system_clock::from_time_t(1700000000));
    Print_Results(false);
    const std::string first = g_Print_Footer;
    clock.advance(3600 * 1000);
    Print_Results(false);
    EXPECT_NE(g_Print_Footer, first);
    EXPECT_EQ(g_Print_Footer.rfind("Printed by " + g_Program_Title + " at: ", 0), 0u) << g_Print_Footer;
    EXPECT_NE(g_Print_Footer.find(" /Printer: PDF"), std::string::npos) << g_Print_Footer;
    EXPECT_NE(pdf_text().find(g_Print_Footer.substr(0, 30)), std::string::npos);
}

// ---- Results page ----

TEST_F(Printing, AResultsPageOnPaperAndInThePreview) {
    heat_with_results();
    const auto [paper, preview] = both([] { Frm_kanot_2().Handle_Print_results(); });
    const std::string text = pdf_text();
    for (const char* expected : {"Results for Heat: Heat 1", "Place Lane Time Diff.",
                                 "File name: ", "File created at: ", "Printed by"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_NE(text.find("Synthetic regatta"), std::string::npos)
        << "the open file's event name heads the page";
    EXPECT_NE(text.find(" 5 3 Disqualified"), std::string::npos) << text;
    EXPECT_NE(text.find(squeeze(" 1 2 " + Frm_kanot_2().Results_Shown.time[0] + " " +
                                Frm_kanot_2().Results_Shown.delta[0])),
              std::string::npos)
        << text;
    EXPECT_EQ(forms::App().Title(), g_Saved_App_Title) << "the job's title is given back at its end";
    EXPECT_EQ(g_Print_Title, "Regatta Heat: Heat 1 Results");

    // The product logo at the top right, 100 twips inside the frame, in both.
    const QRect logo_paper = bbox(paper.img, is_logo), logo_preview = bbox(preview.img, is_logo);
    ASSERT_FALSE(logo_paper.isNull());
    ASSERT_FALSE(logo_preview.isNull());
    EXPECT_NEAR(paper.frame.right() - logo_paper.right(), 100 * paper.scale, 3);
    expect_same_place(paper, preview, logo_paper, logo_preview, "product logo");
    EXPECT_TRUE(bbox(paper.img, is_frame).isNull()) << "a results page has no frames";
    paper.img.save(QString::fromStdString(test_env::output_dir() + "/print_results_pdf.png"));
    ASSERT_TRUE(Form_LCS_preview().Grab().SavePng(test_env::output_dir() + "/print_preview_results.png"));
}

// The file block is as wide as its widest line and ends 100 twips inside the
// page frame: after a short file name the dates are its widest line, after a
// long one the name's second line may be.
TEST_F(Printing, TheFileBlockHoldsItsWidestLine) {
    // The right end of the block's words on the PDF page, in points (20 twips).
    auto block_end = [&] {
        std::string out;
        EXPECT_EQ(test_env::run("pdftotext -bbox '" + pdf_path + "' - 2>&1", &out), 0) << out;
        const std::regex word(
            R"re(<word xMin="[0-9.]+" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
        struct Word {
            double y, right;
            std::string text;
        };
        std::vector<Word> words;
        for (auto it = std::sregex_iterator(out.begin(), out.end(), word); it != std::sregex_iterator(); ++it)
            words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
        double top = -1, bottom = -1, end = 0;
        for (const Word& w : words) {
            if (w.text == "name:") top = w.y;
            if (w.text == "modified") bottom = w.y;
        }
        EXPECT_GE(top, 0) << out;
        EXPECT_GE(bottom, top) << out;
        for (const Word& w : words)
            if (w.y > top - 1 && w.y < bottom + 1) end = std::max(end, w.right);
        return end;
    };
    const double limit = (g_Print_Right - 100) / 20.0;
    Set_Print_Preview(false);
    const std::string long_name =
        make("Heat3_a_with_a_name_long_enough_to_need_a_second_line_that_is_longer.qf3", 3);
    const std::string short_name = "/tmp/tw" + std::to_string(::getpid()) + ".qf3";
    fs::copy_file(long_name, short_name, fs::copy_options::overwrite_existing);
    ASSERT_LT(("File name: " + short_name).size(), 40u);
    for (const std::string& name : {long_name, short_name}) {
        SCOPED_TRACE(name);
        Open_In_Replay_Window(name);
        fs::remove(pdf_path);
        Print_Results(false);
        const double end = block_end();
        EXPECT_LE(end, limit + 1.0) << "the block's text stays inside its frame";
        EXPECT_GT(end, limit - 25.0) << "the block is no wider than its widest line";
        Frm_kanot_2().Close_File();
    }
    fs::remove(short_name);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(Printing, TheResultsWindowsRowsArePrintedUpToTheFirstEmptyPlace) {
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    // The rows as the results window beside the replay window shows them.
    const std::vector<Print_Row> shown = {{"1", "4", "00:01,00", "+0,00"},
                                          {"2", "7", "DNF", ""},
                                          {"3", "2", "DNS", ""},
                                          {"", "9", "00:09,00", "+8,00"},
                                          {"5", "1", "00:10,00", "+9,00"}};
    auto& results = Frm_results();
    for (int32_t i = 0; i < static_cast<int32_t>(shown.size()); ++i) {
        results.Lbl_result_rank(i).Caption(shown[static_cast<size_t>(i)].place);
        results.Lbl_result_lane(i).Caption(shown[static_cast<size_t>(i)].lane);
        results.Lbl_result_time(i).Caption(shown[static_cast<size_t>(i)].time);
        results.Lbl_result_delta_time(i).Caption(shown[static_cast<size_t>(i)].delta);
    }
    Set_Print_Preview(false);
    Print_Results(false);
    const std::string text = pdf_text();
    EXPECT_NE(text.find(" 1 4 00:01,00 +0,00"), std::string::npos) << text;
    EXPECT_NE(text.find(" 2 7 Did not finish"), std::string::npos) << text;
    EXPECT_NE(text.find(" 3 2 Did not start"), std::string::npos) << text;
    EXPECT_EQ(text.find("00:09,00"), std::string::npos) << "an empty place ends the table";
    EXPECT_EQ(text.find("00:10,00"), std::string::npos);
}

TEST_F(Printing, TheLapAndThePlaceAreDrawnIntoThePicture) {
    // Tall enough for the lap's line at 92 % of the height.
    Open_In_Replay_Window(make("Heat3_a.qf3", 3, 200, 600));
    auto& w = Frm_kanot_2();
    auto count = [&](auto pass) {
        const QImage img = w.Picture_large.Image().image();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += pass(img.pixelColor(x, y));
        return n;
    };
    auto green = [](const QColor& c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; };
    auto white = [](const QColor& c) { return c.red() > 230 && c.green() > 230 && c.blue() > 230; };
    const int green_before = count(green), white_before = count(white);
    w.Overlay_Lap(0);
    EXPECT_EQ(count(green), green_before) << "lap 0 draws nothing";
    w.Overlay_Lap(2);
    EXPECT_GT(count(green), green_before);
    w.Print_Place_string("1");
    EXPECT_GT(count(white), white_before);
}

// ---- A single field ----

TEST_F(Printing, ASingleFieldFillsThePageBelowItsHeading) {
    heat_with_results();
    Frm_kanot_2().Slider_play.Value(7);
    Frm_kanot_2().Slider_play_Scroll();
    const auto [paper, preview] = both([] { Frm_kanot_2().Handle_Print_Single(); });
    const std::string text = pdf_text();
    EXPECT_NE(text.find("Heat = Heat 1"), std::string::npos) << text;
    EXPECT_NE(text.find("Video field no: 7"), std::string::npos) << text;
    EXPECT_EQ(g_Print_Title, "Regatta Heat Heat 1 Single");

    const QRect pic_paper = bbox(paper.img, is_frame), pic_preview = bbox(preview.img, is_frame);
    ASSERT_FALSE(pic_paper.isNull());
    ASSERT_FALSE(pic_preview.isNull());
    EXPECT_GT(pic_paper.top(), paper.at(0, Page_Head_Bottom).y()) << "the picture leaves the file block free";
    // Left at Print_Left + 100, from under the two text lines down to 100
    // above the footer (or as wide as the print area allows).
    const QPointF corner = paper.at(g_Print_Left + 100, 0);
    EXPECT_NEAR(pic_paper.left(), corner.x(), 3);
    const double footer_y = paper.at(0, Frm_kanot_2().Footer_Position).y();
    EXPECT_LT(pic_paper.bottom(), footer_y);
    const double aspect =
        Frm_kanot_2().Picture_large.ScaleHeight() / Frm_kanot_2().Picture_large.ScaleWidth();
    EXPECT_NEAR(pic_paper.height() / double(pic_paper.width()), aspect, 0.05);
    const bool fills_height = footer_y - pic_paper.bottom() < 120 * paper.scale;
    const bool fills_width = paper.at(g_Print_Right - 100, 0).x() - pic_paper.right() < 5;
    EXPECT_TRUE(fills_height || fills_width) << "the picture is as large as the page allows";
    expect_same_place(paper, preview, pic_paper, pic_preview, "the field");
    paper.img.save(QString::fromStdString(test_env::output_dir() + "/print_single_pdf.png"));
}

// ---- A series ----

TEST_F(Printing, ASeriesFillsItsColumnsAndStopsAtTheFirstCode) {
    heat_with_results();
    const auto [paper, preview] = both([] { Frm_kanot_2().Handle_Print_Series(); });
    EXPECT_NE(pdf_text().find("Results for Heat: Heat 1"), std::string::npos);
    auto& w = Frm_kanot_2();
    // Four timed lanes: three columns, places 1-3 on the first row, 4 below;
    // the disqualified lane gets no print.
    const float W = std::floor(g_Print_Right - g_Print_Left);
    const int16_t pw = static_cast<int16_t>(std::floor(W / 3.1f));
    const double aspect = w.Picture_large.ScaleHeight() / w.Picture_large.ScaleWidth();
    const int16_t ph = static_cast<int16_t>(std::nearbyint(pw * aspect));
    EXPECT_EQ(w.Num_X_prints(pw), 3);
    for (const Page* page : {&paper, &preview}) {
        SCOPED_TRACE(page == &paper ? "paper" : "preview");
        auto print_at = [&](int r, int c) {
            const double x = (pw * 1.05) * (c - 1) + g_Print_Left,
                         y = (ph * 1.05) * (r - 1) + Results_Table_End;
            return page->share(page->at(x + 0.3 * pw, y + 0.3 * ph), is_frame);
        };
        EXPECT_GT(print_at(1, 1), 0.5);
        EXPECT_GT(print_at(1, 2), 0.5);
        EXPECT_GT(print_at(1, 3), 0.5);
        EXPECT_GT(print_at(2, 1), 0.5);
        EXPECT_EQ(print_at(2, 2), 0.0) << "place 5 is a code: the series ends";
        // The third column reaches the print area's right edge.
        const QRect all = bbox(page->img, is_frame);
        EXPECT_NEAR(all.right(), page->at(g_Print_Right, 0).x(), 3);
        EXPECT_LT(all.bottom(), page->at(0, w.Footer_Position).y()) << "the prints stay above the footer";
    }
    expect_same_place(paper, preview, bbox(paper.img, is_frame), bbox(preview.img, is_frame), "the series");
    paper.img.save(QString::fromStdString(test_env::output_dir() + "/print_series_pdf.png"));
    ASSERT_TRUE(Form_LCS_preview().Grab().SavePng(test_env::output_dir() + "/print_preview_series.png"));
}

// After a series the window shows the field it showed before, without a
// place number painted into it: a single print that follows prints that field.
TEST_F(Printing, ASeriesLeavesTheFieldShownBefore) {
    heat_with_results();
    auto& w = Frm_kanot_2();
    w.Slider_play.Value(3);
    w.Slider_play_Scroll();
    const QImage before = w.Picture_large.Image().image().convertToFormat(QImage::Format_RGB32);
    both([] { Frm_kanot_2().Handle_Print_Series(); });
    EXPECT_EQ(w.Slider_play.Value(), 3);
    const QImage after = w.Picture_large.Image().image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(after, before) << "no place number left in the picture";
    test_env::screenshot(w, "print_series_after");
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(Printing, NColumnsWithTheirGapsFillTheWidth) {
    auto& w = Frm_kanot_2();
    const float W = std::floor(g_Print_Right - g_Print_Left);
    for (int n = 3; n <= 10; ++n) {
        const auto pw = static_cast<int16_t>(std::floor(W / (1.05f * n - 0.05f)));
        EXPECT_EQ(w.Num_X_prints(pw), n) << n;
        EXPECT_GT((pw * 1.05) * (n - 1) + pw, W - 1.05 * n) << "the last column ends at the right edge";
    }
}

// ---- Without a printer ----

TEST_F(Printing, WithoutAPrinterThePreviewShowsTheFallbackPage) {
    forms::NoPrinter none;
    forms::set_printer_service(&none);
    // A station without a printer from the start: the windows load without one.
    Frm_results().Unload();
    Frm_kanot_2().Unload();
    Frm_kanot_2().Show();
    ::Check_Printer();
    g_Print_Left = 0.05f * static_cast<float>(g_Page_Width);
    g_Print_Top = 0.02f * static_cast<float>(g_Page_Height);
    g_Print_Right = 0.95f * static_cast<float>(g_Page_Width);
    g_Print_Bottom = 0.95f * static_cast<float>(g_Page_Height);
    forms::set_screen_override(1366, 768);
    forms::set_work_area_override(40);
    Form_LCS_preview().Unload(); // loaded with the main window, on the real screen
    heat_with_results();
    // The results window beside the replay window offers the preview alone.
    ASSERT_TRUE(Frm_results().IsLoaded());
    EXPECT_FALSE(Frm_results().Opt_printer(1).Enabled()) << "no printer to choose";
    Frm_kanot_2().Handle_Print_results();
    process_events();
    auto& p = Form_LCS_preview();
    EXPECT_TRUE(p.Visible());
    EXPECT_NEAR(p.Picture_page.Width(), 11904, 15) << "to the pixel";
    EXPECT_NEAR(p.Picture_page.Height(), 16834, 15);
    // The window keeps the page's proportions at the work area's height.
    EXPECT_NEAR(p.Height(), (768 - 40) * 15, 90) << "within the window's frame";
    EXPECT_NEAR(p.Width() / double(p.Height()), 11904.0 / 16834, 0.01);
    const Page preview(preview_page());
    EXPECT_FALSE(bbox(preview.img, is_logo).isNull());
    ASSERT_TRUE(p.Grab().SavePng(test_env::output_dir() + "/print_preview_window.png"));
    forms::set_screen_override(0, 0);
}

TEST_F(Printing, PrintCommandsWithoutAFileDoNothing) {
    Set_Print_Preview(false);
    for (auto command : {&Frm_kanot_2::Handle_Print_Single, &Frm_kanot_2::Handle_Print_results,
                         &Frm_kanot_2::Handle_Print_Series}) {
        test_env::dialogs().clear();
        (Frm_kanot_2().*command)();
        EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No file open!"});
    }
    EXPECT_FALSE(fs::exists(pdf_path));
}

TEST_F(Printing, APrinterErrorStopsThePageWithAMessage) {
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    Set_Print_Preview(false);
    forms::NoPrinter none;
    forms::set_printer_service(&none); // the printer went away after the choice
    bool done = true;
    Print_Static_Content(done);
    EXPECT_FALSE(done);
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Printer error"});
    EXPECT_TRUE(reports.empty());
}

// ---- Event logo ----

TEST_F(Printing, TheEventLogoIsLoadedWhenItsFileExists) {
    auto& w = Frm_kanot_2();
    const std::string logo = dir + "/logo.png";
    QImage img(200, 50, QImage::Format_RGB32);
    img.fill(QColor(0, 160, 0));
    img.save(QString::fromStdString(logo));
    Write_Ini("Canoe", "event_logo", dir + "/missing.png", g_Ini_File_Path);
    w.Load_logo();
    EXPECT_FALSE(g_Event_Logo_Found);
    test_env::dialogs().answer_file(std::nullopt);
    w.item_select_logo_file_Click();
    EXPECT_EQ(Read_Ini("Canoe", "event_logo", g_Ini_File_Path, ""), dir + "/missing.png")
        << "Cancel keeps it";
    ASSERT_EQ(test_env::dialogs().files_shown.size(), 1u);
    EXPECT_EQ(test_env::dialogs().files_shown[0].title, "Select Logo File");
    test_env::dialogs().answer_file(logo);
    w.item_select_logo_file_Click();
    EXPECT_TRUE(g_Event_Logo_Found);
    EXPECT_EQ(Read_Ini("Canoe", "event_logo", g_Ini_File_Path, ""), logo);
    const QImage shown = w.Picture_logo.Image().image();
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(0, 160, 0));
    // On the page the logo takes the event name's place.
    Open_In_Replay_Window(make("Heat3_a.qf3", 3));
    Set_Print_Preview(false);
    Print_Results(false);
    const Page paper(pdf_page());
    const QRect green = bbox(paper.img, [](const QColor& c) { return near(c, QColor(0, 160, 0)); });
    ASSERT_FALSE(green.isNull());
    EXPECT_NEAR(green.left(), paper.at(g_Print_Left + 100, 0).x(), 3);
    EXPECT_EQ(pdf_text().find("Synthetic regatta"), std::string::npos);
}

// ---- File commands ----

TEST_F(Printing, RenamingTheOpenHeat) {
    const struct {
        std::optional<std::string> answer;
        std::string expected_name; // the file the window shows afterwards
        std::vector<std::string> messages;
    } cases[] = {
        {std::nullopt, "Heat5_a.qf3", {}},
        {"", "Heat5_a.qf3", {}},
        {"  ", "Heat5_a.qf3", {}},
        {"Heat5_a.qf3", "Heat5_a.qf3", {}},
        {"Heat5_other.qf3", "Heat5_a.qf3", {"New file already exists!"}},
        {"Heat5_final", "Heat5_final.qf3", {}},
        {"Heat5_kept.mov", "Heat5_kept.mov", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.value_or("<cancel>"));
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() != ".ini") fs::remove(e.path());
        const std::string path = make("Heat5_a.qf3", 3);
        make("Heat5_other.qf3", 2);
        Open_In_Replay_Window(path);
        auto& w = Frm_kanot_2();
        test_env::dialogs().clear();
        test_env::dialogs().answer_input(c.answer);
        w.item_rename_file_Click();
        ASSERT_EQ(test_env::dialogs().shown.size(), 1u + c.messages.size());
        EXPECT_EQ(test_env::dialogs().shown[0].prompt, "New filename?");
        EXPECT_EQ(test_env::dialogs().shown[0].title, "Name change");
        EXPECT_EQ(test_env::dialogs().shown[0].default_text, path);
        EXPECT_EQ(test_env::dialogs().prompts(), c.messages);
        const std::string now = dir + "/" + c.expected_name;
        EXPECT_TRUE(fs::exists(now));
        EXPECT_EQ(fs::exists(path), now == path);
        EXPECT_TRUE(fs::exists(dir + "/Heat5_other.qf3")) << "never replaced";
        EXPECT_EQ(w.File_Name_Field, now);
        EXPECT_EQ(w.Caption(), "Tidewick Video Replay " + c.expected_name);
        EXPECT_TRUE(Replay_File_Open());
        // Writing the header goes to the renamed file and makes none under the old name.
        attach(1, 2);
        EXPECT_EQ(fs::exists(path), now == path);
        EXPECT_TRUE(reports.empty()) << reports.front();
    }
}

TEST_F(Printing, RenamingTheSettingsFileChangesOnlyItsSuffix) {
    const std::string folder = test_env::make_dir("inifolder_with_ini");
    g_Ini_File_Path = folder + "/Tidewick_HDMI.ini";
    test_env::write_file(g_Ini_File_Path, "[Canoe]\n");
    Frm_kanot_2().item_rename_ini_Click();
    EXPECT_FALSE(fs::exists(g_Ini_File_Path));
    EXPECT_TRUE(fs::exists(folder + "/Tidewick_HDMI.inx"));
    // A second rename onto an existing ".inx" is refused.
    test_env::write_file(g_Ini_File_Path, "[Canoe]\n");
    Frm_kanot_2().item_rename_ini_Click();
    EXPECT_TRUE(fs::exists(g_Ini_File_Path));
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"New file already exists!"});
}

TEST_F(Printing, DeletingTheOpenHeat) {
    const struct {
        int32_t answer;
        bool deleted;
    } cases[] = {{forms::vbNo, false}, {forms::vbYes, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        fs::remove(dir + "/Heat8_a.qf3");
        const std::string path = make("Heat8_a.qf3", 3);
        const std::string other = make("Heat8_b.qf3", 2);
        fs::remove(other);
        make("Heat8_b.qf3", 2);
        Open_In_Replay_Window(path);
        test_env::dialogs().clear();
        test_env::dialogs().answer_msg(c.answer);
        Frm_kanot_2().item_Delete_File_Click();
        ASSERT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"Delete file " + path + "?"});
        EXPECT_EQ(fs::exists(path), !c.deleted);
        EXPECT_EQ(Replay_File_Open(), !c.deleted);
        EXPECT_TRUE(fs::exists(other));
        fs::remove(other);
    }
    // Without a heat nothing is asked and nothing deleted.
    test_env::dialogs().clear();
    Frm_kanot_2().item_Delete_File_Click();
    EXPECT_EQ(test_env::dialogs().prompts(), std::vector<std::string>{"No file open!"});
    EXPECT_TRUE(reports.empty());
}

TEST_F(Printing, OpeningTheNewestHeats) {
    const std::string older = make("Heat1_a.qf3", 2);
    const std::string newer = make("Heat2_a.qf3", 2);
    fs::last_write_time(older, fs::file_time_type::clock::now() - std::chrono::hours(1));
    Write_Ini("Canoe", "last_dir", dir, g_Ini_File_Path);
    auto& w = Frm_kanot_2();
    w.Update_Recent_Files();
    EXPECT_EQ(w.item_Open_Newest(0).Caption(), "Heat2_a.qf3");
    EXPECT_EQ(w.item_Open_Newest(1).Caption(), "Heat1_a.qf3");
    w.item_Open_Newest_Click(2); // an empty item opens nothing
    EXPECT_FALSE(Replay_File_Open());
    w.item_Open_Newest_Click(0);
    EXPECT_EQ(w.File_Name_Field, newer);
    // The last finished heat.
    g_Last_Captured_File = older;
    w.item_open_last_Click();
    EXPECT_EQ(w.File_Name_Field, older);
}

TEST_F(Printing, ThePrinterTestPrintsTwoLinesUnderALongJobName) {
    Frm_kanot_2().item_printer_test_Click();
    const std::string text = pdf_text();
    EXPECT_NE(text.find("Testing A,B,C"), std::string::npos);
    EXPECT_NE(text.find("Testing 1,2,3"), std::string::npos);
    std::string info;
    test_env::run("pdfinfo '" + pdf_path + "' 2>&1", &info);
    EXPECT_EQ(forms::App().Title(), g_Saved_App_Title);
}

} // namespace
