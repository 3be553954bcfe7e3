#pragma once
// System facts gathered at start-up.
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
