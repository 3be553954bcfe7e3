#pragma once
// What the running program installs once at start, after making its
// QApplication: the Qt message and input boxes, DoEvents running Qt's
// pending events, the key-state feed and the font names of the original.
namespace forms {

// All of the below.
void Install_Qt_Services();
// vb::DoEvents() runs Qt's pending events; calling it again does nothing.
void Install_Event_Pump();
// Arial, Courier New, MS Sans Serif and the like draw in the installed
// Liberation families of the same metrics.
void Install_Font_Substitutes();

} // namespace forms
