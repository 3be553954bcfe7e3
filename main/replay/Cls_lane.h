#pragma once
// One lane mark of the overlay: a numbered circle centred at (X, Y) with the
// finish data of its lane, and a dotted guide line running 300 pixels along
// its lower edge. Coordinates are pixels of the overlay bitmap.
//
// Failures are run-time errors raised to the caller: mark geometry beyond
// 32 bits raises 6 (overflow), and nothing is drawn after the failing step.
#include "Gdi.h"

#include <cstdint>

class Cls_lane {
public:
    // Forgets the lane's result: time, click time and field become 0.
    void Clear_Rank();
    // The video field at which the result was attached. Kept in 32 bits: a
    // heat of more than 16383 frames has field numbers beyond 16 bits.
    int32_t Field() const { return m_Field; }
    void Field(int32_t value) { m_Field = value; }
    void Lane_number(int16_t value) { m_Lane_number = value; }
    int16_t Lane_number() const { return m_Lane_number; }
    void Lane_pos_X(int32_t value) { m_X = value; }
    void Lane_pos_Y(int32_t value) { m_Y = value; }
    int32_t X() const { return m_X; }
    int32_t Y() const { return m_Y; }
    // The lane's result in milliseconds or a result code; 0 or 999999999: none.
    void time(int32_t value) { m_Time = value; }
    int32_t time() const { return m_Time; }
    int32_t click_time() const { return m_Click_time; }
    void click_time(int32_t value) { m_Click_time = value; }
    // True when the point lies strictly inside the mark's 25-pixel square.
    bool Within(float x, float y) const;
    // Draws the mark and its guide line (to the left of the mark when flipped).
    void Draw_lane(gdi::HDC dc, bool flip);
    // One dotted red line between the two points of the mark rectangle.
    void Do_DrawDCLine_lane(gdi::HDC dc);

private:
    int16_t m_Lane_number = 0;
    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Time = 0;
    int32_t m_Click_time = 0;
    int32_t m_Field = 0;
    // The last Draw_lane's working geometry: the mark's square first, the
    // guide line's end points afterwards.
    int32_t m_Left = 0, m_Top = 0, m_Right = 0, m_Bottom = 0;
};
