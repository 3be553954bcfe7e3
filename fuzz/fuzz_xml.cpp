// The XML layer: any text loads or fails with a parse error; what loads
// serialises to a text that loads again, and selections walk it.
#include "FuzzSupport.h"
#include "VbError.h"
#include "XmlDom.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_support::Init();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        xmldom::DOMDocument60 doc;
        if (!doc.loadXML(text)) return 0;
        const std::string out = doc.xml();
        // What we write must read back; beyond ASCII a Latin-1 document may
        // lose characters of names to "?" by design.
        const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c > 0; });
        xmldom::DOMDocument60 again;
        if (ascii && !again.loadXML(out)) std::abort();
        (void)doc.documentElement().text();
        for (const xmldom::Node& n : doc.selectNodes("//*[@id]"))
            (void)n.getAttribute("id");
    } catch (const vb::VbError&) {
    }
    return 0;
}
