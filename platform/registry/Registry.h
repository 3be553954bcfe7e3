#pragma once
// The registry: a tree of keys with typed values under a few predefined
// roots, kept for the user in one file ($XDG_CONFIG_HOME/tidewick/registry.txt,
// or the file named by TIDEWICK_REGISTRY). The calls follow the registry
// calls the program was written against, with their result codes, so that
// callers can test for "more data" or "no more items" as they always did.
//
// Key and value names match without regard to letter case and keep the case
// they were created with. Sub-keys enumerate in name order, values in the
// order they were first written. Texts are UTF-8.
//
// Every change is written through at once, to a temporary file renamed over
// the old one, under a lock shared by all processes of the user: a crash
// leaves either the old or the new file, never a mixture. Reads pick up what
// other processes (a registration tool, a loaded library) wrote meanwhile.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace registry {

// A key handle: one of the predefined roots (their values sign-extend the
// 32-bit root numbers the program stores) or a handle from an open or create.
using HKEY = intptr_t;
using LONG = int32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = static_cast<int32_t>(0x80000000);
inline constexpr HKEY HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001);
inline constexpr HKEY HKEY_LOCAL_MACHINE = static_cast<int32_t>(0x80000002);
inline constexpr HKEY HKEY_USERS = static_cast<int32_t>(0x80000003);
inline constexpr HKEY HKEY_PERFORMANCE_DATA = static_cast<int32_t>(0x80000004);
inline constexpr HKEY HKEY_CURRENT_CONFIG = static_cast<int32_t>(0x80000005);
inline constexpr HKEY HKEY_DYN_DATA = static_cast<int32_t>(0x80000006);

// Value types.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr uint32_t REG_LINK = 6;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_QWORD = 11;

// Access rights and options are accepted and not enforced: one user owns the file.
inline constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;
inline constexpr uint32_t REG_OPTION_NON_VOLATILE = 0;
inline constexpr uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

// Result codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_DATA = 13;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_BAD_NETPATH = 53;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_BADDB = 1009;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

// The file in use: TIDEWICK_REGISTRY when set, else the user's configuration
// folder. Setting a file here sets TIDEWICK_REGISTRY too, so that libraries
// loaded into the process (each with its own copy of this layer) agree.
std::string RegistryFilePath();
void SetRegistryFilePath(const std::string& path);

LONG RegOpenKeyExA(HKEY key, const std::string& sub_key, uint32_t options, uint32_t sam, HKEY* result);
LONG RegCreateKeyExA(HKEY key, const std::string& sub_key, uint32_t reserved, const std::string& key_class,
                     uint32_t options, uint32_t sam, const void* security, HKEY* result,
                     uint32_t* disposition);
LONG RegCloseKey(HKEY key);
// Only a remote name fails (ERROR_BAD_NETPATH): no remote registry is reachable.
LONG RegConnectRegistryA(const std::string& machine, HKEY key, HKEY* result);

// Stores `size` bytes of `data` as they are (texts carry their own NUL).
LONG RegSetValueExA(HKEY key, const std::string& value_name, uint32_t reserved, uint32_t type,
                    const void* data, uint32_t size);
// With `data` null only the type and size are answered; with a buffer smaller
// than the value, ERROR_MORE_DATA and the size needed in *size.
LONG RegQueryValueExA(HKEY key, const std::string& value_name, uint32_t* reserved, uint32_t* type, void* data,
                      uint32_t* size);
LONG RegDeleteValueA(HKEY key, const std::string& value_name);
// Deletes a key that has no sub-keys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKeyA(HKEY key, const std::string& sub_key);
// Deletes a key with everything below it; an empty sub-key empties `key`.
LONG RegDeleteTreeA(HKEY key, const std::string& sub_key);

// The index-th sub-key name into a buffer of `size` characters (name + NUL).
LONG RegEnumKeyA(HKEY key, uint32_t index, char* name, uint32_t size);
// The index-th value: its name into `name` (*name_size characters on entry,
// the name's length on return), its type and data as RegQueryValueExA.
LONG RegEnumValueA(HKEY key, uint32_t index, char* name, uint32_t* name_size, uint32_t* reserved,
                   uint32_t* type, void* data, uint32_t* data_size);
// Counts and longest lengths (characters without the NUL; data in bytes).
LONG RegQueryInfoKeyA(HKEY key, uint32_t* sub_keys, uint32_t* max_sub_key_len, uint32_t* values,
                      uint32_t* max_value_name_len, uint32_t* max_value_len);

// Conveniences for the layers over this one (COM registration).
LONG WriteString(HKEY root, const std::string& path, const std::string& value_name, const std::string& text);
LONG ReadString(HKEY root, const std::string& path, const std::string& value_name, std::string& text);
bool KeyExists(HKEY root, const std::string& path);
std::vector<std::string> SubKeyNames(HKEY root, const std::string& path);

// Handles opened and not yet closed in this process (a leak shows here).
size_t OpenHandleCount();

// The name the file uses for a predefined root ("HKEY_CLASSES_ROOT"); empty for other handles.
std::string RootName(HKEY root);

} // namespace registry
