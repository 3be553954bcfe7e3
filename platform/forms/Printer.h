#pragma once
// The printer as the original's Printer object: a print position and font,
// text printed line by line, pictures and lines, pages and the end of a job,
// all measured in twips from the printable area's top-left corner.
//
// Which printer: a PDF file when TIDEWICK_PRINTER_PDF names one (tests, and
// machines without a printer), otherwise the system's default printer.
// Without either there is no printer: Printers_Count() is 0 and printing
// raises error 482 "Printer error".
#include "Picture.h"

#include <cstdint>
#include <memory>
#include <string>

namespace forms {

class PrinterObject {
public:
    PrinterObject();
    ~PrinterObject();

    double CurrentX() const;
    double CurrentY() const;
    void CurrentX(double twips);
    void CurrentY(double twips);
    double FontSize() const;
    void FontSize(double points);
    bool FontBold() const;
    void FontBold(bool b);
    std::string FontName() const;
    void FontName(const std::string& name);

    // Prints the text at the print position. With new_line the position then
    // moves to the left edge of the next line; a line break inside the text
    // does the same. Without it the position stays after the text. A line
    // too long for the printable width goes on at the left of the next line.
    void Print(const std::string& text = {}, bool new_line = true);
    double TextWidth(const std::string& text);
    double TextHeight(const std::string& text);
    // box 1 draws the rectangle, 2 fills it.
    void Line(double x1, double y1, double x2, double y2, uint32_t color = 0, int32_t box = 0);
    void PaintPicture(const Picture& picture, double x, double y, double width, double height);
    void NewPage();
    // Ends the job and sends it (writes the PDF file).
    void EndDoc();
    // Drops the job.
    void KillDoc();

    // Page size and printable size in twips.
    double Width();
    double Height();
    double ScaleWidth();
    double ScaleHeight();
    // 1 portrait, 2 landscape; set before a job begins.
    int32_t Orientation() const;
    void Orientation(int32_t o);
    std::string DeviceName();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

PrinterObject& Printer();
// The printers the program can print on (the PDF printer counts as one).
int32_t Printers_Count();

} // namespace forms
