#include "Profile.h"

#include "VbString.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace profile {

namespace {

std::string trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return std::string(s);
}

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    // A read that broke off (an I/O error, a folder in the file's place) is no
    // file's whole content.
    return !in.bad();
}

// "[name]" -> name; anything else -> false.
bool section_name(const std::string& line, std::string& name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const auto close = t.find(']');
    if (close == std::string::npos) return false;
    name = trim(std::string_view(t).substr(1, close - 1));
    return true;
}

bool key_line(const std::string& line, std::string& key, std::string& value) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = trim(std::string_view(line).substr(0, eq));
    value = trim(std::string_view(line).substr(eq + 1));
    return true;
}

bool has_line_break(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

uint32_t GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& def,
                                  std::string& out, uint32_t size, const std::string& path) {
    std::string value = def;
    std::vector<std::string> lines;
    if (read_lines(path, lines)) {
        bool in_section = false;
        std::string name, k, v;
        for (const auto& line : lines) {
            if (section_name(line, name)) {
                in_section = vb::EqualsNoCase(name, section);
                continue;
            }
            if (in_section && key_line(line, k, v) && vb::EqualsNoCase(k, trim(key))) {
                if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                    v = v.substr(1, v.size() - 2);
                value = v;
                break;
            }
        }
    }
    if (size == 0) {
        out.clear();
        return 0;
    }
    if (value.size() > size - 1) value.resize(size - 1);
    out = value;
    return static_cast<uint32_t>(value.size());
}

int32_t WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& path) {
    if (has_line_break(section) || has_line_break(key) || has_line_break(value) || trim(key).empty() ||
        section.find(']') != std::string::npos || key.find('=') != std::string::npos) {
        errno = EINVAL;
        return 0;
    }
    std::vector<std::string> lines;
    // A file that is there but cannot be read must not be replaced by one
    // holding only the new line.
    if (!read_lines(path, lines) && ::access(path.c_str(), F_OK) == 0) {
        if (errno == 0) errno = EACCES;
        return 0;
    }

    const std::string new_line = trim(key) + "=" + value;
    bool in_section = false, section_found = false, done = false;
    size_t last_of_section = 0;
    std::string name, k, v;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (section_name(lines[i], name)) {
            if (in_section) break;
            in_section = vb::EqualsNoCase(name, section);
            if (in_section) {
                section_found = true;
                last_of_section = i;
            }
            continue;
        }
        if (!in_section) continue;
        if (key_line(lines[i], k, v) && vb::EqualsNoCase(k, trim(key))) {
            lines[i] = k + "=" + value;
            done = true;
        } else if (!trim(lines[i]).empty()) {
            last_of_section = i;
        }
    }
    if (!done) {
        if (section_found) {
            lines.insert(lines.begin() + static_cast<long>(last_of_section) + 1, new_line);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(new_line);
        }
    }

    // Write beside the file and move it into place: a failure never leaves
    // a half-written settings file.
    const std::string tmp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream outf(tmp, std::ios::binary | std::ios::trunc);
        if (!outf) return 0;
        for (const auto& l : lines)
            outf << l << "\n";
        outf.flush();
        if (!outf) {
            const int e = errno;
            std::remove(tmp.c_str());
            errno = e ? e : EIO;
            return 0;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        std::remove(tmp.c_str());
        errno = e;
        return 0;
    }
    return 1;
}

} // namespace profile
