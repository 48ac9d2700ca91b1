// The update check as the window shows it: the question before an automatic check, a
// busy cursor while the server is asked, and the box with the answer.
#include "net/update_check.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"

#include <wx/frame.h>
#include <wx/utils.h>

void CheckForUpdates() {
    UpdateAnswer answer;
    {
        // The window waits for the server (at most about ten seconds).
        wxBusyCursor busy;
        answer = QueryUpdate();
    }
    wxWindow* parent = Main().frame;
    switch (answer) {
    case UpdateAnswer::ConnectionProblem:
        ShowMessage(MessageKind::Error, GetText("Msg", "Error"),
                    GetText("Msg", "Internet connection problems"), parent);
        break;
    case UpdateAnswer::UpToDate:
        ShowMessage(MessageKind::Information, GetText("Msg", "No Update"),
                    GetText("Msg", "No Update Text"), parent);
        break;
    case UpdateAnswer::NewVersion:
        if (ShowMessage(MessageKind::Question, GetText("Msg", "New Update"),
                        GetText("Msg", "New Update Text"), parent))
            OpenExternal(ProductPageUrl());
        break;
    }
}

void PeriodicUpdateCheck() {
    if (!UpdateCheckDue(gSettings.updateRange, gSettings.updateDate, LocalDateNow())) return;
    const bool check = ShowMessage(MessageKind::Question, GetText("Msg", "Check for Updates"),
                                   GetText("Msg", "Ask check for updates"), Main().frame);
    // The question comes back only after the next full interval, whatever the answer.
    gSettings.updateDate = LocalDateNow();
    if (check) CheckForUpdates();
}
