#include "fso_functions.h"

#include "Module_dependant.h"
#include "VbDate.h"
#include "VbTrap.h"

#include <filesystem>

namespace fs = std::filesystem;

std::vector<std::string> fso_Youngest_files(const std::string& folder) {
    return fso_Youngest_files(folder, "qf2", 1048576);
}

std::vector<std::string> fso_Youngest_files(const std::string& folder, const std::string& extension,
                                            int64_t min_size) {
    std::vector<std::string> list;
    vb::Trap("fso_Youngest_files of Module fso_functions", [&] {
        if (folder.empty() || !FolderExists(folder)) return;
        std::vector<fs::directory_entry> files;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) files.push_back(e);
        if (files.empty()) return;
        list.assign(files.size(), std::string());
        size_t next = 0;
        for (const auto& f : files) {
            const std::string name = f.path().filename().string();
            if (Get_File_Extension(name) != extension || static_cast<int64_t>(f.file_size()) <= min_size)
                continue;
            list[next++] = vb::FormatDate(vb::ToLocal(f.last_write_time()), "yyyy-mm-dd hh:nn:ss") + name;
        }
        Bubble_Sort(list);
    });
    return list;
}
