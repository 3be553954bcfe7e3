#pragma once
// The program-wide initialisation.

// Fills the program-wide variables once per run; later calls return at once.
void Tidewick_Initialization();
// Sets g_Compiled: True in the normal mode, False in the development mode.
void Test_Compiled();
// Points the trap of every procedure at the error report, while g_Compiled holds.
void Install_Error_Trap();
// Forgets that the initialisation ran (tests only).
void Reset_Initialization_Guard();
