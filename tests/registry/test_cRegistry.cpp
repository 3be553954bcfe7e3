#include "Module_formatmessage.h"
#include "Registry.h"
#include "TestEnv.h"
#include "WinSystem.h"
#include "cRegistry.h"

#include <gtest/gtest.h>

namespace {

using V = cRegistry::Variant;
using Bytes = std::vector<uint8_t>;

class RegistryClass : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = test_env::make_dir(
            std::string("creg-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        registry::SetRegistryFilePath(dir + "/registry.txt");
        test_env::dialogs().clear();
        reg.ClassKey(cRegistry::HKEY_CURRENT_USER);
        reg.SectionKey("Software\\Tidewick\\Test");
        reg.Default(V(std::string("fallback")));
    }
    void TearDown() override {
        // Every key an operation opened was closed again, also where it raised.
        EXPECT_EQ(registry::OpenHandleCount(), 0u);
        registry::SetRegistryFilePath({});
    }
    // The type and bytes as stored, read past the class.
    std::pair<uint32_t, std::string> stored(const std::string& name) {
        registry::HKEY k = 0;
        if (registry::RegOpenKeyExA(static_cast<registry::HKEY>(reg.ClassKey()), reg.SectionKey(), 0, 1,
                                    &k) != 0)
            return {99, "no key"};
        uint32_t type = 0, size = 0;
        std::string bytes;
        if (registry::RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == 0) {
            bytes.resize(size);
            registry::RegQueryValueExA(k, name, nullptr, &type, bytes.data(), &size);
        } else {
            type = 99;
            bytes = "no value";
        }
        registry::RegCloseKey(k);
        return {type, bytes};
    }
    cRegistry reg;
};

TEST_F(RegistryClass, WritesStoreTheTypeTheTableGives) {
    ::setenv("TW_REG_TEST", "expanded", 1);
    const struct Case {
        int32_t value_type;
        V value;
        uint32_t stored_type; // 99: nothing written
        std::string stored_bytes;
        V read_back;
    } cases[] = {
        {1, V(std::string("abc")), registry::REG_SZ, std::string("abc\0", 4), V(std::string("abc"))},
        {1, V(std::string("")), registry::REG_SZ, std::string("\0", 1), V(std::string(""))},
        {1, V(std::string("%TW_REG_TEST%\\bin")), registry::REG_EXPAND_SZ,
         std::string("%TW_REG_TEST%\\bin\0", 18), V(std::string("expanded\\bin"))},
        {2, V(std::string("a%b%c")), registry::REG_EXPAND_SZ, std::string("a%b%c\0", 6),
         V(std::string("a%b%c"))},
        {1, V(std::string("100%")), registry::REG_SZ, std::string("100%\0", 5), V(std::string("100%"))},
        {1, V(std::string("%%")), registry::REG_SZ, std::string("%%\0", 3), V(std::string("%%"))},
        {1, V(int32_t(42)), registry::REG_SZ, std::string("42\0", 3), V(std::string("42"))},
        {4, V(int16_t(300)), registry::REG_DWORD, std::string("\x2C\x01\0\0", 4), V(int32_t(300))},
        {4, V(int32_t(-5)), registry::REG_DWORD, std::string("\xFB\xFF\xFF\xFF", 4), V(int32_t(-5))},
        {5, V(int32_t(256)), registry::REG_DWORD, std::string("\0\x01\0\0", 4), V(int32_t(256))},
        {4, V(std::string("123")), 99, "no value", V(std::string("fallback"))},
        {3, V(Bytes{0, 255, 10}), registry::REG_BINARY, std::string("\0\xFF\n", 3), V(Bytes{0, 255, 10})},
        {3, V(Bytes{}), registry::REG_BINARY, std::string(), V(Bytes{})},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "v" + std::to_string(n++);
        reg.ValueKey(name);
        reg.ValueType(c.value_type);
        ASSERT_NO_THROW(reg.Value(c.value)) << name;
        const auto [type, bytes] = stored(name);
        EXPECT_EQ(type, c.stored_type) << name;
        EXPECT_EQ(bytes, c.stored_bytes) << name;
        reg.ValueType(0);
        EXPECT_EQ(reg.Value(), c.read_back) << name;
        if (c.stored_type != 99) {
            EXPECT_EQ(reg.ValueType(), static_cast<int32_t>(c.stored_type)) << name;
        }
    }
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(RegistryClass, ReadsOfTypesNotWrittenHere) {
    registry::HKEY k = 0;
    registry::RegCreateKeyExA(registry::HKEY_CURRENT_USER, reg.SectionKey(), 0, {}, 0, 0x3F, nullptr, &k,
                              nullptr);
    registry::RegSetValueExA(k, "big", 0, registry::REG_DWORD_BIG_ENDIAN, "\0\0\x01\0", 4);
    registry::RegSetValueExA(k, "multi", 0, registry::REG_MULTI_SZ, "one\0two\0\0", 9);
    registry::RegSetValueExA(k, "q", 0, registry::REG_QWORD, "\1\0\0\0\0\0\0\0", 8);
    registry::RegCloseKey(k);
    reg.ValueKey("big");
    EXPECT_EQ(reg.Value(), V(int32_t(256)));
    EXPECT_EQ(reg.ValueType(), 5);
    reg.ValueKey("multi");
    EXPECT_EQ(reg.Value(), V(std::string("one\0two\0", 8)));
    reg.ValueKey("q");
    EXPECT_EQ(reg.Value(), V(Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(reg.ValueType(), 11);
}

TEST_F(RegistryClass, UnsupportedWriteTypesRaiseWithTheFullDescription) {
    reg.ValueKey("v");
    for (int32_t type : {7, 0}) {
        reg.ValueType(type);
        try {
            reg.Value(V(std::string("x")));
            ADD_FAILURE() << "no error for type " << type;
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.number(), static_cast<int32_t>(0x800469A9));
            EXPECT_EQ(e.description(), "Failed to set registry value Key: '-2147483647',Section: "
                                       "'Software\\Tidewick\\Test',Key: 'v' to value: 'x'");
            EXPECT_EQ(e.source(), win::ProgramName() + ".cRegistry");
        }
    }
    reg.ValueType(3);
    try {
        reg.Value(V(std::string("not bytes")));
        ADD_FAILURE();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 26001);
        EXPECT_EQ(e.source(), "");
    }
}

TEST_F(RegistryClass, MissingValueAgainstMissingKey) {
    reg.CreateKey();
    reg.ValueKey("absent");
    EXPECT_EQ(reg.Value(), V(std::string("fallback")));
    EXPECT_TRUE(test_env::dialogs().shown.empty());

    reg.SectionKey("Software\\Tidewick\\NoSuchKey");
    EXPECT_EQ(reg.Value(), V(std::string("fallback")));
    ASSERT_EQ(test_env::dialogs().prompts().size(), 1u);
    EXPECT_EQ(test_env::dialogs().prompts()[0],
              "Error reading registry, The system cannot find the file specified.\r\n\r\nDec: 2\tHex: 2");
}

TEST_F(RegistryClass, RemoteMachineNamesAndTheirReadsAndWrites) {
    const struct {
        const char* given;
        const char* kept;
    } names[] = {{"a", ""}, {"ab", ""}, {"abc", "\\\\abc"}, {"\\\\racebox", "\\\\racebox"}, {"", ""}};
    for (const auto& n : names) {
        reg.Machine(n.given);
        EXPECT_EQ(reg.Machine(), n.kept) << n.given;
    }
    reg.Machine("racebox");
    reg.ValueKey("v");
    reg.ValueType(1);
    reg.Value(V(std::string("remote"))); // no such computer: nothing written, nothing raised
    EXPECT_EQ(reg.Value(), V(std::string("fallback")));
    reg.Machine("");
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(test_env::dialogs().shown.empty());
}

TEST_F(RegistryClass, KeysCreatedDeletedAndEnumerated) {
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.KeyExists());
    reg.ValueType(1);
    for (const char* v : {"Zulu", "Alpha", ""}) {
        reg.ValueKey(v);
        reg.Value(V(std::string("x")));
    }
    const std::string section = reg.SectionKey();
    for (const char* s : {"Sub B", "Sub A"}) {
        reg.SectionKey(section + "\\" + s);
        reg.CreateKey();
    }
    reg.SectionKey(section);
    std::vector<std::string> names{"stale"};
    int32_t count = -1;
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, std::vector<std::string>({"", "Zulu", "Alpha", ""}));
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, std::vector<std::string>({"", "Sub A", "Sub B"}));

    // The key has sub-keys: it can't be deleted.
    try {
        reg.DeleteKey();
        ADD_FAILURE();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 26001);
        // The texts end without a closing quote, as they always did.
        EXPECT_EQ(e.description(),
                  "Failed to delete registry Key: '-2147483647',Section: 'Software\\Tidewick\\Test");
    }
    reg.ValueKey("Alpha");
    EXPECT_TRUE(reg.DeleteValue());
    try {
        reg.DeleteValue();
        ADD_FAILURE();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.description(),
                  "Failed to delete registry Key: '-2147483647',Section: 'Software\\Tidewick\\Test'"
                  ",Key: 'Alpha");
    }
    reg.SectionKey(section + "\\Missing");
    try {
        reg.DeleteValue();
        ADD_FAILURE();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.description(), "Failed to open key '-2147483647',Section: "
                                   "'Software\\Tidewick\\Test\\Missing' for delete access");
    }
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(names.size(), 1u);
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    reg.SectionKey(section + "\\Sub A");
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
}

