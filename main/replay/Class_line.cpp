#include "Class_line.h"

#include "VbError.h"

#include <cmath>
#include <limits>

namespace {

// Quotients are kept in single precision, as the stored length and deltas are.
float quotient(float numerator, float divisor) {
    if (divisor == 0) vb::Raise(vb::errDivisionByZero);
    return numerator / divisor;
}

// Coordinates are rounded down, so -0.5 lands on -1, not 0.
int16_t floor16(double v) {
    const double f = std::floor(v);
    if (!(f >= std::numeric_limits<int16_t>::min() && f <= std::numeric_limits<int16_t>::max()))
        vb::Raise(vb::errOverflow);
    return static_cast<int16_t>(f);
}

} // namespace

void Class_line::Start_Point(int16_t x, int16_t y) {
    m_x1 = x;
    m_y1 = y;
}

void Class_line::End_Point(int16_t x, int16_t y) {
    m_x2 = x;
    m_y2 = y;
}

int16_t Class_line::Length() {
    const int32_t dx = m_x2 - m_x1;
    const int32_t dy = m_y2 - m_y1;
    m_dx = static_cast<float>(dx);
    m_dy = static_cast<float>(dy);
    m_Exact_Length = std::sqrt(m_dy * m_dy + m_dx * m_dx);
    m_Length = std::floor(m_Exact_Length);
    if (m_Length > std::numeric_limits<int16_t>::max()) vb::Raise(vb::errOverflow);
    return static_cast<int16_t>(m_Length);
}

int16_t Class_line::X_coord(int16_t d) const {
    return floor16(m_x1 + static_cast<double>(quotient(d, m_Length) * m_dx));
}

int16_t Class_line::Y_coord(int16_t d) const {
    return floor16(m_y1 + static_cast<double>(quotient(d, m_Length) * m_dy));
}

// Both lookups measure from the start point, so a line that does not start
// at the origin answers points on itself.
int16_t Class_line::Y_Coord_by_X(int16_t x) const {
    return floor16(m_y1 + static_cast<double>(quotient(static_cast<float>(x - m_x1), m_dx) * m_dy));
}

int16_t Class_line::X_Coord_by_Y(int16_t y) const {
    return floor16(m_x1 + static_cast<double>(quotient(static_cast<float>(y - m_y1), m_dy) * m_dx));
}
