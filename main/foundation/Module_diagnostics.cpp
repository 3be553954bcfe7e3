#include "Module_diagnostics.h"

#include "Dialogs.h"
#include "Registry.h"
#include "VbConvert.h"
#include "VbTrap.h"
#include "XmlDom.h"

int32_t Get_CPU_Usage() {
    int32_t usage = 0;
    registry::HKEY key = 0;
    bool opened = false;
    // Whatever goes wrong, the usage read so far (0 unless the value came) is the answer.
    vb::TrapAlways(
        [&] {
            if (registry::RegOpenKeyExA(registry::HKEY_DYN_DATA, "PerfStats\\StatData", 0,
                                        registry::KEY_QUERY_VALUE, &key) != registry::ERROR_SUCCESS)
                return;
            opened = true;
            int32_t value = 0;
            uint32_t type = 0, size = sizeof value;
            if (registry::RegQueryValueExA(key, "KERNEL\\CPUUsage", nullptr, &type, &value, &size) ==
                    registry::ERROR_SUCCESS &&
                size == sizeof value)
                usage = value;
        },
        [](const vb::VbError&) {});
    if (opened) registry::RegCloseKey(key);
    return usage;
}

void Validate_XML_string(const std::string& text) {
    xmldom::DOMDocument60 doc;
    doc.loadXML(text);
    const auto& err = doc.parseError();
    if (err.errorCode != 0)
        forms::MsgBox("Sub Validate_XML_string failed! reason = " + err.reason +
                      " line = " + vb::CStr(err.line) + " srctext = " + err.srcText);
}
