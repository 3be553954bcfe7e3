#include "Printer.h"

#include "GdiQt.h"
#include "VbError.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <cstdlib>

namespace forms {

std::unique_ptr<QPrinter> PdfPrinter::make_printer() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(path_));
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

std::unique_ptr<QPrinter> NoPrinter::make_printer() {
    return nullptr;
}

namespace {

std::string pdf_path() {
    const char* p = std::getenv("TIDEWICK_PRINTER_PDF");
    return p && *p ? p : std::string();
}

// The machine's printers, or the PDF file TIDEWICK_PRINTER_PDF names.
class SystemPrinter : public PrinterService {
public:
    std::unique_ptr<QPrinter> make_printer() override {
        const std::string pdf = pdf_path();
        if (!pdf.empty()) return PdfPrinter(pdf).make_printer();
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull() && !QPrinterInfo::availablePrinters().isEmpty())
            info = QPrinterInfo::availablePrinters().first();
        if (info.isNull()) return nullptr;
        return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    int32_t count() override {
        if (!pdf_path().empty()) return 1;
        return static_cast<int32_t>(QPrinterInfo::availablePrinters().size());
    }
    std::string name() override {
        if (!pdf_path().empty()) return "PDF";
        return QPrinterInfo::defaultPrinter().printerName().toStdString();
    }
};

SystemPrinter system_printer;
PrinterService* current_printer = &system_printer;

} // namespace

void set_printer_service(PrinterService* service) {
    current_printer = service ? service : &system_printer;
}

PrinterService& printer_service() {
    return *current_printer;
}

struct PrinterObject::Impl {
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPainter> painter;
    double x = 0, y = 0;
    double font_size = 8.25;
    bool bold = false, italic = false, underline = false;
    int32_t draw_width = 1;
    uint32_t fore = 0;
    std::string font_name = "Arial";
    int32_t orientation = 1;

    // The printer of this job, made on first use.
    QPrinter& device() {
        if (printer) return *printer;
        printer = printer_service().make_printer();
        if (!printer) vb::Raise(482, "Printer error");
        printer->setFullPage(false);
        printer->setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        return *printer;
    }
    double dpi() { return device().resolution(); }
    double to_dev(double twips) { return twips * dpi() / 1440.0; }
    double to_twips(double dev) { return dev * 1440.0 / dpi(); }
    QFont font() {
        QFont f(QString::fromStdString(gdi::MapFontFamily(font_name)));
        f.setPointSizeF(font_size);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        return f;
    }
    QPainter& paint() {
        if (!painter) {
            QPrinter& p = device();
            painter = std::make_unique<QPainter>();
            if (!painter->begin(&p)) {
                painter.reset();
                vb::Raise(482, "Printer error");
            }
        }
        painter->setFont(font());
        painter->setPen(QPen(gdi::ToQColor(fore), draw_width));
        return *painter;
    }
    QFontMetricsF metrics() { return QFontMetricsF(font(), &device()); }
};

PrinterObject::PrinterObject() : d_(std::make_unique<Impl>()) {}
PrinterObject::~PrinterObject() = default;

double PrinterObject::CurrentX() const {
    return d_->x;
}
double PrinterObject::CurrentY() const {
    return d_->y;
}
void PrinterObject::CurrentX(double t) {
    d_->x = t;
}
void PrinterObject::CurrentY(double t) {
    d_->y = t;
}
double PrinterObject::FontSize() const {
    return d_->font_size;
}
void PrinterObject::FontSize(double p) {
    d_->font_size = p > 0 ? p : 8.25;
}
bool PrinterObject::FontBold() const {
    return d_->bold;
}
void PrinterObject::FontBold(bool b) {
    d_->bold = b;
}
bool PrinterObject::FontItalic() const {
    return d_->italic;
}
void PrinterObject::FontItalic(bool b) {
    d_->italic = b;
}
bool PrinterObject::FontUnderline() const {
    return d_->underline;
}
void PrinterObject::FontUnderline(bool b) {
    d_->underline = b;
}
int32_t PrinterObject::DrawWidth() const {
    return d_->draw_width;
}
void PrinterObject::DrawWidth(int32_t px) {
    d_->draw_width = std::max(px, 1);
}
uint32_t PrinterObject::ForeColor() const {
    return d_->fore;
}
void PrinterObject::ForeColor(uint32_t c) {
    d_->fore = c & 0xFFFFFF;
}
std::string PrinterObject::FontName() const {
    return d_->font_name;
}
void PrinterObject::FontName(const std::string& n) {
    d_->font_name = n;
}

