#include "Class_CPUInfo.h"
#include "Cls_memory_status.h"
#include "Module_Tidewick.h"
#include "Module_canoe.h"
#include "Module_ini_file.h"
#include "Module_qfn_Globals.h"
#include "Screen.h"
#include "SysInfo.h"
#include "TestEnv.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A fake machine: two processor packages with two logical processors each.
class FakeTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = test_env::make_dir("fake_root");
        put("/proc/sys/kernel/arch", "x86_64\n");
        std::string cpuinfo;
        for (int i = 0; i < 4; ++i) {
            cpuinfo += "processor\t: " + std::to_string(i) + "\nphysical id\t: " + std::to_string(i / 2) +
                       "\ncpu family\t: 6\nmodel\t\t: 158\nstepping\t: 10\ncpu MHz\t\t: 1234.567\n"
                       "flags\t\t: fpu sse2 " +
                       std::string(i < 2 ? "lm" : "nx") + "\n\n";
        }
        put("/proc/cpuinfo", cpuinfo);
        put("/etc/os-release", "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
        put("/sys/class/dmi/id/sys_vendor", "ACME Computers\n");
        put("/sys/class/dmi/id/product_name", "Finish Line 3000\n");
        put("/proc/meminfo", "MemTotal:       16000000 kB\nMemAvailable:    1000000 kB\n");
        sysinfo::set_root(root);
        g_Ini_File_Path = test_env::make_dir("sysinfo_ini") + "/Tidewick_HDMI.ini";
        g_Compiled = true;
        Install_Error_Trap();
    }
    void TearDown() override { sysinfo::set_root(""); }
    void put(const std::string& rel, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(root + rel).parent_path());
        test_env::write_file(root + rel, text);
    }
    std::string root;
};

TEST_F(FakeTree, CpuInfoText) {
    put("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "2400000\n");
    Get_CPU_Info();
    EXPECT_EQ(g_CPU_Info, "CPU= 8664 4 core 2.4GHz");
    EXPECT_EQ(g_OS_Name, "Debian GNU/Linux 12 (bookworm)");

    put("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "3000000\n");
    Get_CPU_Info();
    EXPECT_EQ(g_CPU_Info, "CPU= 8664 4 core 3GHz");

    // Without a clock from the kernel, the boot-time figure; without either, 0.
    std::filesystem::remove(root + "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
    Get_CPU_Info();
    EXPECT_EQ(g_CPU_Info, "CPU= 8664 4 core 1.2GHz");
    put("/proc/cpuinfo", "processor\t: 0\nflags\t: lm\n\n");
    Get_CPU_Info();
    EXPECT_EQ(g_CPU_Info, "CPU= 8664 1 core 0GHz");

    put("/proc/sys/kernel/arch", "i686\n");
    EXPECT_EQ(Class_CPUInfo().ProcessorType(), 586);
}

TEST_F(FakeTree, BitnessIsQueriedOnceThenRead) {
    // The last package lacks "lm": its data width is the one reported.
    Check_Bitness();
    EXPECT_EQ(g_OS_Bitness, "64");
    EXPECT_EQ(g_CPU_Bitness, "32");
    EXPECT_EQ(Read_Ini("Settings", "osbitness", g_Ini_File_Path, ""), "64");
    EXPECT_EQ(Read_Ini("Settings", "cpubitness", g_Ini_File_Path, ""), "32");
    // A stored value, even a wrong one, is trusted.
    Write_Ini("Settings", "osbitness", "128", g_Ini_File_Path);
    put("/proc/cpuinfo", "");
    Check_Bitness();
    EXPECT_EQ(g_OS_Bitness, "128");
    EXPECT_EQ(g_CPU_Bitness, "32");
}

TEST_F(FakeTree, MakerModelAndOs) {
    EXPECT_EQ(Get_Manufacturer_Model(), "ACME Computers,Finish Line 3000");
    EXPECT_EQ(Get_Manufacturer(), "ACME Computers");
    std::filesystem::remove_all(root + "/sys/class/dmi");
    EXPECT_EQ(Get_Manufacturer_Model(), "Unknown,Unknown");
    std::filesystem::remove(root + "/etc/os-release");
    EXPECT_EQ(Get_OS_Name(), "");
}

TEST_F(FakeTree, MemoryStatus) {
    Cls_memory_status m;
    EXPECT_EQ(m.initial_phys(), 0);
    m.get_phys();
    EXPECT_EQ(m.initial_phys(), 1024000000);
    EXPECT_EQ(m.min_phys(), 1024000000);
    EXPECT_EQ(m.last_phys(), 1024000000);
    put("/proc/meminfo", "MemAvailable:    1500000 kB\n");
    m.get_phys();
    EXPECT_EQ(m.last_phys(), 1536000000);
    EXPECT_EQ(m.min_phys(), 1024000000);
    put("/proc/meminfo", "MemAvailable:    500000 kB\n");
    m.get_phys();
    EXPECT_EQ(m.min_phys(), 512000000);
    EXPECT_EQ(m.initial_phys(), 1024000000);
    put("/proc/meminfo", "MemAvailable:    50000000 kB\n"); // beyond 32 bits
    m.get_phys();
    EXPECT_EQ(m.last_phys(), 2147483647);
}

TEST(ThisMachine, SensibleFacts) {
    sysinfo::set_root("");
    forms::set_screen_override(0, 0);
    Get_CPU_Info();
    EXPECT_EQ(g_CPU_Info.rfind("CPU= ", 0), 0u);
    EXPECT_NE(g_CPU_Info.find(" core "), std::string::npos);
    EXPECT_EQ(g_CPU_Info.substr(g_CPU_Info.size() - 3), "GHz");
    EXPECT_FALSE(Get_OS_Address_Width().empty());
    EXPECT_GE(Get_Monitor_Count(), 1);
}

} // namespace
