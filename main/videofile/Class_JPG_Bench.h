#pragma once
// How long one JPEG compression of a frame of a given size takes on this
// computer: the start-up window lists it per crop size, and every heat file
// carries that list.
#include "Picture.h"

#include <cstdint>
#include <memory>

class cDIBSection;

class Class_JPG_Bench {
public:
    Class_JPG_Bench();
    ~Class_JPG_Bench();
    Class_JPG_Bench(const Class_JPG_Bench&) = delete;
    Class_JPG_Bench& operator=(const Class_JPG_Bench&) = delete;

    // Milliseconds of one compression at quality 80, the average of ten.
    // An encoder failure that raises is not trapped here.
    int16_t JPG_Bench(int16_t width, int16_t height);
    void Fill_DIB();
    int16_t Compress_DIB();
    // 100 random circles on the class's picture; nothing calls it.
    void Fill_Picture();
    int16_t Last_Result() const { return m_Last_Result; }

private:
    std::unique_ptr<cDIBSection> m_DIB;
    forms::Picture m_Picture;
    bool m_Picture_Made = false;
    int16_t m_Last_Result = 0;
};
