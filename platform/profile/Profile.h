#pragma once
// The profile-file calls over plain text files of [sections] and key=value
// lines, with the rules the settings code relies on: section and key names
// match without regard to letter case, values come back without the blanks
// around them and without one pair of enclosing quotes, a value is cut to the
// caller's buffer (size - 1 characters), and a write creates the file and the
// section when they are missing.
#include <cstdint>
#include <string>

namespace profile {

// Copies the value (or `def` when the key or the file is absent) into `out`,
// cut to size - 1 characters; returns the number of characters copied.
uint32_t GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& def,
                                  std::string& out, uint32_t size, const std::string& path);

// Writes key=value into the section; returns 1 on success, 0 on failure with
// the reason in errno (EINVAL for a name or value holding a line break,
// which would corrupt the file). The file is replaced as a whole, so a
// failed write leaves the old file as it was.
int32_t WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& path);

} // namespace profile
