#include "Form_QF3_Timing.h"

#include "Module_capture.h"
#include "Printer.h"
#include "Services.h"
#include "VbTrap.h"

class Form_QF3_Timing& Form_QF3_Timing() {
    return forms::Instance<class Form_QF3_Timing>();
}

Form_QF3_Timing::Form_QF3_Timing() : Form("Form_QF3_Timing") {
    Command_Clipboard.Click = [this] { Command_Clipboard_Click(); };
    Command_Print.Click = [this] { Command_Print_Click(); };
    Command_HIde_Form.Click = [this] { Command_HIde_Form_Click(); };
}

void Form_QF3_Timing::Design() {
    ScaleMode(forms::vbPixels);
    Caption("QF3 timing");
    Move(600, 600, 7200, 8400);
    // Counter 100 is drawn at x = 400: the graph is wider than that.
    Picture_timing.ScaleMode(forms::vbPixels);
    Picture_timing.BackColor(0x00FFFFFF);
    Picture_timing.Move(8, 8, 440, 240);
    Picture2.Visible(false);
    Picture2.Move(0, 0, 10, 10);

    // Inside the frames positions are in twips.
    Frame_filedata.Caption("File data");
    Frame_filedata.Move(8, 256, 456, 100);
    Frame_writing_computer.Caption("Capturing computer");
    Frame_writing_computer.Move(8, 362, 456, 80);
    const struct {
        forms::Label* label;
        forms::Frame* frame;
        double top;
    } labels[] = {{&Label_filename, &Frame_filedata, 280},
                  {&Label_File_info, &Frame_filedata, 700},
                  {&Label_Capture_iNFO, &Frame_filedata, 1100},
                  {&Label_CPU_info, &Frame_writing_computer, 280},
                  {&Label_bitness, &Frame_writing_computer, 700}};
    for (const auto& l : labels) {
        l.label->Container(*l.frame);
        l.label->Caption("");
        l.label->Move(120, l.top, 6600, 300);
    }
    Label_printdata.Caption("Report data");
    Label_printdata.Move(8, 448, 456, 20);

    Command_Clipboard.Caption("Copy to clipboard");
    Command_Clipboard.Move(8, 476, 140, 28);
    Command_Print.Caption("Print");
    Command_Print.Move(160, 476, 140, 28);
    Command_HIde_Form.Caption("Close");
    Command_HIde_Form.Move(312, 476, 140, 28);
}

void Form_QF3_Timing::Command_Clipboard_Click() {
    const forms::Picture picture = Capture_Form_Picture(*this);
    forms::Clipboard().Clear();
    forms::Clipboard().SetData(picture);
}

void Form_QF3_Timing::Command_Print_Form_Click() {
    vb::Trap("Command_Print_Form_Click of Form Form_QF3_Timing", [&] {
        // The report's own picture, whatever window is active, and the
        // operator's clipboard left as it was.
        const forms::Picture picture = Capture_Form_Picture(*this);
        forms::PrinterObject& printer = forms::Printer();
        printer.PaintPicture(picture, 0, 0);
        // The report's texts again under the picture, so the page can be
        // searched and read back as text.
        printer.CurrentX(0);
        printer.CurrentY(picture.Height() * 15.0 + 240);
        for (const forms::Label* label : {&Label_filename, &Label_File_info, &Label_Capture_iNFO,
                                          &Label_CPU_info, &Label_bitness, &Label_printdata})
            printer.Print(label->Caption());
        printer.EndDoc();
    });
}

void Form_QF3_Timing::Command_HIde_Form_Click() {
    Unload();
}
