// Lengths and coordinate lookups of the line class, and its failures.
#include "Class_line.h"
#include "ErrorOf.h"
#include "VbError.h"

#include <gtest/gtest.h>

namespace {

using test_env::error_of;

Class_line Line(int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    Class_line l;
    l.Start_Point(x1, y1);
    l.End_Point(x2, y2);
    l.Length();
    return l;
}

TEST(Class_line, LengthIsTheExactLengthRoundedDown) {
    struct Case {
        int16_t x1, y1, x2, y2, length;
    };
    for (const Case c : {Case{0, 0, 3, 4, 5},
                         {0, 0, 1, 1, 1},
                         {10, 10, 10, 10, 0},
                         {5, 7, 2, 3, 5},
                         {320, 50, 330, 900, 850}}) {
        Class_line l;
        l.Start_Point(c.x1, c.y1);
        l.End_Point(c.x2, c.y2);
        EXPECT_EQ(l.Length(), c.length) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

TEST(Class_line, PointsAlongTheLineFromItsStart) {
    Class_line l = Line(0, 0, 3, 4);
    EXPECT_EQ(l.X_coord(5), 3);
    EXPECT_EQ(l.Y_coord(5), 4);
    EXPECT_EQ(l.X_coord(0), 0);
    // Whole length 1 of the exact 1.414: a distance of 1 reaches the end.
    EXPECT_EQ(Line(0, 0, 1, 1).X_coord(1), 1);
    // Away from the origin, whole length 100 of the exact 100.5.
    Class_line g = Line(100, 100, 110, 200);
    EXPECT_EQ(g.X_coord(50), 105);
    EXPECT_EQ(g.Y_coord(50), 150);
}

TEST(Class_line, LookupsByXOrYAnswerPointsOnTheLine) {
    Class_line l = Line(0, 0, 3, 4);
    EXPECT_EQ(l.X_Coord_by_Y(2), 1);
    EXPECT_EQ(l.Y_Coord_by_X(3), 4);
    // A line that does not start at the origin: its own end points and its
    // middle come back, whatever its direction.
    struct Case {
        int16_t x1, y1, x2, y2, x, y;
    };
    for (const Case c : {Case{100, 100, 110, 200, 105, 150},
                         {320, 50, 330, 900, 320, 50},
                         {320, 50, 330, 900, 330, 900},
                         {400, 900, 380, 100, 390, 500},
                         {-50, -40, 50, 60, 0, 10}}) {
        Class_line g = Line(c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(g.X_Coord_by_Y(c.y), c.x) << "line " << c.x1 << "," << c.y1 << " y " << c.y;
        EXPECT_EQ(g.Y_Coord_by_X(c.x), c.y) << "line " << c.x1 << "," << c.y1 << " x " << c.x;
    }
}

TEST(Class_line, ResultsRoundDownTowardsMinusInfinity) {
    // Whole length 2 of sqrt(5): the point at 1 lies at x = -0.5.
    Class_line l = Line(0, 0, -1, 2);
    EXPECT_EQ(l.X_coord(1), -1);
    EXPECT_EQ(l.Y_coord(1), 1);
    EXPECT_EQ(Line(0, 0, -1, 2).X_Coord_by_Y(1), -1);
}

TEST(Class_line, ZeroDivisorsAndOversizedResultsFail) {
    Class_line unset;
    unset.Start_Point(0, 0);
    unset.End_Point(10, 10);
    EXPECT_EQ(error_of([&] { unset.X_coord(1); }), vb::errDivisionByZero); // Length never called
    Class_line point = Line(7, 7, 7, 7);
    EXPECT_EQ(error_of([&] { point.Y_coord(1); }), vb::errDivisionByZero);
    Class_line vertical = Line(10, 0, 10, 100);
    EXPECT_EQ(error_of([&] { vertical.Y_Coord_by_X(10); }), vb::errDivisionByZero);
    EXPECT_EQ(vertical.X_Coord_by_Y(40), 10);
    Class_line horizontal = Line(0, 10, 100, 10);
    EXPECT_EQ(error_of([&] { horizontal.X_Coord_by_Y(10); }), vb::errDivisionByZero);
    EXPECT_EQ(horizontal.Y_Coord_by_X(40), 10);

    Class_line diagonal;
    diagonal.Start_Point(-32768, -32768);
    diagonal.End_Point(32767, 32767);
    EXPECT_EQ(error_of([&] { diagonal.Length(); }), vb::errOverflow);
    Class_line steep = Line(32000, 0, 32767, 10);
    EXPECT_EQ(error_of([&] { steep.X_Coord_by_Y(1000); }), vb::errOverflow);
}

} // namespace