void PrinterObject::Print(const std::string& text, bool new_line) {
    QPainter& p = d_->paint();
    const QFontMetricsF fm = d_->metrics();
    const QStringList lines = QString::fromStdString(text).split('\n');
    const double right = p.device()->width();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = QString(lines[i]).remove('\r');
        // Text running past the printable area would be lost: it goes on on
        // the next line, broken at a blank where there is one.
        while (d_->to_dev(d_->x) + fm.horizontalAdvance(line) > right && line.size() > 1) {
            const double room = right - d_->to_dev(d_->x);
            qsizetype fit = 1;
            while (fit < line.size() && fm.horizontalAdvance(line.left(fit + 1)) <= room)
                ++fit;
            const qsizetype blank = line.lastIndexOf(' ', fit);
            const qsizetype cut = blank > 0 ? blank : fit;
            p.drawText(QPointF(d_->to_dev(d_->x), d_->to_dev(d_->y) + fm.ascent()), line.left(cut));
            line = line.mid(blank > 0 ? cut + 1 : cut);
            d_->x = 0;
            d_->y += d_->to_twips(fm.height());
        }
        p.drawText(QPointF(d_->to_dev(d_->x), d_->to_dev(d_->y) + fm.ascent()), line);
        const bool last = i + 1 == lines.size();
        if (last && !new_line) {
            d_->x += d_->to_twips(fm.horizontalAdvance(line));
        } else {
            d_->x = 0;
            d_->y += d_->to_twips(fm.height());
        }
    }
}

double PrinterObject::TextWidth(const std::string& text) const {
    const QFontMetricsF fm = d_->metrics();
    double widest = 0;
    for (const QString& line : QString::fromStdString(text).split('\n'))
        widest = std::max(widest, fm.horizontalAdvance(QString(line).remove('\r')));
    return d_->to_twips(widest);
}

double PrinterObject::TextHeight(const std::string& text) const {
    const auto lines = QString::fromStdString(text).split('\n').size();
    return d_->to_twips(d_->metrics().height() * static_cast<double>(lines));
}

void PrinterObject::Line(double x1, double y1, double x2, double y2, uint32_t color, int32_t box) {
    QPainter& p = d_->paint();
    const QColor c = gdi::ToQColor(color);
    const QRectF r(QPointF(d_->to_dev(std::min(x1, x2)), d_->to_dev(std::min(y1, y2))),
                   QPointF(d_->to_dev(std::max(x1, x2)), d_->to_dev(std::max(y1, y2))));
    if (box == 2) {
        p.fillRect(r, c);
    } else {
        p.setPen(QPen(c, d_->draw_width > 1 ? d_->draw_width : 0));
        p.setBrush(Qt::NoBrush);
        if (box == 1)
            p.drawRect(r);
        else
            p.drawLine(QPointF(d_->to_dev(x1), d_->to_dev(y1)), QPointF(d_->to_dev(x2), d_->to_dev(y2)));
    }
    d_->x = x2;
    d_->y = y2;
}

void PrinterObject::Circle(double x, double y, double radius, uint32_t color) {
    QPainter& p = d_->paint();
    p.setPen(QPen(gdi::ToQColor(color), d_->draw_width > 1 ? d_->draw_width : 0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(d_->to_dev(x), d_->to_dev(y)), d_->to_dev(radius), d_->to_dev(radius));
    d_->x = x;
    d_->y = y;
}

void PrinterObject::PaintPicture(const Picture& picture, double x, double y, double w, double h) {
    if (picture.IsNull()) return;
    if (w < 0) w = picture.Width() * 15.0;
    if (h < 0) h = picture.Height() * 15.0;
    QPainter& p = d_->paint();
    p.drawImage(QRectF(d_->to_dev(x), d_->to_dev(y), d_->to_dev(w), d_->to_dev(h)), picture.image());
}

void PrinterObject::NewPage() {
    d_->paint();
    d_->device().newPage();
    d_->x = d_->y = 0;
}

void PrinterObject::EndDoc() {
    if (d_->painter) d_->painter->end();
    d_->painter.reset();
    d_->printer.reset();
    d_->x = d_->y = 0;
}

void PrinterObject::KillDoc() {
    if (d_->painter) {
        d_->device().abort();
        d_->painter->end();
    }
    d_->painter.reset();
    d_->printer.reset();
    d_->x = d_->y = 0;
}

double PrinterObject::Width() {
    return d_->device().pageLayout().fullRectPoints().width() * 20.0;
}
double PrinterObject::Height() {
    return d_->device().pageLayout().fullRectPoints().height() * 20.0;
}
double PrinterObject::ScaleWidth() const {
    return d_->to_twips(d_->device().pageRect(QPrinter::DevicePixel).width());
}
double PrinterObject::ScaleHeight() const {
    return d_->to_twips(d_->device().pageRect(QPrinter::DevicePixel).height());
}
int32_t PrinterObject::Orientation() const {
    return d_->orientation;
}
void PrinterObject::Orientation(int32_t o) {
    d_->orientation = o == 2 ? 2 : 1;
    if (d_->printer && !d_->painter)
        d_->printer->setPageOrientation(o == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}
std::string PrinterObject::DeviceName() {
    return printer_service().name();
}

PrinterObject& Printer() {
    static PrinterObject printer;
    return printer;
}

int32_t Printers_Count() {
    return printer_service().count();
}

} // namespace forms
