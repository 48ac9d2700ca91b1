#include "test_support.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brelvix-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path = made ? std::string(made) + "/" : "/tmp/";
}

TempFolder::~TempFolder() {
    std::error_code ec;
    if (path != "/tmp/") {
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    TempFolder temp;
    std::string full = "(" + command + ") >" + temp.File("out") + " 2>" + temp.File("err");
    int status = std::system(full.c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(temp.File("out"));
    result.err = ReadFile(temp.File("err"));
    return result;
}

bool WriteFile(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(f);
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

namespace {

// Parses a binary PPM (P6, maxval 255).
RgbImage ParsePpm(const std::string& data) {
    RgbImage img;
    std::istringstream in(data);
    std::string magic;
    int maxval = 0;
    in >> magic;
    auto skip = [&] {
        while (true) {
            in >> std::ws;
            if (in.peek() == '#') {
                std::string line;
                std::getline(in, line);
            } else break;
        }
    };
    skip();
    in >> img.width;
    skip();
    in >> img.height;
    skip();
    in >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255 || img.width <= 0 || img.height <= 0) return {};
    img.pixels.resize(static_cast<size_t>(img.width) * img.height * 3);
    in.read(reinterpret_cast<char*>(img.pixels.data()),
            static_cast<std::streamsize>(img.pixels.size()));
    if (in.gcount() != static_cast<std::streamsize>(img.pixels.size())) return {};
    return img;
}

} // namespace

RgbImage DecodeWith(const std::string& reader, const std::string& path) {
    std::string command;
    if (reader == "magick")
        command = "convert " + ShellQuote(path) + " -depth 8 -alpha off ppm:-";
    else
        command = "pcxtoppm " + ShellQuote(path);
    CommandResult r = RunCommand(command);
    if (r.status != 0) return {};
    return ParsePpm(r.out);
}

std::string BrelvixPath() { return BRELVIX_EXE; }
