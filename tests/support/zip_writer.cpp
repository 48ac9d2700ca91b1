#include "zip_writer.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

void WriteZip(const std::string& path, const ZipEntries& entries) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    for (const auto& [name, bytes] : entries) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, name.c_str());
        archive_entry_set_size(e, static_cast<la_int64_t>(bytes.size()));
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_write_header(a, e);
        archive_write_data(a, bytes.data(), bytes.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}
