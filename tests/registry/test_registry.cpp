#include "Registry.h"
#include "TestEnv.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace registry;

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test_env::make_dir(std::string("reg-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        path = dir + "/registry.txt";
        SetRegistryFilePath(path);
    }
    void TearDown() override { SetRegistryFilePath({}); }
    HKEY create(HKEY root, const std::string& sub) {
        HKEY k = 0;
        EXPECT_EQ(RegCreateKeyExA(root, sub, 0, {}, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
        return k;
    }
    std::string dir, path;
};

TEST(RegistryPath, DefaultsToTheUserConfigFolder) {
    ::unsetenv("TIDEWICK_REGISTRY");
    EXPECT_EQ(RegistryFilePath(), std::string(std::getenv("XDG_CONFIG_HOME")) + "/tidewick/registry.txt");
    SetRegistryFilePath("/tmp/x.txt");
    EXPECT_EQ(std::string(std::getenv("TIDEWICK_REGISTRY")), "/tmp/x.txt");
    SetRegistryFilePath({});
    EXPECT_EQ(std::getenv("TIDEWICK_REGISTRY"), nullptr);
}

TEST_F(RegistryFile, ValuesKeepTypeAndBytesAcrossAReload) {
    HKEY k = create(HKEY_CURRENT_USER, "Software\\Tidewick\\Test");
    const char text[] = "C:\\temp\\%1 \"quoted\" [x] 100% \xC3\xA5";
    const uint32_t dword = 0x01020304;
    const unsigned char bin[] = {0, 1, 0x7F, 0x80, 0xFF, '\n', '"', '%'};
    const char multi[] = "one\0two\0";
    ASSERT_EQ(RegSetValueExA(k, "", 0, REG_SZ, text, sizeof text), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, "Count", 0, REG_DWORD, &dword, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, "Blob", 0, REG_BINARY, bin, sizeof bin), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, "Multi", 0, REG_MULTI_SZ, multi, sizeof multi), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(k);

    // Another writer's file is picked up: make the cache see a changed file by copying it back in.
    std::filesystem::copy_file(path, path + ".copy");
    std::filesystem::rename(path + ".copy", path);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\TIDEWICK\\test", 0, KEY_QUERY_VALUE, &k),
              ERROR_SUCCESS);
    struct Case {
        const char* name;
        uint32_t type;
        std::string bytes;
    } cases[] = {
        {"", REG_SZ, std::string(text, sizeof text)},
        {"count", REG_DWORD, std::string("\x04\x03\x02\x01", 4)},
        {"Blob", REG_BINARY, std::string(reinterpret_cast<const char*>(bin), sizeof bin)},
        {"Multi", REG_MULTI_SZ, std::string(multi, sizeof multi)},
        {"Empty", REG_BINARY, std::string()},
    };
    for (const auto& c : cases) {
        uint32_t type = 99, size = 0;
        ASSERT_EQ(RegQueryValueExA(k, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        ASSERT_EQ(size, c.bytes.size()) << c.name;
        std::string buf(size, '?');
        EXPECT_EQ(RegQueryValueExA(k, c.name, nullptr, &type, buf.data(), &size), ERROR_SUCCESS);
        EXPECT_EQ(buf, c.bytes) << c.name;
        if (size > 0) {
            uint32_t small = size - 1;
            EXPECT_EQ(RegQueryValueExA(k, c.name, nullptr, &type, buf.data(), &small), ERROR_MORE_DATA);
            EXPECT_EQ(small, size);
        }
    }
    uint32_t type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tidewick\\Missing", 0, 1, &k),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(k, 0);
    // The roots are apart: the same path elsewhere does not exist.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Tidewick\\Test"));
}

TEST_F(RegistryFile, EnumeratesSubKeysByNameAndValuesByFirstWrite) {
    HKEY k = create(HKEY_CLASSES_ROOT, "qf2_ext");
    for (const char* sub : {"shell", "DefaultIcon", "Alpha"})
        RegCloseKey(create(k, sub));
    for (const char* v : {"zeta", "", "Beta"})
        RegSetValueExA(k, v, 0, REG_SZ, "x", 2);
    RegSetValueExA(k, "ZETA", 0, REG_SZ, "longer value", 13); // rewrites, keeps its place and first spelling

    char name[32];
    std::vector<std::string> keys;
    uint32_t i = 0;
    LONG r;
    while ((r = RegEnumKeyA(k, i++, name, sizeof name)) == ERROR_SUCCESS)
        keys.emplace_back(name);
    EXPECT_EQ(r, ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(keys, std::vector<std::string>({"Alpha", "DefaultIcon", "shell"}));
    char tiny[4];
    EXPECT_EQ(RegEnumKeyA(k, 1, tiny, sizeof tiny), ERROR_MORE_DATA);

    std::vector<std::string> values;
    for (i = 0;; ++i) {
        uint32_t n = sizeof name;
        if (RegEnumValueA(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        values.emplace_back(name, n);
    }
    EXPECT_EQ(values, std::vector<std::string>({"zeta", "", "Beta"}));

    uint32_t subs, max_sub, nvals, max_name, max_data;
    ASSERT_EQ(RegQueryInfoKeyA(k, &subs, &max_sub, &nvals, &max_name, &max_data), ERROR_SUCCESS);
    EXPECT_EQ(subs, 3u);
    EXPECT_EQ(max_sub, 11u);
    EXPECT_EQ(nvals, 3u);
    EXPECT_EQ(max_name, 4u);
    EXPECT_EQ(max_data, 13u);
    RegCloseKey(k);
    EXPECT_EQ(SubKeyNames(HKEY_CLASSES_ROOT, ""), std::vector<std::string>({"qf2_ext"}));
}

TEST_F(RegistryFile, DeletingKeysAndValues) {
    HKEY k = create(HKEY_CLASSES_ROOT, "a\\b\\c");
    RegSetValueExA(k, "v", 0, REG_SZ, "x", 2);
    EXPECT_EQ(RegDeleteValueA(k, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(k, "v"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "a\\b"), ERROR_ACCESS_DENIED); // it has a sub-key
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "a\\b\\c"), ERROR_SUCCESS);
    // A handle to a deleted key fails, and creates nothing below it.
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_SZ, "x", 2), ERROR_KEY_DELETED);
    HKEY sub = 0;
    EXPECT_EQ(RegCreateKeyExA(k, "d", 0, {}, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(k);
    EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "a\\b\\c"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(create(HKEY_CLASSES_ROOT, "a\\b\\c\\d"));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "a"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a"));
    HKEY remote = 0;
    EXPECT_EQ(RegConnectRegistryA("\\\\racebox", HKEY_LOCAL_MACHINE, &remote), ERROR_BAD_NETPATH);
    EXPECT_EQ(RegConnectRegistryA("", HKEY_LOCAL_MACHINE, &remote), ERROR_SUCCESS);
    EXPECT_EQ(remote, HKEY_LOCAL_MACHINE);
}

TEST_F(RegistryFile, AFailedWriteKeepsTheOldFileAndTheOldValues) {
    ASSERT_EQ(WriteString(HKEY_CURRENT_USER, "Software\\T", "v", "old"), ERROR_SUCCESS);
    const std::string before = test_env::read_file(path);
    // The folder turns into something no file can be made in.
    std::filesystem::rename(dir, dir + ".moved");
    test_env::write_file(dir, "not a folder");
    EXPECT_NE(WriteString(HKEY_CURRENT_USER, "Software\\T", "v", "new"), ERROR_SUCCESS);
    std::filesystem::remove(dir);
    std::filesystem::rename(dir + ".moved", dir);
    std::string v;
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\T", "v", v), ERROR_SUCCESS);
    EXPECT_EQ(v, "old");
    EXPECT_EQ(test_env::read_file(path), before);
    // No temporary file is left behind by the writes that succeeded.
    for (const auto& e : std::filesystem::directory_iterator(dir))
        EXPECT_TRUE(e.path().filename() == "registry.txt" || e.path().filename() == "registry.txt.lock")
            << e.path();
}

TEST_F(RegistryFile, WritersInTwoProcessesLoseNothing) {
    // Each process adds its own values through its own copy of the tree; the
    // file lock and the reload before each change keep every one of them.
    const pid_t child = ::fork();
    if (child == 0) {
        for (int i = 0; i < 50; ++i)
            WriteString(HKEY_CURRENT_USER, "Software\\Race", "child" + std::to_string(i), "c");
        ::_exit(0);
    }
    for (int i = 0; i < 50; ++i)
        WriteString(HKEY_CURRENT_USER, "Software\\Race", "parent" + std::to_string(i), "p");
    int status = 0;
    ::waitpid(child, &status, 0);
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, 1, &k), ERROR_SUCCESS);
    uint32_t values = 0;
    RegQueryInfoKeyA(k, nullptr, nullptr, &values, nullptr, nullptr);
    EXPECT_EQ(values, 100u);
    RegCloseKey(k);
}

// A damaged or hostile registry file: keys nested deeper than the registry
// allows are left out, the rest reads, and the next write stays the size of
// what it holds (the path of a deep chain is not repeated once per level).
TEST_F(RegistryFile, KeysTooDeepAreLeftOutAndTheFileIsWrittenSmall) {
    auto chain = [](const char* name, int levels) {
        std::string p;
        for (int i = 0; i < levels; ++i)
            p += std::string(i ? "\\" : "") + name;
        return p;
    };
    const std::string text = "TIDEWICK REGISTRY 1\n"
                             "[HKEY_CURRENT_USER\\Software\\Keep]\n\"v\"=1:\"ok%00\"\n"
                             "[HKEY_CURRENT_USER\\" +
                             chain("k", 40000) +
                             "]\n\"deep\"=1:\"x%00\"\n"
                             "[HKEY_CURRENT_USER\\" +
                             chain("d", 512) + "]\n";
    test_env::write_file(path, text);
    std::string value;
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Keep", "v", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "ok");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "k"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, chain("d", 512)));

    ASSERT_EQ(WriteString(HKEY_CURRENT_USER, "Software\\Keep", "w", "new"), ERROR_SUCCESS);
    EXPECT_LT(test_env::read_file(path).size(), 3000u);
    const std::string copy = dir + "/copy.txt"; // read back from the file alone
    test_env::write_file(copy, test_env::read_file(path));
    SetRegistryFilePath(copy);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, chain("d", 512)));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Keep", "v", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "ok");

    HKEY k = 0;
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, chain("e", 513), 0, {}, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
        ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "e"));
    RegCloseKey(create(HKEY_CURRENT_USER, chain("e", 512)));
    EXPECT_EQ(OpenHandleCount(), 0u);
}

TEST_F(RegistryFile, KeyOfManyValuesLoadsAndTheLaterOfTwoLinesWins) {
    std::string text = "TIDEWICK REGISTRY 1\n[HKEY_CURRENT_USER\\Many]\n";
    for (int i = 0; i < 100000; ++i)
        text += "\"v" + std::to_string(i) + "\"=1:\"" + std::to_string(i) + "%00\"\n";
    text += "\"V5\"=1:\"later%00\"\n";
    test_env::write_file(path, text);
    std::string value;
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Many", "v5", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "later");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Many", "v99999", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "99999");
}

} // namespace
