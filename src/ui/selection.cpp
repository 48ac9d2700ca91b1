#include "ui/selection.h"

#include "engine/batch_job.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/pictures.h"

#include <wx/bmpcbox.h>
#include <wx/evtloop.h>
#include <wx/wx.h>
#include <zlib.h>

#include <cctype>
#include <vector>

namespace {

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

// The fields of Recent Out Folders by position, each trimmed of blanks.
std::vector<std::string> RecentFields() {
    std::vector<std::string> fields;
    const std::string& list = gSettings.recentOutFolders;
    size_t start = 0;
    while (true) {
        const size_t tab = list.find('\t', start);
        fields.push_back(FolderForm(TrimBlanks(std::string_view(list).substr(
            start, tab == std::string::npos ? std::string::npos : tab - start))));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

// The fingerprint by which two folder names count as the same.
uLong Fingerprint(const std::string& text) {
    const std::string upper = ToUpperText(text);
    return crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(upper.data()),
                 static_cast<uInt>(upper.size()));
}

// The window side of AddInputFile: the input field and, while no folder is shown,
// the output folder.
void OnInputFileAdded(const std::string& path) {
    MainWindow& w = Main();
    if (!w.input) return;
    w.input->ChangeValue(Wx(path));
    if (!OutFolderListText().empty()) return;
    const std::string folder =
        FolderForm(gJob.inputArgument.empty() ? FolderPart(path) : gJob.inputArgument);
    PushRecentOutFolder(folder);
    gJob.outputFolder = folder;
    FillOutFolderList();
}

} // namespace

void InstallInputFileHook() {
    SetInputFileHook(OnInputFileAdded);
}

void AddDroppedFiles(const std::string& dropText) {
    if (dropText.empty()) return;
    std::string first = dropText.substr(0, dropText.find('\n'));
    if (!first.empty() && first.back() == '\r') first.pop_back();
    if (first.empty()) return;
    AddInputFile(first);
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->DispatchTimeout(2);
}

std::string FolderForm(std::string_view folder) {
    std::string form(folder);
    if (!form.empty() && form.back() != '/') form += '/';
    return form;
}

std::string FilePattern(std::string_view extension) {
    std::string pattern = "*.";
    for (char c : extension) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (lower != upper) {
            pattern += '[';
            pattern += lower;
            pattern += upper;
            pattern += ']';
        } else {
            pattern += c;
        }
    }
    return pattern;
}

std::string InputFileFilter() {
    std::string all;
    std::vector<std::pair<std::string, std::string>> described; // description, patterns
    for (const std::string& e : gJob.acceptedInputExtensions) {
        all += FilePattern(e) + ";";
        const std::string description = LookupInputFormat(e).description;
        auto it = std::find_if(described.begin(), described.end(),
                               [&](const auto& d) { return d.first == description; });
        if (it == described.end()) {
            described.emplace_back(description, FilePattern(e));
        } else {
            it->second = FilePattern(e) + ";" + it->second;
        }
    }
    if (!all.empty() && all.back() == ';') all.pop_back();
    std::string filter = GetText("Dialog", "All Supported Files") + "|" + all + "|";
    for (const auto& [description, patterns] : described)
        filter += description + "|" + patterns + "|";
    return filter + GetText("Dialog", "All Files") + " (*.*)|*.*";
}

std::string WatermarkImageFilter() {
    static const std::pair<const char*, std::vector<const char*>> kPictures[] = {
        {"Portable Network Graphics", {"png"}},
        {"Windows or OS/2 Bitmap", {"bmp", "rle", "dib"}},
        {"JPEG File", {"jpg", "jpeg", "jpe", "jif"}},
    };
    std::string all, entries;
    for (const auto& [description, extensions] : kPictures) {
        std::string patterns;
        for (const char* e : extensions)
            patterns += (patterns.empty() ? "" : ";") + FilePattern(e);
        all += (all.empty() ? "" : ";") + patterns;
        entries += std::string(description) + "|" + patterns + "|";
    }
    return GetText("Dialog", "All Supported Files") + "|" + all + "|" + entries +
           GetText("Dialog", "All Files") + " (*.*)|*.*";
}

