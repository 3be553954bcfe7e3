#pragma once
// A straight line between two points of the overlay (the goal line, the
// extra line), answering its length and the coordinates of points on it.
// Length() must run after the points are set and before any coordinate
// lookup: the lookups read the length and the deltas it stores.
//
// Failures are run-time errors: a zero divisor raises 11 (division by zero),
// a result outside 16 bits raises 6 (overflow).
#include <cstdint>

class Class_line {
public:
    void Start_Point(int16_t x, int16_t y);
    void End_Point(int16_t x, int16_t y);
    // The whole length (the exact length rounded down).
    int16_t Length();
    // The point at distance d along the line from its start.
    int16_t X_coord(int16_t d) const;
    int16_t Y_coord(int16_t d) const;
    // The point of the line at a given x, or at a given y.
    int16_t Y_Coord_by_X(int16_t x) const;
    int16_t X_Coord_by_Y(int16_t y) const;

private:
    int32_t m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    float m_Length = 0;       // whole length
    float m_dx = 0, m_dy = 0; // end minus start
    float m_Exact_Length = 0;
};
