#include "Cls_lane.h"

#include "Module_lane_results.h"
#include "VbConvert.h"
#include "VbError.h"
#include "modAPIDraw.h"

#include <limits>
#include <string>

namespace {

constexpr float kHalf_Mark = 25.0f / 2; // the mark is a 25-pixel square
constexpr int32_t kMark_Size = 25;
constexpr int32_t kGuide_Length = 300;
// Font request values: the default character set, proof quality.
constexpr uint32_t kDefault_Charset = 1;
constexpr uint32_t kProof_Quality = 2;

int32_t add32(int32_t a, int64_t b) {
    const int64_t r = a + b;
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        vb::Raise(vb::errOverflow);
    return static_cast<int32_t>(r);
}

// A mark edge: the centre less half the mark, rounded with ties to even.
int32_t edge(int32_t centre) {
    return vb::CLng(static_cast<double>(centre) - kHalf_Mark);
}

} // namespace

void Cls_lane::Clear_Rank() {
    m_Time = 0;
    m_Click_time = 0;
    m_Field = 0;
}

bool Cls_lane::Within(float x, float y) const {
    const float cx = static_cast<float>(m_X);
    const float cy = static_cast<float>(m_Y);
    return x > cx - kHalf_Mark && x < cx + kHalf_Mark && y > cy - kHalf_Mark && y < cy + kHalf_Mark;
}

void Cls_lane::Draw_lane(gdi::HDC dc, bool flip) {
    m_Left = edge(m_X);
    m_Top = edge(m_Y);
    m_Right = add32(m_Left, kMark_Size);
    m_Bottom = add32(m_Top, kMark_Size);
    const int32_t text_top = add32(m_Top, 2);

    gdi::COLORREF fill = gdi::RGB(255, 255, 255);
    gdi::COLORREF outline = gdi::RGB(0, 0, 0);
    if (m_Time == 0 || m_Time == Result_None) {
        // Left transparent for whatever is drawn on the overlay afterwards.
        gdi::SetBkMode(dc, gdi::TRANSPARENT);
        fill = gdi::RGB(200, 200, 200);
        outline = gdi::RGB(120, 120, 120);
        gdi::SetTextColor(dc, outline);
    }
    if (m_Time > 0 && m_Time < Result_None) {
        outline = gdi::RGB(0, 0, 255);
        gdi::SetTextColor(dc, outline);
    }
    if (m_Time >= Result_Disqualified && m_Time < Result_None) {
        outline = gdi::RGB(255, 0, 0);
        gdi::SetTextColor(dc, outline);
    }
    Ellipse_With_Pen_Brush(dc, {m_Left, m_Top}, {m_Right, m_Bottom}, static_cast<int32_t>(fill), 0, BS_SOLID,
                           gdi::PS_SOLID, 2, static_cast<int32_t>(outline));

    gdi::SetBkColor(dc, gdi::RGB(255, 255, 255));
    const std::string number = std::to_string(m_Lane_number);
    const bool one_digit = number.size() == 1;
    gdi::HFONT font = gdi::CreateFont(one_digit ? 18 : 14, one_digit ? 8 : 6, 0, 0, 600, false, false, false,
                                      kDefault_Charset, 0, 0, kProof_Quality, 0, "Arial");
    gdi::HGDIOBJ old_font = gdi::SelectObject(dc, font);
    // Centred on one line in the box (left, top + 2) to (right, bottom).
    int32_t cx = 0, cy = 0;
    gdi::GetTextExtentPoint32(dc, number, &cx, &cy);
    gdi::TextOut(dc, m_Left + (m_Right - m_Left - cx) / 2, text_top + (m_Bottom - text_top - cy) / 2, number);
    gdi::SelectObject(dc, old_font);
    gdi::DeleteObject(font);

    // The guide line runs from the mark's centre column along its lower edge.
    m_Right = vb::CLng(static_cast<double>(m_Right) - kHalf_Mark);
    m_Left = add32(m_Right, flip ? -kGuide_Length : kGuide_Length);
    m_Top = m_Bottom;
    Do_DrawDCLine_lane(dc);
    m_Top = add32(m_Top, -1);
    m_Bottom = add32(m_Bottom, -1);
    Do_DrawDCLine_lane(dc);
    m_Top = add32(m_Top, 2);
    m_Bottom = add32(m_Bottom, 2);
    Do_DrawDCLine_lane(dc);
}

void Cls_lane::Do_DrawDCLine_lane(gdi::HDC dc) {
    Line_With_Pen(dc, {m_Left, m_Top}, {m_Right, m_Bottom}, gdi::PS_DOT, 1,
                  static_cast<int32_t>(gdi::RGB(255, 0, 0)));
}
