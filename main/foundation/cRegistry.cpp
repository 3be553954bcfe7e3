#include "cRegistry.h"

#include "Dialogs.h"
#include "Module_formatmessage.h"
#include "Registry.h"
#include "VbConvert.h"
#include "VbString.h"
#include "WinSystem.h"

#include <cstdlib>
#include <cstring>

namespace {

using namespace registry;

HKEY root_of(int32_t class_key) {
    return static_cast<HKEY>(class_key);
}

// Closes the key it holds when the operation ends, also when it raises.
struct OpenedKey {
    HKEY key = 0;
    ~OpenedKey() {
        if (key) RegCloseKey(key);
    }
};

// A value as the text it would print as.
std::string text_of(const cRegistry::Variant& v) {
    struct {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return vb::CStr(b); }
        std::string operator()(int16_t i) const { return vb::CStr(i); }
        std::string operator()(int32_t i) const { return vb::CStr(i); }
        std::string operator()(double d) const { return vb::CStr(d); }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const std::vector<uint8_t>& b) const {
            return std::string(b.begin(), b.end());
        }
    } visit;
    return std::visit(visit, v);
}

} // namespace

void cRegistry::raise(int32_t number, const std::string& description) const {
    vb::Raise(number, description, win::ProgramName() + ".cRegistry");
}

void cRegistry::Machine(const std::string& name) {
    if (name.size() < 3)
        m_Machine.clear();
    else if (name.rfind("\\\\", 0) == 0)
        m_Machine = name;
    else
        m_Machine = "\\\\" + name;
}

bool cRegistry::KeyExists() {
    OpenedKey k;
    return RegOpenKeyExA(root_of(m_ClassKey), m_SectionKey, 0, KEY_QUERY_VALUE, &k.key) == ERROR_SUCCESS;
}

bool cRegistry::CreateKey() {
    OpenedKey k;
    uint32_t disposition = 0;
    if (RegCreateKeyExA(root_of(m_ClassKey), m_SectionKey, 0, "", REG_OPTION_NON_VOLATILE, 0x3F, nullptr,
                        &k.key, &disposition) != ERROR_SUCCESS)
        raise(kErrClass, "Failed to create registry Key: '" + m_SectionKey);
    return true;
}

bool cRegistry::DeleteKey() {
    if (RegDeleteKeyA(root_of(m_ClassKey), m_SectionKey) != ERROR_SUCCESS)
        raise(kErrClass,
              "Failed to delete registry Key: '" + vb::CStr(m_ClassKey) + "',Section: '" + m_SectionKey);
    return true;
}

bool cRegistry::DeleteValue() {
    OpenedKey k;
    if (RegOpenKeyExA(root_of(m_ClassKey), m_SectionKey, 0, 0x3F, &k.key) != ERROR_SUCCESS)
        raise(kErrClass, "Failed to open key '" + vb::CStr(m_ClassKey) + "',Section: '" + m_SectionKey +
                             "' for delete access");
    if (RegDeleteValueA(k.key, m_ValueKey) != ERROR_SUCCESS)
        raise(kErrClass, "Failed to delete registry Key: '" + vb::CStr(m_ClassKey) + "',Section: '" +
                             m_SectionKey + "',Key: '" + m_ValueKey);
    return true;
}

cRegistry::Variant cRegistry::Value() {
    HKEY root = root_of(m_ClassKey);
    if (!m_Machine.empty() && RegConnectRegistryA(m_Machine, root_of(m_ClassKey), &root) != ERROR_SUCCESS)
        return m_Default;
    OpenedKey k;
    int32_t r = RegOpenKeyExA(root, m_SectionKey, 0, KEY_QUERY_VALUE, &k.key);
    if (r != ERROR_SUCCESS) {
        forms::MsgBox("Error reading registry, " + Win32_Error_Text(r));
        return m_Default;
    }
    uint32_t type = 0, size = 0;
    char probe = 0;
    r = RegQueryValueExA(k.key, m_ValueKey, nullptr, &type, &probe, &size);
    if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) return m_Default;
    m_ValueType = static_cast<int32_t>(type);
    std::string bytes(size, '\0');
    if (size > 0 && RegQueryValueExA(k.key, m_ValueKey, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
        return m_Default;
    bytes.resize(size);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        // The stored text ends with its NUL, which is not part of the value.
        std::string text = bytes.empty() ? std::string() : bytes.substr(0, bytes.size() - 1);
        return type == REG_EXPAND_SZ ? expand_environment(text) : text;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        int32_t v = 0;
        std::memcpy(&v, bytes.data(), std::min<size_t>(bytes.size(), 4));
        return type == REG_DWORD_BIG_ENDIAN ? swap_endian(v) : v;
    }
    default:
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
}

