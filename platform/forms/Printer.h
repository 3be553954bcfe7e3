#pragma once
// The printer as the original's Printer object: a print position and font,
// text printed line by line, pictures and lines, pages and the end of a job,
// all measured in twips from the printable area's top-left corner.
//
// Which printer: the one the printer service chooses (set_printer_service):
// by default a PDF file when TIDEWICK_PRINTER_PDF names one, otherwise the
// system's default printer; tests install a PDF printer or none. Without a
// printer Printers_Count() is 0 and printing raises error 482 "Printer error".
#include "DrawingSurface.h"
#include "Picture.h"

#include <cstdint>
#include <memory>
#include <string>

class QPrinter;

namespace forms {

// Chooses the printer a job prints on.
class PrinterService {
public:
    virtual ~PrinterService() = default;
    // A printer for a new job; nullptr when there is none.
    virtual std::unique_ptr<QPrinter> make_printer() = 0;
    // How many printers there are (a PDF printer counts as one).
    virtual int32_t count() = 0;
    virtual std::string name() = 0;
};

// Prints every job into one PDF file (the last job's pages are kept).
class PdfPrinter : public PrinterService {
public:
    explicit PdfPrinter(std::string path) : path_(std::move(path)) {}
    std::unique_ptr<QPrinter> make_printer() override;
    int32_t count() override { return 1; }
    std::string name() override { return "PDF"; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A machine without a printer.
class NoPrinter : public PrinterService {
public:
    std::unique_ptr<QPrinter> make_printer() override;
    int32_t count() override { return 0; }
    std::string name() override { return {}; }
};

// Installs the service (not owned); nullptr goes back to the default.
void set_printer_service(PrinterService* service);
PrinterService& printer_service();

class PrinterObject : public DrawingSurface {
public:
    PrinterObject();
    ~PrinterObject() override;

    double CurrentX() const override;
    double CurrentY() const override;
    void CurrentX(double twips) override;
    void CurrentY(double twips) override;
    double FontSize() const override;
    void FontSize(double points) override;
    bool FontBold() const override;
    void FontBold(bool b) override;
    bool FontItalic() const override;
    void FontItalic(bool b) override;
    bool FontUnderline() const override;
    void FontUnderline(bool b) override;
    std::string FontName() const override;
    void FontName(const std::string& name) override;
    int32_t DrawWidth() const override;
    void DrawWidth(int32_t px) override;
    uint32_t ForeColor() const override;
    void ForeColor(uint32_t c) override;

    // Prints the text at the print position. With new_line the position then
    // moves to the left edge of the next line; a line break inside the text
    // does the same. Without it the position stays after the text. A line
    // too long for the printable width goes on at the left of the next line.
    void Print(const std::string& text = {}, bool new_line = true) override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;
    // box 1 draws the rectangle, 2 fills it.
    void Line(double x1, double y1, double x2, double y2, uint32_t color = 0, int32_t box = 0) override;
    void Circle(double x, double y, double radius, uint32_t color = 0) override;
    // Width or height < 0: the picture's own size at 15 twips a pixel.
    void PaintPicture(const Picture& picture, double x, double y, double width = -1,
                      double height = -1) override;
    void NewPage();
    // Ends the job and sends it (writes the PDF file).
    void EndDoc();
    // Drops the job.
    void KillDoc();

    // Page size and printable size in twips.
    double Width();
    double Height();
    double ScaleWidth() const override;
    double ScaleHeight() const override;
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
