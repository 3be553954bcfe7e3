#include "File_Commands.h"
#include "Registry.h"
#include "TestEnv.h"
#include "WinSystem.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class Association : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test_env::make_dir(std::string("assoc-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        registry::SetRegistryFilePath(dir + "/registry.txt");
        test_env::dialogs().clear();
        data = std::getenv("XDG_DATA_HOME");
    }
    void TearDown() override { registry::SetRegistryFilePath({}); }
    std::string dir, data;
};

TEST_F(Association, WritesEveryEntryThenAnnouncesIt) {
    Associate_File_Extension();
    EXPECT_EQ(test_env::dialogs().prompts(),
              std::vector<std::string>({"Associated the file extension .qf2 with this application!"}));

    const std::string folder = fs::path(win::ProgramPath()).parent_path().string();
    const std::string exe = folder + "/" + win::ProgramName();
    const std::pair<const char*, std::string> expected[] = {
        {".qf2", "qf2_ext"},
        {"qf2_ext", "Tidewick data file"},
        {"qf2_ext\\DefaultIcon", folder + "/Tidewick_HDMI.png"},
        {"qf2_ext\\shell\\open\\command", "\"" + exe + "\" \"%1\""},
    };
    for (const auto& [key, text] : expected) {
        std::string value;
        EXPECT_EQ(registry::ReadString(registry::HKEY_CLASSES_ROOT, key, "", value), 0) << key;
        EXPECT_EQ(value, text) << key;
    }
    // The shell keys are only created.
    std::string none;
    EXPECT_TRUE(registry::KeyExists(registry::HKEY_CLASSES_ROOT, "qf2_ext\\shell\\open"));
    EXPECT_EQ(registry::ReadString(registry::HKEY_CLASSES_ROOT, "qf2_ext\\shell", "", none),
              registry::ERROR_FILE_NOT_FOUND);

    // The desktop's side, checked by its own tools.
    const std::string xml = data + "/mime/packages/tidewick-qf2.xml";
    const std::string desktop = data + "/applications/tidewick-qf2.desktop";
    ASSERT_TRUE(fs::exists(xml));
    ASSERT_TRUE(fs::exists(desktop));
    EXPECT_NE(test_env::read_file(desktop).find("MimeType=application/x-tidewick-qf2;"), std::string::npos);
    std::string out;
    ASSERT_TRUE(test_env::have_tool("xmllint") && test_env::have_tool("desktop-file-validate"));
    EXPECT_EQ(test_env::run("xmllint --noout '" + xml + "' 2>&1", &out), 0) << out;
    EXPECT_EQ(test_env::run("desktop-file-validate '" + desktop + "' 2>&1", &out), 0) << out;
    // The MIME database the desktop's tool built from it maps the suffix to the type.
    ASSERT_TRUE(test_env::have_tool("update-mime-database"));
    const std::string globs = test_env::read_file(data + "/mime/globs2");
    EXPECT_NE(globs.find("application/x-tidewick-qf2:*.qf2"), std::string::npos) << globs;
}

TEST_F(Association, NoAnnouncementWhenAnEntryCouldNotBeWritten) {
    // A registry that can't be written: the folder it should lie in is a file.
    test_env::write_file(dir + "/blocked", "x");
    registry::SetRegistryFilePath(dir + "/blocked/registry.txt");
    Associate_File_Extension();
    const auto prompts = test_env::dialogs().prompts();
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts[0], "Error: Creating Key!");
    for (const auto& p : prompts)
        EXPECT_NE(p, "Associated the file extension .qf2 with this application!");
}

TEST_F(Association, ExecLineQuotesAnAwkwardPath) {
    std::string ext = ".qf2", exe = dir + "/My $Race 100%/Tidewick \"HD\"", key = "qf2_ext",
                desc = "Tidewick data file", icon = dir + "/icon.png";
    ASSERT_TRUE(Register_File_Type(ext, exe, key, desc, icon));
    const std::string desktop = test_env::read_file(data + "/applications/tidewick-qf2.desktop");
    EXPECT_NE(desktop.find("Exec=\"" + dir + "/My \\\\$Race 100%%/Tidewick \\\\\"HD\\\\\"\" %f\n"),
              std::string::npos)
        << desktop;
    std::string out;
    EXPECT_EQ(
        test_env::run("desktop-file-validate '" + data + "/applications/tidewick-qf2.desktop' 2>&1", &out), 0)
        << out;
}

} // namespace