void cRegistry::Value(const Variant& value) {
    HKEY root = root_of(m_ClassKey);
    if (!m_Machine.empty() && RegConnectRegistryA(m_Machine, root_of(m_ClassKey), &root) != ERROR_SUCCESS)
        return;
    const std::string shown = text_of(value);
    const std::string description = "Failed to set registry value Key: '" + vb::CStr(m_ClassKey) +
                                    "',Section: '" + m_SectionKey + "',Key: '" + m_ValueKey +
                                    "' to value: '" + shown + "'";
    OpenedKey k;
    uint32_t disposition = 0;
    if (RegCreateKeyExA(root, m_SectionKey, 0, "", REG_OPTION_NON_VOLATILE, 0x3F, nullptr, &k.key,
                        &disposition) != ERROR_SUCCESS)
        raise(kErrClass, description);
    int32_t r = ERROR_SUCCESS;
    switch (m_ValueType) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        // Two '%' with something between them mark a text to expand when read.
        const int64_t first = vb::InStr(shown, "%");
        const uint32_t type = first > 0 && vb::InStr(first + 2, shown, "%") > 0 ? REG_EXPAND_SZ : REG_SZ;
        r = RegSetValueExA(k.key, m_ValueKey, 0, type, shown.c_str(),
                           static_cast<uint32_t>(shown.size() + 1));
        break;
    }
    case REG_BINARY: {
        const auto* bytes = std::get_if<std::vector<uint8_t>>(&value);
        if (!bytes) vb::Raise(kErrClass);
        r = RegSetValueExA(k.key, m_ValueKey, 0, REG_BINARY, bytes->data(),
                           static_cast<uint32_t>(bytes->size()));
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        int32_t v = 0;
        if (const auto* i = std::get_if<int16_t>(&value))
            v = *i;
        else if (const auto* l = std::get_if<int32_t>(&value))
            v = *l;
        else
            break; // only whole numbers are written; anything else is quietly left alone
        r = RegSetValueExA(k.key, m_ValueKey, 0, REG_DWORD, &v, 4);
        break;
    }
    default:
        r = ERROR_INVALID_DATA;
    }
    if (r != ERROR_SUCCESS) raise(kErrSetValue, description);
}

bool cRegistry::EnumerateValues(std::vector<std::string>& names, int32_t& count) {
    names.assign(1, std::string());
    count = 0;
    OpenedKey k;
    if (RegOpenKeyExA(root_of(m_ClassKey), m_SectionKey, 0, KEY_QUERY_VALUE, &k.key) != ERROR_SUCCESS)
        return true;
    uint32_t longest = 0;
    RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, &longest, nullptr);
    std::vector<char> buffer(longest + 1);
    for (uint32_t i = 0;; ++i) {
        uint32_t n = static_cast<uint32_t>(buffer.size());
        if (RegEnumValueA(k.key, i, buffer.data(), &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), n);
        ++count;
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& names, int32_t& count) {
    names.assign(1, std::string());
    count = 0;
    OpenedKey k;
    try {
        if (RegOpenKeyExA(root_of(m_ClassKey), m_SectionKey, 0, KEY_ENUMERATE_SUB_KEYS, &k.key) !=
            ERROR_SUCCESS)
            return true;
        char buffer[255];
        for (uint32_t i = 0; RegEnumKeyA(k.key, i, buffer, sizeof buffer) == ERROR_SUCCESS; ++i) {
            names.emplace_back(buffer, strnlen(buffer, sizeof buffer));
            ++count;
        }
    } catch (...) {
        const vb::VbError e = vb::ToVbError(std::current_exception());
        raise(kErrEnumerate, e.description());
    }
    return true;
}

void cRegistry::write_both_roots(const std::string& text) {
    const std::string section = m_SectionKey;
    m_ClassKey = HKEY_CLASSES_ROOT;
    Value(Variant(text));
    m_ClassKey = HKEY_LOCAL_MACHINE;
    m_SectionKey = "SOFTWARE\\Classes\\" + section;
    Value(Variant(text));
    m_SectionKey = section;
}

