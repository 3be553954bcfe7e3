#pragma once
// The about box: program title, version and build date, the versions of the
// image library, the capture library and the control box's library, the
// application-data folder, and a few maintenance commands in menus that
// start hidden. "Ok" hides it; the instance and its texts stay.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"
#include "Registry.h"

#include <cstdint>
#include <functional>
#include <string>

class frmAbout : public forms::Form {
public:
    frmAbout();

    forms::Frame Frame_version{this, "Frame_version"};
    forms::Label Lblversion{this, "Lblversion"};
    forms::Label Lbl_filedate{this, "Lbl_filedate"};
    forms::Frame Frame_technical{this, "Frame_technical"};
    forms::Label Lbl_IP{this, "Lbl_IP"};
    forms::Label Lbl_orvelcap{this, "Lbl_orvelcap"};
    forms::Label Label_phidget_version{this, "Label_phidget_version"};
    forms::Label Lbl_fourcc{this, "Lbl_fourcc"};
    forms::Label Lbl_OrvelGraphics{this, "Lbl_OrvelGraphics"};
    forms::PictureBox Picture_product{this, "Picture_product"};
    forms::PictureBox Picture_company{this, "Picture_company"};
    forms::Label Lbldescription{this, "Lbldescription"};
    forms::Label Lbldisclaimer{this, "Lbldisclaimer"};
    forms::Label Label_userapp{this, "Label_userapp"};
    forms::CommandButton Command_OK{this, "Command_OK"};
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_print{this, "item_print", &menu_form, "Print"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_date_formats{this, "item_date_formats", &menu_debug, "Date formats"};
    forms::Menu Menu_sources{this, "Menu_sources", nullptr, "Sources"};
    forms::Menu item_video_sources{this, "item_video_sources", &Menu_sources, "Video sources"};
    forms::Menu item_audio_sources{this, "item_audio_sources", &Menu_sources, "Audio sources"};

    // What a Ctrl-click on the company picture does: the main window sets it
    // to make its "Specials" menu visible. Nothing happens while it is empty.
    std::function<void()> Show_Specials_Menu;
    // Starts a program in a normal window; false when it could not be
    // started. Tests put a recorder in its place.
    std::function<bool(const std::string& program)> Start_Program;

    // Stored; the window shows none of them.
    void Description(const std::string& text);
    void Company_Logo(int16_t logo);
    void Product_Logo(int16_t logo);
    // "User appdata at: ", a line break and the folder.
    void appdata(const std::string& folder);
    void Display_OrvelGraphics();
    void Display_OrvelCap();
    void Display_Phidgets();
    void Show_sources();
    void Display_Local_IP();
    void StartSysInfo();
    // The value as text (a number in decimal); false, and an empty text,
    // when the key or the value cannot be read.
    bool GetKeyValue(registry::HKEY KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal);
    // Bitmaps built into the program: the product logo "TIDEWICK_LOGGA" and
    // the company mark 101; another name raises error 326.
    void Load_Product_Picture(const std::string& resource_name);
    void Load_Company_Picture(int32_t resource_id);

    void Command_OK_Click();
    void Label_userapp_Click();
    void Picture_company_Click();
    void menu_form_Click();
    void item_print_Click();
    void item_date_formats_Click();
    void item_video_sources_Click();

protected:
    void Design() override;
    void Form_Load() override;
    void Form_Resize() override;

private:
    void Centre_Product_Picture();
    std::string m_Description;
    int16_t m_Company_Logo = 0, m_Product_Logo = 0;
};

class frmAbout& frmAbout();
