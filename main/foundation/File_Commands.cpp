#include "File_Commands.h"

#include "Dialogs.h"
#include "Module_trace.h"
#include "Registry.h"
#include "WinSystem.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using namespace registry;

// Creates or opens a key; "Error: Creating Key!" when that fails.
bool create_key(const std::string& path, HKEY& key) {
    uint32_t disposition = 0;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, "", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) == ERROR_SUCCESS)
        return true;
    key = 0;
    forms::MsgBox("Error: Creating Key!");
    return false;
}

bool set_default(HKEY key, const std::string& text) {
    return RegSetValueExA(key, "", 0, REG_SZ, text.c_str(), static_cast<uint32_t>(text.size() + 1)) ==
           ERROR_SUCCESS;
}

// Writes a file whole or not at all, its folder made first.
bool write_file(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::string error;
    return win::WriteFileWhole(path.string(), text, error);
}

std::string xml_escape(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '&')
            r += "&amp;";
        else if (c == '<')
            r += "&lt;";
        else if (c == '>')
            r += "&gt;";
        else if (c == '"')
            r += "&quot;";
        else
            r += c;
    }
    return r;
}

// A path as one quoted argument of an Exec line, then escaped as a desktop-file string.
std::string exec_argument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    return escaped;
}

std::string desktop_value(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '\\')
            r += "\\\\";
        else if (c == '\n')
            r += "\\n";
        else
            r += c;
    }
    return r;
}

// The freedesktop side: a MIME type for the extension and an application
// entry that opens it, both in the user's data folder.
bool register_desktop_type(const std::string& extension, const std::string& exe_path,
                           const std::string& type_description, const std::string& icon_path) {
    std::string data, error;
    if (!win::GetLocalAppDataFolder(data, error)) return false;
    const std::string name = extension.size() > 1 && extension[0] == '.' ? extension.substr(1) : extension;
    const std::string mime = Desktop_Mime_Type(extension);
    const std::string base = "tidewick-" + name;
    const std::string mime_xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        mime +
        "\">\n"
        "    <comment>" +
        xml_escape(type_description) +
        "</comment>\n"
        "    <glob pattern=\"*." +
        xml_escape(name) +
        "\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const std::string desktop = "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=" +
                                desktop_value(win::ProgramName()) +
                                "\n"
                                "Comment=" +
                                desktop_value(type_description) +
                                "\n"
                                "Exec=" +
                                exec_argument(exe_path) +
                                " %f\n"
                                "Icon=" +
                                desktop_value(icon_path) +
                                "\n"
                                "MimeType=" +
                                mime +
                                ";\n"
                                "NoDisplay=true\n"
                                "Terminal=false\n";
    const fs::path root(data);
    bool ok = write_file(root / "mime" / "packages" / (base + ".xml"), mime_xml);
    ok = write_file(root / "applications" / (base + ".desktop"), desktop) && ok;
    if (ok) {
        // Refresh the desktop's caches where the tools exist; the entries work without them too.
        const std::string q = "'" + root.string() + "'";
        if (std::system("command -v update-mime-database >/dev/null 2>&1") == 0)
            std::system(("update-mime-database " + q + "/mime >/dev/null 2>&1").c_str());
        if (std::system("command -v update-desktop-database >/dev/null 2>&1") == 0)
            std::system(("update-desktop-database " + q + "/applications >/dev/null 2>&1").c_str());
    }
    return ok;
}

} // namespace

std::string Desktop_Mime_Type(const std::string& extension) {
    const std::string name = extension.size() > 1 && extension[0] == '.' ? extension.substr(1) : extension;
    return "application/x-tidewick-" + name;
}

bool Register_File_Type(std::string& extension, std::string& exe_path, std::string& type_key,
                        std::string& type_description, std::string& icon_path) {
    bool all = true;
    HKEY key = 0;
    // Each step: the key, then its default value; a value that can't be set ends the procedure.
    auto key_with_default = [&](const std::string& path, const std::string& text) {
        if (!create_key(path, key)) {
            all = false;
            return true;
        }
        const bool set = set_default(key, text);
        RegCloseKey(key);
        key = 0;
        if (!set) {
            forms::MsgBox("Error Setting String Value!");
            all = false;
        }
        return set;
    };
    if (!key_with_default(extension, type_key)) return false;
    if (!key_with_default(type_key, type_description)) return false;
    if (!key_with_default(type_key + "\\DefaultIcon", icon_path)) return false;
    std::string path = type_key + "\\shell";
    for (const char* part : {"", "\\open"}) {
        path += part;
        if (create_key(path, key))
            RegCloseKey(key);
        else
            all = false;
        key = 0;
    }
    path += "\\command";
    if (!key_with_default(path, "\"" + exe_path + "\" \"%1\"")) return false;
    return register_desktop_type(extension, exe_path, type_description, icon_path) && all;
}

void Associate_File_Extension() {
    const std::string folder = fs::path(win::ProgramPath()).parent_path().string();
    std::string exe_path = folder + win::kPathSep + win::ProgramName();
    std::string icon_path = folder + win::kPathSep + "Tidewick_HDMI.png";
    std::string extension = ".qf2";
    std::string type_key = "qf2_ext";
    std::string description = "Tidewick data file";
    if (Register_File_Type(extension, exe_path, type_key, description, icon_path))
        forms::MsgBox("Associated the file extension .qf2 with this application!", forms::vbOKOnly);
}
