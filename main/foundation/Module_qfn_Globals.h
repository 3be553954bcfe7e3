#pragma once
// The program-wide variables. Every one starts as False, 0, the empty text or
// no object; the initialisation fills most of them once, a few are flags set
// by the start-up, capture and exit code. All live on the program's one
// thread and take no lock.
//
// The single instances of the windows are reached through their accessors
// (one function per window, named as the window), declared with the windows.
#include <cstdint>
#include <memory>
#include <string>

class Cls_audio_play;
class Cls_memory_status;
class cDIBSection;
class cls_VideoFile_handler;
namespace phidget {
class PhidgetInterfaceKit;
}
namespace forms {
class DrawingSurface;
}

// Program identity and environment.
inline bool g_Compiled = false;       // True in the normal mode, False in the development mode
inline std::string g_Program_Title;   // begins with "Tidewick_HDMI,"; empty until initialised
inline std::string g_Program_Version; // major.minor.revision
inline std::string g_Saved_App_Title;
inline std::string g_Computer_Name;
inline std::string m_Manufacturer_Model; // maker "," model
inline std::string g_CPU_Info;           // begins with "CPU= "
inline std::string g_OS_Name;
inline std::string g_OS_Bitness;
inline std::string g_CPU_Bitness;
inline std::string g_System_Directory;
inline std::string g_AppData_Folder;
inline std::string g_Ini_File_Path; // g_AppData_Folder + separator + "Tidewick_HDMI.ini"
inline int16_t g_Monitor_Count = 0;
inline int16_t g_Border_Width_X = 0;
inline bool g_Tidewick = false;
inline bool g_Golfing = false;
inline bool g_Reedwick = false;
inline int32_t g_Tracer_hWnd = 0;
inline bool g_Tracer_Searched = false;

// Settings kept in memory.
inline int32_t g_Timing_Correction = 0;
inline std::string m_saved_Friendly_name;
inline std::string m_saved_Video_prop_num;
inline std::string g_Event_Name;
inline std::string g_Last_Captured_File;
inline std::string g_Save_Folder;
inline std::string g_Event_Logo;
// The results export folder ([Canoe] export_folder) and the file the last
// export wrote.
inline std::string g_Export_Folder;
inline std::string g_Export_File_Name;

// Run-time flags and capture geometry.
inline bool g_Exiting = false; // only ever goes from False to True
inline bool g_Capture_Running = false;
inline bool g_Taskbar_Hidden = false; // only ever goes from False to True
inline bool g_HDMI_Mode = false;
inline bool g_Rotated_Crop = false;
inline int16_t g_Capture_Crop_Width = 0;
inline int16_t g_Capture_Crop_Height = 0;
inline int16_t g_Display_Crop_Width = 0;
inline int16_t g_Display_Crop_Height = 0;
inline int16_t g_Crop_Offset_X = 0; // where a rotated crop lies in a 1920 x 1080 source
inline int16_t g_Crop_Offset_Y = 0;
inline std::string g_Phidget_Serial;
inline bool g_Phidget_Attached = false; // a control box is attached

// Objects.
inline std::string g_Click_Sound; // the WAV bytes of the click sound
inline std::shared_ptr<Cls_audio_play> obj_Midi;
inline std::shared_ptr<phidget::PhidgetInterfaceKit> g_Phidget_Check;
inline std::shared_ptr<Cls_memory_status> g_Memory_Status;
// The replay window's two frame bitmaps: upright and rotated.
inline std::shared_ptr<cDIBSection> g_Frame_DIB;
inline std::shared_ptr<cDIBSection> g_Frame_DIB_Rotated;