void cRegistry::CreateEXEAssociation(const std::string& exe_path, const std::string& class_name,
                                     const std::string& class_description, const std::string& association,
                                     const std::string& open_menu_text, bool print,
                                     const std::string& print_menu_text, bool new_,
                                     const std::string& new_menu_text, bool install,
                                     const std::string& install_menu_text, int32_t default_icon_index) {
    std::string exe = vb::Trim(exe_path);
    if (exe.empty() || exe.front() != '"') exe = "\"" + exe;
    if (exe.size() < 2 || exe.back() != '"') exe += "\"";
    const std::string file = "\"%1\"";

    m_SectionKey = "." + association;
    m_ValueType = REG_SZ;
    m_ValueKey.clear();
    write_both_roots(class_name);
    m_SectionKey = class_name;
    write_both_roots(class_description);
    auto verb = [&](const std::string& key, const std::string& text, const std::string& command) {
        m_SectionKey = class_name + "\\shell\\" + key;
        write_both_roots(text);
        m_SectionKey = class_name + "\\shell\\" + key + "\\command";
        write_both_roots(command);
    };
    verb("open", open_menu_text.empty() ? "&Open" : open_menu_text, exe + " " + file);
    if (print) verb("print", print_menu_text.empty() ? "&Print" : print_menu_text, exe + " /p " + file);
    if (install)
        verb("add", install_menu_text.empty() ? "&Install " + association : install_menu_text,
             exe + " /a " + file);
    if (new_) verb("new", new_menu_text.empty() ? "&New" : new_menu_text, exe + " /n " + file);
    if (default_icon_index > -1) {
        m_SectionKey = class_name + "\\DefaultIcon";
        write_both_roots(exe + "," + vb::CStr(default_icon_index));
    }
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& class_name,
                                                const std::vector<std::string>& further) {
    m_Recorded.reset();
    // Every step goes on past a failure; the last failure stays recorded.
    auto step = [&](auto&& body) {
        try {
            body();
        } catch (...) {
            m_Recorded = vb::ToVbError(std::current_exception());
        }
    };
    if (further.empty() || further.size() % 3 != 0) {
        m_Recorded =
            vb::VbError(kErrParameters,
                        "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
                        "Name/Text/Command",
                        win::ProgramName() + ".cRegistry");
        return;
    }
    m_SectionKey = class_name;
    if (!KeyExists()) {
        m_Recorded = vb::VbError(kErrNoClass,
                                 "Error - attempt to create additional associations before class defined.",
                                 win::ProgramName() + ".cRegistry");
        return;
    }
    for (size_t i = 0; i < further.size(); i += 3) {
        step([&] {
            m_ValueType = REG_SZ;
            m_SectionKey = class_name + "\\shell\\" + further[i];
            m_ValueKey.clear();
            write_both_roots(further[i + 1]);
        });
        step([&] {
            m_SectionKey = class_name + "\\shell\\" + further[i] + "\\command";
            write_both_roots(further[i + 2]);
        });
    }
}

cRegistry::Variant cRegistry::ValueEx(int32_t class_key, const std::string& section_key,
                                      const std::string& value_key, int32_t value_type, const Variant& def) {
    m_ClassKey = class_key;
    m_SectionKey = section_key;
    m_ValueKey = value_key;
    m_ValueType = value_type;
    m_Default = def;
    return Value();
}

void cRegistry::ValueEx(int32_t class_key, const std::string& section_key, const std::string& value_key,
                        int32_t value_type, const Variant& def, const Variant& new_value) {
    m_ClassKey = class_key;
    m_SectionKey = section_key;
    m_ValueKey = value_key;
    m_ValueType = value_type;
    m_Default = def;
    if (m_ValueType == REG_SZ && text_of(new_value).empty())
        Value(m_Default);
    else
        Value(new_value);
}

int32_t cRegistry::swap_endian(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return static_cast<int32_t>((u >> 24) | ((u >> 8) & 0xFF00) | ((u << 8) & 0xFF0000) | (u << 24));
}

std::string cRegistry::expand_environment(const std::string& text) {
    // %NAME% becomes the variable's value; unknown names and lone '%' stay as they are.
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('%', i);
        if (open == std::string::npos) break;
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, i, open - i);
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            out += value;
            i = close + 1;
        } else {
            out.append(text, open, close - open);
            i = close;
        }
    }
    out.append(text, i, std::string::npos);
    return out;
}
