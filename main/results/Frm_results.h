#pragma once
// The results panel of the heat open in the replay window: one row per place
// with the lane, the finish time and the difference to the winner, the
// heat's start-time correction, the export command with its format and
// folder, and the choice between printer and preview. It holds no results of
// its own: the replay window ranks the lanes and fills the rows.
//
// The procedures live in three files: this pair holds the controls, the
// load, the rows and the menus; Frm_results_correction.cpp the start-time
// correction; Frm_results_export.cpp the CSV and XML export files.
#include "Controls.h"
#include "Form.h"
#include "PictureBox.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Frm_results : public forms::Form {
public:
    Frm_results();

    // Rows of the panel: sixteen, one for every lane a heat can rank.
    static constexpr int32_t kRows = 16;

    // ---- Controls ----
    forms::Label lbl_event_name{this, "lbl_event_name"};
    forms::Label LBL_XID{this, "LBL_XID"};
    forms::Label Lbl_heat{this, "Lbl_heat"};
    forms::Label lbl_result_header{this, "lbl_result_header"};
    forms::ControlArray<forms::Label> Lbl_result_rank{this, "Lbl_result_rank"};
    forms::ControlArray<forms::Label> Lbl_result_lane{this, "Lbl_result_lane"};
    forms::ControlArray<forms::Label> Lbl_result_time{this, "Lbl_result_time"};
    forms::ControlArray<forms::Label> Lbl_result_delta_time{this, "Lbl_result_delta_time"};
    forms::Frame Frm_create_time{this, "Frm_create_time"};
    forms::Label Lbl_capture_time{this, "Lbl_capture_time"};

    forms::Frame Frm_time_select{this, "Frm_time_select"};
    forms::Label Lbl_time{this, "Lbl_time"};
    forms::Frame Frm_orig_time{this, "Frm_orig_time"};
    forms::Frame Frm_correction{this, "Frm_correction"};
    forms::Frame Frm_Corrected_time{this, "Frm_Corrected_time"};
    forms::ControlArray<forms::Label> Lbl_hms{this, "Lbl_hms"};
    forms::ControlArray<forms::Label> Lbl_hms_correction{this, "Lbl_hms_correction"};
    forms::ControlArray<forms::Label> Lbl_hms_corrected{this, "Lbl_hms_corrected"};
    forms::Label Lbl_Minus{this, "Lbl_Minus"};
    forms::ControlArray<forms::CommandButton> Cmd_time{this, "Cmd_time"};

    forms::Frame Frm_export{this, "Frm_export"};
    forms::CommandButton Cmd_export{this, "Cmd_export"};
    forms::Frame Frm_export_format{this, "Frm_export_format"};
    forms::ControlArray<forms::OptionButton> Opt_exp_format{this, "Opt_exp_format"};
    forms::Frame Frm_export_folder{this, "Frm_export_folder"};
    forms::Label Lbl_export_folder{this, "Lbl_export_folder"};
    forms::PictureBox Pict_export_folder{this, "Pict_export_folder"};
    forms::Label Lbl_share_name{this, "Lbl_share_name"};
    forms::PictureBox Pict_remote{this, "Pict_remote"};
    forms::Frame Frm_export_mess{this, "Frm_export_mess"};
    forms::TextBox Text_export_mess{this, "Text_export_mess", true};
    forms::CommandButton Cmd_result_export_OK{this, "Cmd_result_export_OK"};

    forms::Frame Frm_printer{this, "Frm_printer"};
    forms::ControlArray<forms::OptionButton> Opt_printer{this, "Opt_printer"};
    forms::PictureBox Picture_preview{this, "Picture_preview"};
    forms::PictureBox Pict_temp{this, "Pict_temp"};

    // ---- Menus ----
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_print_results{this, "item_print_results", &menu_form, "Print results"};
    forms::Menu item_print{this, "item_print", &menu_form, "Print single picture"};
    forms::Menu item_print_series{this, "item_print_series", &menu_form, "Print picture series"};
    forms::Menu item_export_results{this, "item_export_results", &menu_form, "Export Results"};
    forms::Menu item_hide{this, "item_hide", &menu_form, "Hide"};
    forms::Menu item_clear_all_results{this, "item_clear_all_results", &menu_form, "Clear all results"};
    forms::Menu item_exit{this, "item_exit", &menu_form, "Exit"};
    forms::Menu menu_debug{this, "menu_debug", nullptr, "Debug"};
    forms::Menu item_do_preview{this, "item_do_preview", &menu_debug, "Preview"};
    forms::Menu item_printer_test{this, "item_printer_test", &menu_debug, "Printer test"};
    forms::Menu item_maped_drive{this, "item_maped_drive", &menu_debug, "Get mapped drive"};
    forms::Menu item_test_position{this, "item_test_position", &menu_debug, "Test position"};
    forms::Menu item_load_results{this, "item_load_results", &menu_debug, "Load results"};

    // ---- Values ----
    // The stamped start of heat 1 of the open file, ms of the day; the
    // replay window sets it when it opens a file, 0 after Clear_Heat_Data.
    int32_t Heat_Start_Mill = 0;
    // The unit the +/- buttons change: 0 (none chosen), 3600000, 60000, 1000 or 10 ms.
    int32_t Correction_Step = 0;
    bool Button_Held = false;
    int32_t Repeat_Delay = 200;
    // Set by an Alt-click on Export; names the next CSV export once.
    std::string Alternative_Export_Name;

    // One row as the panel shows it: for the printing, which draws the same table.
    struct Result_Row {
        std::string place, lane, time, delta;
    };
    // The rows in use, from the first down to the first with an empty place.
    std::vector<Result_Row> Rows_Shown();

    // The preview flag and the print target from the options.
    void Opt_printer_Click(int32_t index);

    // ---- Operations ----
    void Set_Index(int16_t index) { m_Index = index; }
    void Set_Heat_Letter(const std::string& letter) { m_Heat_Letter = letter; }
    void Show_Export_Mess();
    bool lane_all_heats_array_Dimensioned();
    // Fills labels 0..3 of the array with the hours, minutes, seconds and
    // hundredths of the time, two digits each.
    void Display_Time_Components(forms::ControlArray<forms::Label>& labels, int32_t mill);
    void Create_Result_Objects();
    void Load_Export_Folder();
    void Deselect_Correction_Items();
    // Shows the goal field of the lane at place row + 1 in the replay window.
    void GoTo_Field(int16_t row);
    std::string Pad_left(std::string text, int16_t length);
    void Load_Export_format();
    bool Check_Export_Folder();
    void Update_File_With_Time_Correction();
    void Clear_Heat_Data();
    void Clear_Results();
    void Display_Compensate_Mill();
    void Display_Original_Start_Time();
    void Display_Corrected_Start_Time();
    void Export_CSV_file();
    void Export_New_XML_File();
    void Update_capture_folder_Remote();

    // The rows as the replay window left them (its Results_Shown).
    void Show_Results();

    // ---- Event procedures ----
    void Lbl_result_rank_MouseDown(int32_t index, int32_t Button);
    void Cmd_export_Click();
    void Cmd_result_export_OK_Click();
    void Opt_exp_format_Click(int32_t index);
    void Pict_export_folder_Click();
    void item_clear_all_results_Click();
    void item_test_position_Click();
    void Lbl_hms_correction_Click(int32_t index);
    void Lbl_hms_correction_MouseDown(int32_t index, int32_t Button);
    void Cmd_time_MouseDown(int32_t index);
    void Cmd_time_MouseUp(int32_t index);

    void Form_Load() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;

protected:
    void Design() override;

private:
    void show_correction(int32_t correction);
    void Place_Export_Mess();
    int16_t m_Index = 0;
    // The button of the last press on the correction digits: a right click
    // resets, it does not choose a unit.
    int32_t m_Digits_Button = 0;
    std::string m_Heat_Letter;
};

class Frm_results& Frm_results();