// The replay window's display state, shared with the live preview and the
// printing. Sizes are in frame pixels.
inline int16_t g_Program_Mode = 0; // 10 while the replay window shows a file; 1 for the live preview
inline int16_t g_Selected_Lane = -1;
inline int16_t g_Num_Lanes_Shown = 0;
inline bool g_Show_Lanes = false;
inline bool g_Show_Goalline = false;
inline bool g_Flip_Lanes = false;
inline int16_t g_Frame_Width = 0;
inline int16_t g_Frame_Height = 0;
inline int16_t g_Display_Width = 0; // the frame size as shown: exchanged for rotated frames
inline int16_t g_Display_Height = 0;
inline int32_t g_Goal_Line_Points[4] = {0, 0, 0, 0}; // x1, y1, x2, y2 of the open file's goal line
inline int32_t g_Live_Goal_Points[4] = {0, 0, 0, 0}; // the same for the live preview
inline int16_t g_Max_Picture_Height = 0;             // 0 until the replay window's first activation
inline bool g_Main_Window_Active = false;
inline int32_t g_Start_Correction_Mill = 0;
inline uint32_t g_Load_Time_Mill = 0;
inline uint32_t g_Overlay_Key_Colour = 0; // the overlay's transparent colour
// Folders of the replay window: 0 the recent-files list, 1 where File_Copy copies to.
inline std::string g_List_Folder[2];
// The version text printed in footers: the version and how it was built.
inline std::string g_Program_Version_Text;
// The high-resolution counter as the replay window found it at its load.
inline int64_t g_Perf_Frequency = 0;
inline int64_t g_Perf_Count = 0;
// Printer page in twips and the print area on it.
inline int32_t g_Page_Width = 0;
inline int32_t g_Page_Height = 0;
inline float g_Print_Left = 0, g_Print_Top = 0, g_Print_Right = 0, g_Print_Bottom = 0;
// The print job: where it draws (the printer, or the print preview window's
// page picture), whether it goes to the preview, the footer line, the job's
// title, and the positions the page head leaves for the body.
inline forms::DrawingSurface* g_Print_Target = nullptr;
inline bool g_Print_Preview_On = false;
inline int16_t g_Printer_Count = 0;
inline std::string g_Print_Footer;
inline std::string g_Print_Title;
inline int32_t g_Print_Y = 0;
inline int32_t g_Results_Table_Top = 0;
inline bool g_Event_Logo_Found = false;

// Fixed texts of this build.
inline constexpr const char* kProgram_Name = "Tidewick_HDMI";
inline constexpr const char* kCompile_Date = "2016-03-02 11:57";

// Video files.
// Set when heat-file writing had to stop the captures: a failed creation, an
// append without an open file, a slot size of 0, a refused rename.
inline bool g_Captures_Stopped = false;
// Kind of file each video file object (player index 0 to 4) holds: 2 for an
// "sdv" file, 0 after its close.
inline int16_t g_Player_File_Kind[5] = {0, 0, 0, 0, 0};

// DV material: the codec text (four characters) written as the FOURCC of DV
// data, and the offset Extra_Data_Addr adds to the frame buffer's address.
inline std::string g_DV_Codec = "dvsd";
inline int32_t g_Extra_Data_Offset = 0;
// What DV_Header_Parse read of the last DV frame (cleared by every parse).
struct DV_Metadata {
    int16_t DV_System = 0, DV_Display = 0;
    int16_t DV_Rec_Day = 0, DV_Rec_Month = 0, DV_Rec_Year = 0;
    int16_t DV_Rec_Seconds = 0, DV_Rec_Minutes = 0, DV_Rec_Hours = 0;
    int16_t DV_Iris_Code = 0;
    float DV_F_Number = 0;
    int16_t DV_AE_Mode = 0;
    std::string DV_AE_Text;
    int16_t DV_AGC = 0;
    int16_t DV_WB_Mode = 0;
    std::string DV_WB_Mode_Text;
    int16_t DV_WB = 0;
    std::string DV_WB_Text;
    int16_t DV_Focal_Length = 0, DV_Zoom = 0;
    int32_t DV_Shutter = 0;
    int16_t DV_TC_Hours = 0, DV_TC_Minutes = 0, DV_TC_Seconds = 0, DV_TC_Frames = 0;
    bool DV_TC_Found = false;
};
inline DV_Metadata g_DV;

// Live capture: the source and format the capture object chose, and the
// direct-compression flag (set at start-up, read by nothing on the capture road).
inline std::string g_Current_Friendly_Name;
inline std::string g_Current_Property_String; // such as 1920*1080/25
inline bool g_Direct_Compression = false;
