#pragma once
// Printing: the printer check and page size, the footer line, the choice
// between the printer and the print preview, the page head every printout
// carries, the results page, and the end of a job. Every page is drawn on
// g_Print_Target, which is the printer or the preview window's page picture;
// both offer the same drawing calls, so the preview shows what the paper
// gets. Units are twips.
//
// A job is Print_Static_Content (the head), the page's body, Printer_End.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The page when no printer tells its size: A4 in twips.
inline constexpr int32_t kNo_Printer_Page_Width = 11904;
inline constexpr int32_t kNo_Printer_Page_Height = 16834;

// One row of the results table as the results window shows it.
struct Print_Row {
    std::string place, lane, time, delta;
};
// Where Print_Results reads its rows: the results window's, as the
// program's wiring connects them.
inline std::function<std::vector<Print_Row>()> Print_Rows_Source;
// The ranking the replay window last showed: what the results window shows
// while it is not loaded.
std::vector<Print_Row> Replay_Result_Rows();
// Where the series of frames starts: after the printed results table, and
// below the page head's file block.
inline int32_t Results_Table_End = 0;
// The lowest point of the page head (the bottom of its file block), twips.
inline int32_t Page_Head_Bottom = 0;

// Counts the printers and finds the page size; 11904 x 16834 without a
// printer or when the printer can't be read.
void Check_Printer();
// The footer line of every printout, with the time and printer of now; left
// as it is when there is no printer.
void Make_Print_Footer();
// The text with "å", "ä" -> "a", "ö" -> "o", "Å", "Ä" -> "A", "Ö" -> "O".
std::string Replace_Swedish_Letters(const std::string& text);
// Chooses g_Print_Target from g_Print_Preview_On: the preview's page picture,
// or the printer (kept as it was when there is none).
void Handle_Preview();
// The results window's printer option: preview on or off, then Handle_Preview.
void Set_Print_Preview(bool preview);
// The print job's title: the application title the print spooler shows.
void Set_Print_Title(const std::string& title);
// Draws the page head on g_Print_Target: frame, product logo, event logo or
// name, the file block and the footer; sets g_Results_Table_Top (= g_Print_Y).
// done is True only when the head got through; a printer error shows
// "Printer error" and leaves done False.
void Print_Static_Content(bool& done);
// A results page; with series the finish frames of the ranked lanes follow.
void Print_Results(bool series);
// The results window's printer test: a page with the head alone.
void Print_Head_Test();
// Ends a job: the printer's document, or the preview page shown in its window.
void Printer_End();
