#pragma once
// One object addresses one registry value (root, key path, value name, type)
// and reads, writes, creates, deletes and enumerates; it also writes whole
// file-type associations with their shell verbs. Nothing in the program
// creates one; it is kept for the file association and for tools.
#include "VbError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class cRegistry {
public:
    // What a value holds: nothing, a Boolean, a 16- or 32-bit integer, a
    // number, a text or a byte array (indexed from 0).
    using Variant =
        std::variant<std::monostate, bool, int16_t, int32_t, double, std::string, std::vector<uint8_t>>;

    // The root key numbers.
    static constexpr int32_t HKEY_CLASSES_ROOT = static_cast<int32_t>(0x80000000);
    static constexpr int32_t HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001);
    static constexpr int32_t HKEY_LOCAL_MACHINE = static_cast<int32_t>(0x80000002);
    static constexpr int32_t HKEY_USERS = static_cast<int32_t>(0x80000003);
    // Error numbers of the class.
    static constexpr int32_t kErrClass = 26001;
    static constexpr int32_t kErrSetValue = static_cast<int32_t>(0x800469A9);
    static constexpr int32_t kErrEnumerate = static_cast<int32_t>(0x800469AA);
    static constexpr int32_t kErrParameters = static_cast<int32_t>(0x800469AC);
    static constexpr int32_t kErrNoClass = static_cast<int32_t>(0x800469AD);

    const std::string& Machine() const { return m_Machine; }
    // Shorter than 3 characters clears it; "\\" is put in front where missing.
    void Machine(const std::string& name);
    bool KeyExists();
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();
    // Reads the value; Default when it can't be read (with a message box when
    // the key can't be opened). Sets ValueType to the stored type.
    Variant Value();
    // Writes the value as ValueType says.
    void Value(const Variant& value);
    // Names indexed from 1 (element 0 is unused) and their count.
    bool EnumerateValues(std::vector<std::string>& names, int32_t& count);
    bool EnumerateSections(std::vector<std::string>& names, int32_t& count);
    // Writes the association of a file extension (without its dot) with a
    // program under both class roots; afterwards ClassKey is HKEY_LOCAL_MACHINE.
    void CreateEXEAssociation(const std::string& exe_path, const std::string& class_name,
                              const std::string& class_description, const std::string& association,
                              const std::string& open_menu_text = {}, bool print = false,
                              const std::string& print_menu_text = {}, bool new_ = false,
                              const std::string& new_menu_text = {}, bool install = false,
                              const std::string& install_menu_text = {}, int32_t default_icon_index = -1);
    // Further shell verbs of a class, in threes: verb key name, menu text,
    // command. Goes on past failures; the error is kept in RecordedError().
    void CreateAdditionalEXEAssociations(const std::string& class_name,
                                         const std::vector<std::string>& further);
    int32_t ValueType() const { return m_ValueType; }
    void ValueType(int32_t type) { m_ValueType = type; }
    int32_t ClassKey() const { return m_ClassKey; }
    void ClassKey(int32_t key) { m_ClassKey = key; }
    const std::string& SectionKey() const { return m_SectionKey; }
    void SectionKey(const std::string& key) { m_SectionKey = key; }
    const std::string& ValueKey() const { return m_ValueKey; }
    Variant ValueEx(int32_t class_key, const std::string& section_key, const std::string& value_key,
                    int32_t value_type, const Variant& def);
    // An empty text of type 1 writes the default instead.
    void ValueEx(int32_t class_key, const std::string& section_key, const std::string& value_key,
                 int32_t value_type, const Variant& def, const Variant& new_value);
    void ValueKey(const std::string& key) { m_ValueKey = key; }
    const Variant& Default() const { return m_Default; }
    void Default(const Variant& def) { m_Default = def; }

    // The error the last CreateAdditionalEXEAssociations recorded, if any.
    const std::optional<vb::VbError>& RecordedError() const { return m_Recorded; }

private:
    void write_both_roots(const std::string& text);
    static int32_t swap_endian(int32_t v);
    static std::string expand_environment(const std::string& text);
    [[noreturn]] void raise(int32_t number, const std::string& description) const;

    int32_t m_ClassKey = 0;
    std::string m_SectionKey;
    std::string m_ValueKey;
    Variant m_Default;
    int32_t m_ValueType = 0;
    std::string m_Machine;
    std::optional<vb::VbError> m_Recorded;
};
