#include "cli_harness.h"

#include "app/identity.h"
#include "platform/platform.h"
#include "settings/settings.h"

CliSandbox::CliSandbox() {
    work = root.File("work/");
    runtime = root.File("runtime");
    config = root.File("config");
    home = root.File("home");
    tmp = root.File("tmp");
    for (const std::string& folder : {work, runtime, config, home, tmp})
        MakeFolders(folder);
}

std::string CliSandbox::Command(const std::string& extraEnv) const {
    return "env XDG_RUNTIME_DIR=" + ShellQuote(runtime) + " XDG_CONFIG_HOME=" + ShellQuote(config) +
           " HOME=" + ShellQuote(home) + " TMPDIR=" + ShellQuote(tmp) + " " + extraEnv + " " +
           ShellQuote(BrelvixPath());
}

CommandResult CliSandbox::Run(const std::vector<std::string>& args, const std::string& input,
                              const std::string& extraEnv) const {
    std::string command = "cd " + ShellQuote(work) + " && " + Command(extraEnv);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    return RunCommand(command + " " + input);
}

std::string CliSandbox::LockPath() const {
    return runtime + "/" + ProductTitle() + ".lock";
}

std::string Banner() {
    std::string notice = NoticeText();
    for (size_t at = notice.find("\u00a9"); at != std::string::npos; at = notice.find("\u00a9"))
        notice.replace(at, 2, "(c)");
    return ProductTitle() + "\n" + notice + "\n" + WebSiteAddress() + "\n \n";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
