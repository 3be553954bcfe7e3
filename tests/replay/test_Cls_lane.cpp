// The lane mark: its hit test, its drawing on an overlay bitmap (geometry,
// colours by result, font by number width) and its failures.
#include "Cls_lane.h"
#include "ErrorOf.h"
#include "Gdi.h"
#include "Heat_Fixture.h"
#include "TestEnv.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "modAPIDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

using test_env::error_of;

constexpr gdi::COLORREF kRed = gdi::RGB(255, 0, 0);

// An overlay cleared to the key colour, as the replay window keeps it.
struct Overlay {
    cDIBSection dib;
    explicit Overlay(int32_t w = 500, int32_t h = 200) {
        EXPECT_TRUE(dib.Create(w, h));
        Rectangle_With_Pen_Brush(dib.hDC(), {0, 0}, {w, h}, static_cast<int32_t>(heat_fixture::kKey), 0,
                                 BS_SOLID, gdi::PS_SOLID, 1, static_cast<int32_t>(heat_fixture::kKey));
    }
    gdi::COLORREF at(int32_t x, int32_t y) const { return gdi::GetPixel(dib.hDC(), x, y); }
    // Pixels of a colour inside a rectangle (right and bottom included).
    int count(gdi::COLORREF c, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
        int n = 0;
        for (int32_t y = y1; y <= y2; ++y)
            for (int32_t x = x1; x <= x2; ++x)
                n += at(x, y) == c;
        return n;
    }
    void save(const std::string& name) { dib.SavePicture(test_env::output_dir() + "/" + name + ".bmp"); }
};

Cls_lane Mark(int16_t number, int32_t x, int32_t y, int32_t time = 0) {
    Cls_lane lane;
    lane.Lane_number(number);
    lane.Lane_pos_X(x);
    lane.Lane_pos_Y(y);
    lane.time(time);
    return lane;
}

