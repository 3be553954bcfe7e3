#pragma once
#include <string>
#include <vector>

// The large "qf2" files of a folder as texts "yyyy-mm-dd hh:nn:ss" + name,
// sorted so the newest come last; one slot per file of the folder, the
// slots of other files left as empty texts at the front.
std::vector<std::string> fso_Youngest_files(const std::string& folder);
