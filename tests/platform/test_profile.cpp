#include "Profile.h"
#include "TestEnv.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string get(const std::string& section, const std::string& key, const std::string& path,
                uint32_t size = 512) {
    std::string out;
    profile::GetPrivateProfileStringA(section, key, "<def>", out, size, path);
    return out;
}

TEST(Profile, ReadRules) {
    const std::string path = test_env::make_dir("profile") + "/a.ini";
    test_env::write_file(path, "[Canoe]\r\nevent_name = Regatta \r\nempty=\r\nquoted=\"a b\"\r\n"
                               "[Settings]\nTiming=framecount\n");
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    for (const Case c : {Case{"Canoe", "event_name", "Regatta"},
                         {"canoe", "EVENT_NAME", "Regatta"},
                         {"CANOE", "empty", ""},
                         {"Canoe", "quoted", "a b"},
                         {"settings", "timing", "framecount"},
                         {"Canoe", "timing", "<def>"},
                         {"Missing", "x", "<def>"}}) {
        EXPECT_EQ(get(c.section, c.key, path), c.value) << c.section << "/" << c.key;
    }
    EXPECT_EQ(get("Canoe", "x", path + ".absent"), "<def>");
}

TEST(Profile, ValuesAreCutToTheBuffer) {
    const std::string path = test_env::make_dir("profile_cut") + "/a.ini";
    const std::string long_value(600, 'x');
    ASSERT_EQ(profile::WritePrivateProfileStringA("S", "k", long_value, path), 1);
    EXPECT_EQ(get("S", "k", path).size(), 511u);
    EXPECT_EQ(get("S", "k", path, 10), "xxxxxxxxx");
}

TEST(Profile, WritesCreateFileAndSectionAndReplaceInPlace) {
    const std::string path = test_env::make_dir("profile_write") + "/new.ini";
    ASSERT_EQ(profile::WritePrivateProfileStringA("Settings", "timing", "framecount", path), 1);
    ASSERT_EQ(profile::WritePrivateProfileStringA("Canoe", "Lanes", "00120034", path), 1);
    ASSERT_EQ(profile::WritePrivateProfileStringA("settings", "TIMING", "frametimestamp", path), 1);
    ASSERT_EQ(profile::WritePrivateProfileStringA("SETTINGS", "other", "1", path), 1);
    EXPECT_EQ(test_env::read_file(path),
              "[Settings]\ntiming=frametimestamp\nother=1\n[Canoe]\nLanes=00120034\n");
}

TEST(Profile, RefusesLineBreaksAndLeavesTheFileAlone) {
    const std::string path = test_env::make_dir("profile_refuse") + "/a.ini";
    ASSERT_EQ(profile::WritePrivateProfileStringA("S", "k", "v", path), 1);
    const std::string before = test_env::read_file(path);
    EXPECT_EQ(profile::WritePrivateProfileStringA("S", "k", "two\nlines", path), 0);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(profile::WritePrivateProfileStringA("S", "k\r", "v", path), 0);
    EXPECT_EQ(test_env::read_file(path), before);
}

TEST(Profile, UnreadableFileIsNotReplaced) {
    // A folder in the file's place cannot be read, whoever runs the test.
    const std::string dir = test_env::make_dir("profile_unreadable");
    const std::string path = dir + "/a.ini";
    std::filesystem::create_directory(path);
    test_env::write_file(path + "/inside", "kept");
    EXPECT_EQ(get("S", "k", path), "<def>");
    EXPECT_EQ(profile::WritePrivateProfileStringA("S", "x", "1", path), 0);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(test_env::read_file(path + "/inside"), "kept");
    // Nothing written beside it either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

} // namespace
