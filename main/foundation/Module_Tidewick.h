#pragma once
// System facts gathered at start-up, the capture library check and the
// about command.
#include <cstdint>
#include <string>

// Sets g_CPU_Info ("CPU= <type> <n> core <GHz>GHz") and g_OS_Name.
void Get_CPU_Info();
// Sets g_OS_Bitness and g_CPU_Bitness, from the settings once they hold them.
void Check_Bitness();
std::string Get_OS_Address_Width();
std::string Get_CPU_Data_Width();
std::string Get_OS_Name();
std::string Get_Manufacturer_Model();
std::string Get_Manufacturer();
int32_t Get_Monitor_Count();

// Creates the capture library's object and releases it at once; a library
// that is missing or not registered is said in a message, and start-up goes on.
void Verify_OrvelCap5();
// Fills and shows the about box, above all windows. Built with the about box.
void Do_about();
