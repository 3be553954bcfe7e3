#pragma once
// The video source selection window: lists every capture format of every
// video device the capture library can open, and stores the device's
// friendly name and the format's number of the row the operator clicks. The
// capture window and its capture object find the device again by that name.
#include "Controls.h"
#include "Form.h"
#include "ListView.h"

#include <cstdint>
#include <string>

class IVideoCap;

class Form_select_Video : public forms::Form {
public:
    Form_select_Video();

    forms::ListView ListView_prop{this, "ListView_prop"};
    forms::CommandButton Command_enum2{this, "Command_enum2"};
    forms::CommandButton Command_select_done{this, "Command_select_done"};
    forms::CommandButton Command_Cancel{this, "Command_Cancel"};
    forms::Frame Frame_selection{this, "Frame_selection"};
    forms::Label Label_sel_vs{this, "Label_sel_vs"};
    forms::Label Label3{this, "Label3"};
    forms::Label Label5{this, "Label5"};
    forms::Label Label4{this, "Label4"};
    forms::Label Label_video_source{this, "Label_video_source"};
    forms::Label Label_selected_friendly{this, "Label_selected_friendly"};
    forms::Label Label_property_num{this, "Label_property_num"};
    forms::Label Label_property_string{this, "Label_property_string"};

    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_copy_to_clipboard{this, "item_copy_to_clipboard", &menu_form,
                                       "Form capture to ClipBoard"};
    forms::Menu item_iterate{this, "item_iterate", &menu_form, "List contents to ClipBoard"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};

    // Lists the formats of the "video:" sources 1 to 10, up to the first
    // number the library refuses.
    void Do_Enum();
    // The description text of one format of the source the enumeration
    // object holds.
    std::string Get_Prop(IVideoCap& source, int16_t format);
    // The list as a text report on the clipboard.
    void Iter2();

    bool Selection_Made() const { return m_Selection_Made; }

protected:
    void Design() override;
    void Form_Load() override;

private:
    void ListView_prop_ItemClick(int32_t index);
    void Command_select_done_Click();

    int16_t m_Property_Count = 0;
    bool m_Selection_Made = false;
};

class Form_select_Video& Form_select_Video();
