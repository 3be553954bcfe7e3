// One page drawn through the drawing surface into the PDF printer and into a
// picture box: the page as pdftoppm renders it and the picture agree at the
// layout's places, and pdftotext finds the printed text.
#include "DrawingSurface.h"
#include "Form.h"
#include "PictureBox.h"
#include "Printer.h"
#include "TestEnv.h"
#include "VbError.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

// A results-page layout in twips: a red anchor block, a blue block, a green
// ring, a heading and a line of text.
void Draw_Page(forms::DrawingSurface& s) {
    s.Line(720, 720, 1440, 1440, kRed, 2);
    s.Line(4320, 1440, 5760, 2160, kBlue, 2);
    s.DrawWidth(3);
    s.Circle(2880, 2880, 600, kGreen);
    s.DrawWidth(1);
    s.FontName("Arial");
    s.FontSize(14);
    s.FontBold(true);
    s.FontUnderline(true);
    s.CurrentX(720);
    s.CurrentY(3960);
    s.Print("Heat 7 results");
    s.FontBold(false);
    s.FontUnderline(false);
    s.FontItalic(true);
    s.FontSize(10);
    s.CurrentX(720);
    s.Print("Lane 3   00:41.27");
}

class Frm_preview : public forms::Form {
public:
    Frm_preview() : Form("Frm_preview") {}
    forms::PictureBox Picture_page{this, "Picture_page"};

protected:
    void Design() override {
        Move(0, 0, 9000, 7500);
        Picture_page.Move(0, 0, 8400, 6600); // twips, the printer's scale
        Picture_page.BackColor(0xFFFFFF);
        Picture_page.Cls();
    }
};

// The bounding box of the pixels where the colour's one channel dominates
// (thin printed lines come out pale).
QRect Find(const QImage& img, QRgb colour) {
    QRect r;
    const auto channel = [colour](QRgb p) {
        return qRed(colour)     ? qRed(p) - std::max(qGreen(p), qBlue(p))
               : qGreen(colour) ? qGreen(p) - std::max(qRed(p), qBlue(p))
                                : qBlue(p) - std::max(qRed(p), qGreen(p));
    };
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (channel(img.pixel(x, y)) > 60) r |= QRect(x, y, 1, 1);
    return r;
}

TEST(DrawingSurface, PrintedPageAndPreviewAgree) {
    if (!test_env::have_tool("pdftoppm") || !test_env::have_tool("pdftotext"))
        GTEST_SKIP() << "poppler-utils";
    const std::string dir = test_env::make_dir("surface");
    forms::PdfPrinter pdf(dir + "/page.pdf");
    forms::set_printer_service(&pdf);
    Draw_Page(forms::Printer());
    forms::Printer().EndDoc();
    forms::set_printer_service(nullptr);
    // 96 dots an inch: a pixel is 15 twips on paper as on screen.
    ASSERT_EQ(test_env::run("pdftoppm -r 96 -png -singlefile " + dir + "/page.pdf " + dir + "/page"), 0);
    const QImage page(QString::fromStdString(dir + "/page.png"));
    ASSERT_FALSE(page.isNull());
    std::string text;
    test_env::run("pdftotext " + dir + "/page.pdf -", &text);
    EXPECT_NE(text.find("Heat 7 results"), std::string::npos) << text;
    EXPECT_NE(text.find("Lane 3"), std::string::npos) << text;

    auto& f = forms::Instance<Frm_preview>();
    Draw_Page(f.Picture_page);
    const QImage picture = f.Picture_page.Image().image();
    picture.save(QString::fromStdString(test_env::output_dir() + "/surface_preview.png"));

    // The paper's origin is its printable area's corner; place both by the anchor.
    const QRect red_page = Find(page, qRgb(255, 0, 0)), red_pic = Find(picture, qRgb(255, 0, 0));
    ASSERT_FALSE(red_page.isEmpty());
    ASSERT_FALSE(red_pic.isEmpty());
    EXPECT_EQ(red_pic.topLeft(), QPoint(48, 48));
    EXPECT_NEAR(red_page.width(), red_pic.width(), 1);
    EXPECT_NEAR(red_page.height(), red_pic.height(), 1);
    for (QRgb c : {qRgb(0, 0, 255), qRgb(0, 255, 0)}) {
        const QRect on_page = Find(page, c).translated(-red_page.topLeft());
        const QRect on_pic = Find(picture, c).translated(-red_pic.topLeft());
        ASSERT_FALSE(on_pic.isEmpty()) << std::hex << c;
        EXPECT_NEAR(on_page.left(), on_pic.left(), 2) << std::hex << c;
        EXPECT_NEAR(on_page.top(), on_pic.top(), 2) << std::hex << c;
        EXPECT_NEAR(on_page.right(), on_pic.right(), 2) << std::hex << c;
        EXPECT_NEAR(on_page.bottom(), on_pic.bottom(), 2) << std::hex << c;
    }
    // The text starts at the same place below the anchor on both.
    const auto ink_top = [](const QImage& img, const QRect& anchor) {
        for (int y = anchor.top() + 3960 / 15 - 48 - 4; y < img.height(); ++y)
            for (int x = anchor.left(); x < anchor.left() + 200; ++x)
                if (qGray(img.pixel(x, y)) < 100) return y - anchor.top();
        return -1;
    };
    EXPECT_NEAR(ink_top(page, red_page), ink_top(picture, red_pic), 3);
}

TEST(DrawingSurface, NoPrinterRaises482) {
    forms::NoPrinter none;
    forms::set_printer_service(&none);
    EXPECT_EQ(forms::Printers_Count(), 0);
    try {
        forms::Printer().Print("x");
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 482);
    }
    forms::set_printer_service(nullptr);
}

} // namespace
