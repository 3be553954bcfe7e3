#include "Form_QF3_Timing.h"

#include "Module_capture.h"
#include "Printer.h"
#include "Screen.h"
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
    Move(600, 600, 7200, 9000);
    // Counter 100 is drawn at x = 400: the graph is wider than that.
    Picture_timing.ScaleMode(forms::vbPixels);
    Picture_timing.BackColor(0x00FFFFFF);
    Picture_timing.Move(8, 8, 440, 240);
    Picture2.Visible(false);
    Picture2.Move(0, 0, 10, 10);

    // Inside the frames positions are in twips; a path or a stamp may take two lines.
    Frame_filedata.Caption("File data");
    Frame_filedata.Move(8, 256, 456, 116);
    Frame_writing_computer.Caption("Capturing computer");
    Frame_writing_computer.Move(8, 378, 456, 72);
    const struct {
        forms::Label* label;
        forms::Frame* frame;
        double top, height;
    } labels[] = {{&Label_filename, &Frame_filedata, 280, 560},
                  {&Label_File_info, &Frame_filedata, 880, 300},
                  {&Label_Capture_iNFO, &Frame_filedata, 1240, 300},
                  {&Label_CPU_info, &Frame_writing_computer, 280, 300},
                  {&Label_bitness, &Frame_writing_computer, 640, 300}};
    for (const auto& l : labels) {
        l.label->Container(*l.frame);
        l.label->Caption("");
        l.label->WordWrap(true);
        l.label->Move(120, l.top, 6600, l.height);
    }
    Label_printdata.Caption("Report data");
    Label_printdata.WordWrap(true);
    Label_printdata.Move(8, 456, 456, 36);

    Command_Clipboard.Caption("Copy to clipboard");
    Command_Clipboard.Move(8, 500, 140, 28);
    Command_Print.Caption("Print");
    Command_Print.Move(160, 500, 140, 28);
    Command_HIde_Form.Caption("Close");
    Command_HIde_Form.Move(312, 500, 140, 28);
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
        printer.CurrentY(picture.Height() * forms::kTwipsPerPixel + 240);
        for (const forms::Label* label : {&Label_filename, &Label_File_info, &Label_Capture_iNFO,
                                          &Label_CPU_info, &Label_bitness, &Label_printdata})
            printer.Print(label->Caption());
        printer.EndDoc();
    });
}

void Form_QF3_Timing::Command_HIde_Form_Click() {
    Unload();
}
