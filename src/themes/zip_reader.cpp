#include "themes/zip_reader.h"

#include <archive.h>
#include <archive_entry.h>
#include <memory>

namespace {

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveCloser>;

ArchiveHandle OpenZip(const std::string& path) {
    ArchiveHandle a(archive_read_new());
    if (!a) return nullptr;
    // The seekable reader takes the sizes from the central directory, so entries
    // written with data descriptors still report them.
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_filename(a.get(), path.c_str(), 16384) != ARCHIVE_OK) return nullptr;
    return a;
}

} // namespace

bool ListZipEntries(const std::string& path, std::map<std::string, int64_t>& entries) {
    entries.clear();
    ArchiveHandle a = OpenZip(path);
    if (!a) return false;
    archive_entry* entry = nullptr;
    int status;
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK ||
           status == ARCHIVE_WARN) {
        const char* name = archive_entry_pathname(entry);
        if (name && archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0 &&
            archive_entry_filetype(entry) == AE_IFREG)
            entries.emplace(name, archive_entry_size(entry));
    }
    return true;
}

bool ReadZipEntries(const std::string& path, const std::set<std::string>& wanted, int64_t maxSize,
                    bool cut, std::map<std::string, std::string>& data) {
    data.clear();
    ArchiveHandle a = OpenZip(path);
    if (!a) return false;
    archive_entry* entry = nullptr;
    int status;
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK ||
           status == ARCHIVE_WARN) {
        const char* name = archive_entry_pathname(entry);
        if (!name || !wanted.count(name) || data.count(name)) continue;
        std::string bytes;
        bool complete = false, failed = false;
        char buf[16384];
        while (true) {
            la_ssize_t n = archive_read_data(a.get(), buf, sizeof buf);
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0) {
                complete = true;
                break;
            }
            const int64_t room = maxSize - static_cast<int64_t>(bytes.size());
            if (n > room) {
                bytes.append(buf, static_cast<size_t>(room));
                break;
            }
            bytes.append(buf, static_cast<size_t>(n));
        }
        if (failed || (!complete && !cut)) continue;
        data.emplace(name, std::move(bytes));
    }
    return true;
}
