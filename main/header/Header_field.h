#pragma once
// How Cls_XML_header reaches one element: its XPath and what a failure does.
// The accessors of every section are driven by tables of these, so the rules
// for plain, fallback and error-ignoring access live in one place.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace header_field {

enum class Kind {
    Plain,    // a missing element or a text that does not convert fails to the caller
    Fallback, // every failure gives the field's fallback (reads only)
    Ignoring, // every failure is ignored: a read gives the empty value, a write does nothing
};

struct Field {
    // The XPath; each "%" stands for one record number (heat, lane, box,
    // stream, class, line...), filled in order as decimal text.
    const char* path;
    Kind read = Kind::Plain;
    // The fallback of a Fallback read, written as the field's own text
    // ("0", "True", "Not known!"); converted like a stored text.
    const char* fallback = "";
    Kind write = Kind::Plain;
};

// The path with its record numbers in place.
inline std::string Resolve(const char* path, std::initializer_list<int32_t> ids) {
    std::string out;
    auto id = ids.begin();
    for (const char* p = path; *p; ++p) {
        if (*p == '%' && id != ids.end())
            out += std::to_string(*id++);
        else
            out += *p;
    }
    return out;
}

} // namespace header_field
