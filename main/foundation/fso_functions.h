#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The large "qf2" files of a folder as texts "yyyy-mm-dd hh:nn:ss" + name,
// sorted so the newest come last; one slot per file of the folder, the
// slots of other files left as empty texts at the front.
std::vector<std::string> fso_Youngest_files(const std::string& folder);
// The same for the files with that exact extension larger than min_size bytes.
std::vector<std::string> fso_Youngest_files(const std::string& folder, const std::string& extension,
                                            int64_t min_size);
