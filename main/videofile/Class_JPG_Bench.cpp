#include "Class_JPG_Bench.h"

#include "Dialogs.h"
#include "Module_dependant.h"
#include "VbConvert.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <random>
#include <vector>

namespace {

double Rnd() {
    static std::mt19937 gen{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(gen);
}

constexpr int32_t kBuffer_Size = 100000;

} // namespace

Class_JPG_Bench::Class_JPG_Bench() = default;
Class_JPG_Bench::~Class_JPG_Bench() = default;

int16_t Class_JPG_Bench::JPG_Bench(int16_t width, int16_t height) {
    if (!m_DIB) m_DIB = std::make_unique<cDIBSection>();
    m_DIB->Create(width, height);
    Fill_DIB();
    m_Last_Result = Compress_DIB();
    return m_Last_Result;
}

void Class_JPG_Bench::Fill_DIB() {
    // The points and colours are drawn and not used: the benchmark compresses
    // the bitmap as it was created, so its figures stay comparable between
    // computers and with every heat file measured before.
    if (!m_DIB) return;
    for (int i = 0; i < 100; ++i) {
        const int32_t w = m_DIB->Width();
        const int32_t h = m_DIB->Height();
        [[maybe_unused]] const int32_t x1 = vb::CLng(Rnd() * w), y1 = vb::CLng(Rnd() * h);
        [[maybe_unused]] const int32_t x2 = vb::CLng(Rnd() * w), y2 = vb::CLng(Rnd() * h);
        [[maybe_unused]] const int32_t r = vb::CLng(Rnd() * 255), g = vb::CLng(Rnd() * 255),
                                       b = vb::CLng(Rnd() * 255);
    }
}

int16_t Class_JPG_Bench::Compress_DIB() {
    std::vector<uint8_t> buffer(kBuffer_Size);
    const uint32_t start = Get_Time_Mill();
    for (int i = 0; i < 10; ++i) {
        int32_t size = kBuffer_Size;
        if (!Save_JPG_To_Buffer(*m_DIB, buffer.data(), size, 80)) forms::MsgBox("JPEG comp error!");
    }
    const uint32_t elapsed = Get_Time_Mill() - start;
    return vb::CInt(static_cast<double>(elapsed / 10));
}

void Class_JPG_Bench::Fill_Picture() {
    // A plain picture offers no pen, scale or circle: the drawing fails as
    // on any surface without them.
    if (!m_Picture_Made) m_Picture_Made = true;
    vb::Raise(438, "Object doesn't support this property or method");
}