TEST_F(RegistryClass, ValueExSetsTheAddressAndWritesTheDefaultForAnEmptyText) {
    reg.ValueEx(cRegistry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Tidewick", "Name", 1, V(std::string("unnamed")),
                V(std::string("")));
    EXPECT_EQ(reg.ClassKey(), cRegistry::HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.ValueEx(cRegistry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Tidewick", "Name", 1, V()),
              V(std::string("unnamed")));
    reg.ValueEx(cRegistry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Tidewick", "Count", 4, V(), V(int32_t(7)));
    EXPECT_EQ(reg.ValueEx(cRegistry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Tidewick", "Count", 0, V()),
              V(int32_t(7)));
}

TEST_F(RegistryClass, ExeAssociationUnderBothClassRoots) {
    reg.CreateEXEAssociation("  /opt/tidewick/Tidewick_HDMI ", "qf2_ext", "Tidewick data file", "qf2", "",
                             true, "", false, "", true, "", 0);
    EXPECT_EQ(reg.ClassKey(), cRegistry::HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.SectionKey(), "qf2_ext\\DefaultIcon");
    const std::string exe = "\"/opt/tidewick/Tidewick_HDMI\"";
    const std::pair<const char*, std::string> expected[] = {
        {".qf2", "qf2_ext"},
        {"qf2_ext", "Tidewick data file"},
        {"qf2_ext\\shell\\open", "&Open"},
        {"qf2_ext\\shell\\open\\command", exe + " \"%1\""},
        {"qf2_ext\\shell\\print", "&Print"},
        {"qf2_ext\\shell\\print\\command", exe + " /p \"%1\""},
        {"qf2_ext\\shell\\add", "&Install qf2"},
        {"qf2_ext\\shell\\add\\command", exe + " /a \"%1\""},
        {"qf2_ext\\DefaultIcon", exe + ",0"},
    };
    for (const auto& [key, text] : expected) {
        std::string a, b;
        EXPECT_EQ(registry::ReadString(registry::HKEY_CLASSES_ROOT, key, "", a), 0) << key;
        EXPECT_EQ(registry::ReadString(registry::HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\Classes\\") + key,
                                       "", b),
                  0)
            << key;
        EXPECT_EQ(a, text) << key;
        EXPECT_EQ(b, text) << key;
    }
    EXPECT_FALSE(registry::KeyExists(registry::HKEY_CLASSES_ROOT, "qf2_ext\\shell\\new"));
}

TEST_F(RegistryClass, AdditionalAssociationsNeedTriplesAndAClass) {
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{}, std::vector<std::string>{"play", "&Play", "cmd", "extra"}}) {
        reg.CreateAdditionalEXEAssociations("qf2_ext", bad);
        ASSERT_TRUE(reg.RecordedError());
        EXPECT_EQ(reg.RecordedError()->number(), static_cast<int32_t>(0x800469AC));
        EXPECT_EQ(
            reg.RecordedError()->description(),
            "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    }
    reg.ClassKey(cRegistry::HKEY_CLASSES_ROOT);
    reg.CreateAdditionalEXEAssociations("qf2_ext", {"play", "&Play", "cmd"});
    ASSERT_TRUE(reg.RecordedError());
    EXPECT_EQ(reg.RecordedError()->number(), static_cast<int32_t>(0x800469AD));
    EXPECT_TRUE(registry::SubKeyNames(registry::HKEY_CLASSES_ROOT, "").empty()); // nothing written

    reg.CreateEXEAssociation("/opt/t", "qf2_ext", "Tidewick data file", "qf2");
    reg.ClassKey(cRegistry::HKEY_CLASSES_ROOT);
    reg.CreateAdditionalEXEAssociations("qf2_ext", {"play", "&Play", "/opt/t /play \"%1\""});
    EXPECT_FALSE(reg.RecordedError());
    std::string text;
    registry::ReadString(registry::HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\qf2_ext\\shell\\play\\command", "",
                         text);
    EXPECT_EQ(text, "/opt/t /play \"%1\"");
}

TEST(Win32ErrorText, KnownUnknownAndNegativeCodes) {
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {
        {2, "The system cannot find the file specified.\r\n\r\nDec: 2\tHex: 2"},
        {12345, "(No such error)\r\n\r\nDec: 12345\tHex: 3039"},
        {static_cast<int32_t>(0x80040154), "Class not registered\r\n\r\nDec: -2147221164\tHex: 80040154"},
        {-1, "(No such error)\r\n\r\nDec: -1\tHex: FFFFFFFF"},
    };
    for (auto c : cases)
        EXPECT_EQ(Win32_Error_Text(c.code), c.text);
}

} // namespace
