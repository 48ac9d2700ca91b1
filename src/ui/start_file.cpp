#include "ui/start_file.h"

#include "engine/batch_job.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "ui/main_window.h"

#include <filesystem>
#include <string>

void OpenStartFile(int argc, char** argv) {
    if (argc != 2 || !argv || !argv[1] || !*argv[1] || argv[1][0] == '-') return;
    std::string path = argv[1];
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute.lexically_normal().string();
    if (!IsFile(path)) return;
    AddInputFile(path);
    gJob.currentInput.clear();
    LayoutMainWindow();
}
