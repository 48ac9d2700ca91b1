// The help document of the Manual command.
#include "platform/platform.h"
#include "ui/later_parts.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The folders searched, in order: the current folder, the program's folder and the
// documentation folder of the installed layout (bin/../share/doc/brelvix).
std::vector<std::string> HelpFolders() {
    std::vector<std::string> folders;
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    if (!ec && !current.empty()) folders.push_back(current.string() + "/");
    const std::string program = ProgramFolder();
    folders.push_back(program);
    folders.push_back(program + "../share/doc/brelvix/");
    return folders;
}

std::string Tidy(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path tidy = std::filesystem::weakly_canonical(path, ec);
    return ec || tidy.empty() ? path : tidy.string();
}

} // namespace

std::string HelpDocument() {
    const std::vector<std::string> folders = HelpFolders();
    for (const char* name : {"brelvix.chm", "manual/index.html"})
        for (const std::string& folder : folders)
            if (IsFile(folder + name)) return Tidy(folder + name);
    return "brelvix.chm";
}