TEST(Cls_lane, WithinIsTheOpenSquareOf25Pixels) {
    const Cls_lane lane = Mark(3, 100, 101);
    struct Case {
        float x, y;
        bool inside;
    };
    for (const Case c : {Case{100, 101, true},
                         {112, 101, true},
                         {112.5f, 101, false},
                         {87.5f, 101, false},
                         {87.6f, 101, true},
                         {100, 113.4f, true},
                         {100, 113.5f, false},
                         {100, 88.5f, false},
                         {112.4f, 113.4f, true},
                         {300, 101, false}})
        EXPECT_EQ(lane.Within(c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(Cls_lane, ClearRankForgetsTheResultAndKeepsTheMark) {
    Cls_lane lane = Mark(7, 40, 50, 61230);
    lane.click_time(-5000);
    lane.Field(40000); // beyond 16 bits: a heat of more than 16383 frames
    EXPECT_EQ(lane.Field(), 40000);
    EXPECT_EQ(lane.click_time(), -5000);
    lane.Clear_Rank();
    EXPECT_EQ(lane.time(), 0);
    EXPECT_EQ(lane.click_time(), 0);
    EXPECT_EQ(lane.Field(), 0);
    EXPECT_EQ(lane.Lane_number(), 7);
    EXPECT_EQ(lane.X(), 40);
    EXPECT_EQ(lane.Y(), 50);
}

// The colour's pixels inside a rectangle as a bounding box.
struct Box {
    int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Box Bounds(const Overlay& o, gdi::COLORREF c, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    Box b;
    for (int32_t y = y1; y <= y2; ++y)
        for (int32_t x = x1; x <= x2; ++x)
            if (o.at(x, y) == c) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TEST(Cls_lane, MarkSitsInItsSquareWithTheGuideBandAlongItsLowerEdge) {
    // X = 100, Y = 101: square 88,88 to 113,113; band y 112..114 from x 100 to 400.
    Overlay o;
    Cls_lane lane = Mark(3, 100, 101);
    lane.Draw_lane(o.dib.hDC(), false);
    const Box circle = Bounds(o, gdi::RGB(120, 120, 120), 80, 80, 120, 111);
    EXPECT_GE(circle.left, 87);
    EXPECT_LE(circle.left, 89);
    EXPECT_GE(circle.top, 87);
    EXPECT_LE(circle.top, 89);
    EXPECT_GE(circle.right, 111);
    EXPECT_LE(circle.right, 113);
    for (int32_t y = 112; y <= 114; ++y) {
        EXPECT_GT(o.count(kRed, 120, y, 395, y), 50) << "row " << y; // dotted
        EXPECT_EQ(o.count(kRed, 402, y, 499, y), 0) << "row " << y;
        EXPECT_EQ(o.count(kRed, 0, y, 98, y), 0) << "row " << y;
    }
    EXPECT_EQ(o.count(kRed, 0, 0, 499, 111), 0);
    EXPECT_EQ(o.count(kRed, 0, 115, 499, 199), 0);

    // Flipped, the band runs to the left of the mark's centre.
    Overlay f;
    Cls_lane right = Mark(3, 350, 101);
    right.Draw_lane(f.dib.hDC(), true);
    for (int32_t y = 112; y <= 114; ++y) {
        EXPECT_GT(f.count(kRed, 55, y, 330, y), 50) << "row " << y;
        EXPECT_EQ(f.count(kRed, 0, y, 48, y), 0) << "row " << y;
        EXPECT_EQ(f.count(kRed, 352, y, 499, y), 0) << "row " << y;
    }
}

TEST(Cls_lane, ColoursFollowTheResult) {
    struct Case {
        int32_t time;
        gdi::COLORREF fill, outline;
    };
    const gdi::COLORREF grey_fill = gdi::RGB(200, 200, 200), grey = gdi::RGB(120, 120, 120);
    const gdi::COLORREF white = gdi::RGB(255, 255, 255), blue = gdi::RGB(0, 0, 255);
    for (const Case c : {Case{0, grey_fill, grey},
                         {999999999, grey_fill, grey},
                         {61230, white, blue},
                         {99999999, white, blue},
                         {100000001, white, kRed},
                         {100000002, white, kRed},
                         {100000003, white, kRed},
                         {-5, white, gdi::RGB(0, 0, 0)}}) {
        Overlay o;
        Cls_lane lane = Mark(3, 100, 101, c.time);
        lane.Draw_lane(o.dib.hDC(), false);
        EXPECT_EQ(o.at(90, 101), c.fill) << c.time;
        EXPECT_EQ(o.at(88, 101), c.outline) << c.time;
        if (c.time >= 0) { // the number is written in the outline's colour
            EXPECT_GT(o.count(c.outline, 95, 94, 106, 107), 8) << c.time;
        }
    }
}

TEST(Cls_lane, AMarkWithoutResultLeavesTheSurfaceTransparent) {
    Overlay o;
    const int32_t before = gdi::GetBkMode(o.dib.hDC());
    Cls_lane timed = Mark(1, 100, 101, 61230);
    timed.Draw_lane(o.dib.hDC(), false);
    EXPECT_EQ(gdi::GetBkMode(o.dib.hDC()), before);
    Cls_lane none = Mark(2, 300, 101, 0);
    none.Draw_lane(o.dib.hDC(), false);
    EXPECT_EQ(gdi::GetBkMode(o.dib.hDC()), gdi::TRANSPARENT);
}

TEST(Cls_lane, TwoDigitNumbersUseTheSmallerFontAndStayCentred) {
    const gdi::COLORREF blue = gdi::RGB(0, 0, 255);
    Overlay o;
    Cls_lane one = Mark(8, 100, 101, 61230), two = Mark(12, 300, 101, 61230);
    one.Draw_lane(o.dib.hDC(), false);
    two.Draw_lane(o.dib.hDC(), false);
    // The text only: well inside the circle's outline.
    const Box a = Bounds(o, blue, 94, 94, 106, 107);
    const Box b = Bounds(o, blue, 294, 94, 306, 107);
    ASSERT_GE(a.right, 0);
    ASSERT_GE(b.right, 0);
    EXPECT_GT(a.bottom - a.top, b.bottom - b.top) << "height 18 against 14";
    for (const Box& box : {a, b}) {
        const int32_t centre_x = (box.left + box.right) / 2 % 200;
        const int32_t centre_y = (box.top + box.bottom) / 2;
        EXPECT_NEAR(centre_x, 100, 2);
        EXPECT_NEAR(centre_y, 101, 2); // the number's box starts 2 below the square
    }
    // For a look: marks of every kind on one overlay.
    Overlay look(700, 200);
    const int32_t times[] = {0, 61230, 100000001, 100000002, 100000003, 999999999};
    for (int16_t i = 0; i < 6; ++i) {
        Cls_lane m = Mark(static_cast<int16_t>(i * 3), 40 + 110 * i, 40 + 20 * i, times[i]);
        m.Draw_lane(look.dib.hDC(), i % 2 == 1);
    }
    look.save("lane_marks");
}

TEST(Cls_lane, GeometryBeyond32BitsFailsBeforeDrawing) {
    const int32_t big = std::numeric_limits<int32_t>::max(), small = std::numeric_limits<int32_t>::min();
    for (const auto& [x, y] : {std::pair{big, 50}, std::pair{50, big}, std::pair{small, 50}}) {
        Overlay o;
        Cls_lane lane = Mark(1, x, y, 61230);
        EXPECT_EQ(error_of([&] { lane.Draw_lane(o.dib.hDC(), false); }), vb::errOverflow) << x << "," << y;
        EXPECT_EQ(o.count(heat_fixture::kKey, 0, 0, 499, 199), 500 * 200) << x << "," << y;
    }
    // The mark fits but its guide line would pass the limit: the mark is drawn, the line is not.
    Overlay o;
    Cls_lane edge = Mark(1, big - 200, 50, 61230);
    EXPECT_EQ(error_of([&] { edge.Draw_lane(o.dib.hDC(), false); }), vb::errOverflow);
    EXPECT_EQ(o.count(kRed, 0, 0, 499, 199), 0);
}

} // namespace
