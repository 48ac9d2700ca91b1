// The filters of the open-file dialogs as the toolkit's own dialog applies them.
#include "formats/formats.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/selection.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/wx.h>

#include <dlfcn.h>

namespace {

// The few functions of the toolkit's underlying library that read a file dialog's
// filters, taken from the library the toolkit has loaded.
struct FilterInfo {
    int contains; // which fields are set: 1 file name, 4 display name
    const char* filename;
    const char* uri;
    const char* displayName;
    const char* mimeType;
};
struct ListNode {
    void* data;
    ListNode* next;
};
struct FilterFunctions {
    ListNode* (*listFilters)(void*) = nullptr;
    const char* (*filterName)(void*) = nullptr;
    int (*filter)(void*, const FilterInfo*) = nullptr;
    void (*freeList)(ListNode*) = nullptr;
};

FilterFunctions Functions() {
    FilterFunctions f;
    f.listFilters = reinterpret_cast<decltype(f.listFilters)>(
        dlsym(RTLD_DEFAULT, "gtk_file_chooser_list_filters"));
    f.filterName =
        reinterpret_cast<decltype(f.filterName)>(dlsym(RTLD_DEFAULT, "gtk_file_filter_get_name"));
    f.filter = reinterpret_cast<decltype(f.filter)>(dlsym(RTLD_DEFAULT, "gtk_file_filter_filter"));
    f.freeList = reinterpret_cast<decltype(f.freeList)>(dlsym(RTLD_DEFAULT, "g_slist_free"));
    return f;
}

// For each filter entry of the dialog (by name), the given file names it shows.
std::vector<std::pair<std::string, std::vector<std::string>>>
Shown(const std::string& wildcard, const std::vector<std::string>& names) {
    const FilterFunctions f = Functions();
    EXPECT_TRUE(f.listFilters && f.filterName && f.filter && f.freeList);
    std::vector<std::pair<std::string, std::vector<std::string>>> result;
    if (!f.listFilters || !f.filterName || !f.filter || !f.freeList) return result;
    wxFileDialog dialog(nullptr, "test", "", "", wxString::FromUTF8(wildcard),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    ListNode* list = f.listFilters(dialog.GetHandle());
    for (ListNode* node = list; node; node = node->next) {
        std::vector<std::string> shown;
        for (const std::string& name : names) {
            const std::string path = "/pictures/" + name;
            const FilterInfo info{1 | 4, path.c_str(), nullptr, name.c_str(), nullptr};
            if (f.filter(node->data, &info)) shown.push_back(name);
        }
        const char* filterName = f.filterName(node->data);
        result.emplace_back(filterName ? filterName : "", shown);
    }
    f.freeList(list);
    return result;
}

} // namespace

TEST(FileDialogFilters, InputFilesMatchEitherCase) {
    ResetJob();
    BuildTextTable();
    BuildFormatTables();
    const std::vector<std::string> names = {"pic.bmp", "PIC2.BMP",  "Mixed.Bmp", "old.DIB",
                                            "run.rle", "photo.png", "notes.txt"};
    const std::vector<std::string> pictures = {"pic.bmp", "PIC2.BMP", "Mixed.Bmp", "old.DIB",
                                               "run.rle"};
    const auto shown = Shown(InputFileFilter(), names);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].first, "All Supported Files");
    EXPECT_EQ(shown[0].second, pictures);
    EXPECT_EQ(shown[1].first, "Windows or OS/2 Bitmap");
    EXPECT_EQ(shown[1].second, pictures);
    EXPECT_EQ(shown[2].first, "All Files (*.*)");
    EXPECT_EQ(shown[2].second, names);
}

TEST(FileDialogFilters, WatermarkImagesMatchEitherCase) {
    BuildTextTable();
    const std::vector<std::string> names = {"logo.png", "LOGO.PNG", "mark.BMP", "old.Dib", "x.RLE",
                                            "a.JPG",    "b.Jpeg",   "c.jpe",    "d.JIF",   "e.gif"};
    const auto shown = Shown(WatermarkImageFilter(), names);
    ASSERT_EQ(shown.size(), 5u);
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"All Supported Files",
         {"logo.png", "LOGO.PNG", "mark.BMP", "old.Dib", "x.RLE", "a.JPG", "b.Jpeg", "c.jpe",
          "d.JIF"}},
        {"Portable Network Graphics", {"logo.png", "LOGO.PNG"}},
        {"Windows or OS/2 Bitmap", {"mark.BMP", "old.Dib", "x.RLE"}},
        {"JPEG File", {"a.JPG", "b.Jpeg", "c.jpe", "d.JIF"}},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shown[i].first, expected[i].first);
        EXPECT_EQ(shown[i].second, expected[i].second) << expected[i].first;
    }
}

TEST(FileDialogFilters, PatternTexts) {
    EXPECT_EQ(FilePattern("bmp"), "*.[bB][mM][pP]");
    EXPECT_EQ(FilePattern("j2k"), "*.[jJ]2[kK]");
    BuildTextTable();
    EXPECT_EQ(WatermarkImageFilter(),
              "All Supported Files|*.[pP][nN][gG];*.[bB][mM][pP];*.[rR][lL][eE];*.[dD][iI][bB];"
              "*.[jJ][pP][gG];*.[jJ][pP][eE][gG];*.[jJ][pP][eE];*.[jJ][iI][fF]|"
              "Portable Network Graphics|*.[pP][nN][gG]|"
              "Windows or OS/2 Bitmap|*.[bB][mM][pP];*.[rR][lL][eE];*.[dD][iI][bB]|"
              "JPEG File|*.[jJ][pP][gG];*.[jJ][pP][eE][gG];*.[jJ][pP][eE];*.[jJ][iI][fF]|"
              "All Files (*.*)|*.*");
}