bool SelectInputFile() {
    bool accepted = false;
    const std::string path = ChooseOpenFile(GetText("Dialog", "Select Input Files"),
                                            gJob.currentInput, InputFileFilter(), Main().frame);
    if (!path.empty()) accepted = AddInputFile(path);
    gJob.currentInput.clear();
    LayoutMainWindow();
    return accepted;
}

void SelectOutputFolder() {
    std::string start = gJob.outputFolder;
    const std::string shown = OutFolderListText();
    if (!shown.empty()) start = FolderPart(shown);
    std::string folder =
        ChooseFolder(GetText("Dialog", "Select Output Folder"), start, Main().frame);
    if (!folder.empty() && IsFolder(folder)) {
        folder = FolderForm(folder);
        PushRecentOutFolder(folder);
        gJob.outputFolder = folder;
        FillOutFolderList();
    }
    LayoutMainWindow();
}

bool PushRecentOutFolder(const std::string& folder) {
    if (folder.empty()) return false;
    const int n = gSettings.outFoldersNumber;
    const std::string form = FolderForm(folder);
    const uLong fingerprint = Fingerprint(form);
    std::string list = form;
    int count = 1;
    std::vector<std::string> fields = RecentFields();
    for (int i = 0; i < n && i < static_cast<int>(fields.size()); ++i) {
        const std::string& entry = fields[static_cast<size_t>(i)];
        if (entry.empty() || Fingerprint(entry) == fingerprint || count >= n) continue;
        list += "\t" + entry;
        ++count;
    }
    gSettings.recentOutFolders = list;
    return true;
}

void KeepRecentOutFoldersInOneForm() {
    std::string list;
    std::vector<uLong> seen;
    for (const std::string& entry : RecentFields()) {
        if (entry.empty()) continue;
        const uLong fingerprint = Fingerprint(entry);
        if (std::find(seen.begin(), seen.end(), fingerprint) != seen.end()) continue;
        seen.push_back(fingerprint);
        list += (list.empty() ? "" : "\t") + entry;
    }
    gSettings.recentOutFolders = list;
}

void FillOutFolderList() {
    wxBitmapComboBox* list = Main().outFolders;
    if (!list || gSettings.recentOutFolders.empty()) return;
    list->Clear();
    const wxBitmap icon = SlotBitmap(SlotSet::MenuIcons, "FavFolder", 16);
    int selected = -1;
    std::vector<std::string> fields = RecentFields();
    for (int i = 0; i < gSettings.outFoldersNumber && i < static_cast<int>(fields.size()); ++i) {
        const std::string& entry = fields[static_cast<size_t>(i)];
        if (entry.empty()) continue;
        const int index = list->Append(Wx(entry), icon);
        if (selected < 0 && entry == FolderForm(gJob.outputFolder)) selected = index;
    }
    if (list->GetCount() > 0) list->SetSelection(selected >= 0 ? selected : 0);
}

void FillOutputFormatList(wxBitmapComboBox* list, bool descriptions) {
    if (!list) return;
    list->Clear();
    const wxBitmap icon = SlotBitmap(SlotSet::MenuIcons, "New", 16);
    int selected = -1;
    const auto formats = ActiveOutputFormats();
    for (size_t i = 0; i < formats.size(); ++i) {
        const std::string& format = formats[i];
        if (format.empty()) continue;
        std::string caption = AsciiUpper(format);
        if (descriptions) caption += " (" + LookupOutputFormat(format).description + ")";
        const int index = list->Append(Wx(caption), icon, reinterpret_cast<void*>(i));
        if (selected < 0 && format == gSettings.outputFormat) selected = index;
    }
    if (list->GetCount() > 0) list->SetSelection(selected >= 0 ? selected : 0);
}
