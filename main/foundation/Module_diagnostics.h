#pragma once
// Two small diagnostics of the computer and of the data: the processor usage
// as the system publishes it, and a check that a text is well-formed XML.
#include <cstdint>
#include <string>

// The processor usage value "KERNEL\CPUUsage" of the key "PerfStats\StatData"
// under the dynamic-data root; 0 when it is not there (as on this system,
// where nothing publishes it).
int32_t Get_CPU_Usage();

// Parses the text; when it is not well-formed XML the operator sees one
// message with the parser's reason, line and source text. The caller goes on
// either way.
void Validate_XML_string(const std::string& text);
