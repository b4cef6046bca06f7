// The settings window, its file dialog and the picture preview, driven like the sends: the
// host's thread sits in ZVC_OnPlugInSetup while a driver thread works the windows. Every wait
// has a timeout.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "demo_host.h"
#include "window_driving.h"

#include <commctrl.h>
#include <dlgs.h>

namespace demo {
namespace {

constexpr char kSettingsCaption[] = "zvOvisto - 設定";
constexpr char kPreviewCaption[] = "プレビュー";
constexpr char kEditButtonText[] = ">";
constexpr char kBrowseText[] = "...";
// The plug-in's pane in the file dialog: the size line and the preview button.
constexpr int kPaneTextId = 0x0A01, kPaneButtonId = 0x0A02;
constexpr DWORD kStepTimeoutMs = 5000;
constexpr DWORD kSettingsDriverTimeoutMs = 180000;  // longer than every wait of the driver together

enum Shot { kSettingsShot, kDialogShot, kPreviewShot, kShotCount };
const char* const kShotNames[kShotCount] = {"settings", "open-dialog", "preview"};
const char* const kShotFiles[kShotCount] = {"5-settings.bmp", "6-open-dialog.bmp", "7-preview.bmp"};

// Shared with the driver thread, so it lives as long as the process. The strings are read
// only after the driver has ended.
struct SettingsJob {
    std::string shot[kShotCount];
    bool saved[kShotCount] = {};
    std::string what[kShotCount];     // what the screenshot shows
    std::string problem[kShotCount];  // empty when the step went well
    std::string closing, closing_problem;
    std::string cleared;  // windows the clean-up closed on the way
    std::atomic<bool> setup_returned{false};
};
SettingsJob g_settings;

enum class Closed { AsAsked, ByCloseMessage, No };

// Posts `message` to `target` and waits for `window` to go; then tries WM_CLOSE.
Closed Dismiss(HWND window, HWND target, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto gone = [&] { return Gone(window); };
    if (gone()) return Closed::AsAsked;
    if (target && PostMessageA(target, message, wparam, lparam) && WaitFor(kStepTimeoutMs, gone))
        return Closed::AsAsked;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return WaitFor(kStepTimeoutMs, gone) ? Closed::ByCloseMessage : Closed::No;
}

// Whatever is still open over `owner` (dialog, preview, a message box), newest first.
void CloseEverythingOver(SettingsJob& job, HWND owner) {
    for (int round = 0; round < 4; ++round) {
        HWND open = TopLevel([&](HWND w) {
            return OwnedBy(w, owner) && lstrcmpiA(ClassOf(w).c_str(), "tooltips_class32") != 0;
        });
        if (!open) return;
        job.cleared += " " + ClassOf(open);
        if (Dismiss(open, open, WM_CLOSE, 0, 0) == Closed::No) return;
    }
}

bool PaneShowsSize(HWND pane_text) {
    const std::string text = TextOf(pane_text);
    return text.size() > 2 && text[0] == ' ' && text[1] == '(';
}

bool SameName(const char* a, const std::string& b) { return lstrcmpiA(a, b.c_str()) == 0; }

// The file list's row showing `name`, with or without its extension; -1 when none does.
int FindListItem(HWND list, const std::string& name) {
    if (!list) return -1;
    const std::string stem = name.substr(0, name.rfind('.'));
    const int count = static_cast<int>(Ask(list, LVM_GETITEMCOUNT));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        Ask(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        text[sizeof text - 1] = '\0';
        if (SameName(text, name) || SameName(text, stem)) return i;
    }
    return -1;
}

HWND FileList(HWND dialog) {
    return Descendant(dialog, [](HWND w) {
        return IsWindowVisible(w) && lstrcmpiA(ClassOf(w).c_str(), "SysListView32") == 0;
    });
}

// Selects the picture so that the pane shows it: first its full path typed into the
// file-name field; the pane follows only the file list's selection, so then the row in the
// list. Returns how, or "" when the pane shows no size either way.
std::string SelectPicture(HWND dialog, HWND pane_text, const std::string& picture) {
    HWND field = GetDlgItem(dialog, cmb13);
    if (!field || !IsWindowVisible(field)) field = GetDlgItem(dialog, edt1);
    if (field) {
        Ask(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picture.c_str()));
        if (WaitFor(2000, [&] { return PaneShowsSize(pane_text); })) return "typed into the file-name field";
    }
    const size_t slash = picture.rfind('\\');
    if (slash == std::string::npos) return "";
    const std::string folder = picture.substr(0, slash), name = picture.substr(slash + 1);
    HWND list = FileList(dialog);
    int row = FindListItem(list, name);
    if (row < 0 && field) {
        // Not in the folder shown: a folder typed with OK opens it.
        Ask(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        WaitFor(kStepTimeoutMs, [&] { return (row = FindListItem(list = FileList(dialog), name)) >= 0; });
    }
    if (row < 0) return "";
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    Ask(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    if (!WaitFor(3000, [&] { return PaneShowsSize(pane_text); })) return "";
    // The focus in the list, as after a click: its selection then shows in full colour.
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    return "typing the path left the pane as it was; chosen in the file list";
}

std::string SizeText(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return std::to_string(r.right) + "x" + std::to_string(r.bottom);
}

// The settings window: line 1 selected and copied into the fields with ">". Returns the
// picture path in the fields.
std::string DriveSettingsWindow(SettingsJob& job, HWND settings) {
    std::string& problem = job.problem[kSettingsShot];
    HWND list = Descendant(settings, [](HWND w) { return lstrcmpiA(ClassOf(w).c_str(), "ListBox") == 0; });
    const std::vector<HWND> edits = ChildrenByTop(settings, "Edit");
    HWND address = edits.size() > 0 ? edits[0] : nullptr, file_field = edits.size() > 1 ? edits[1] : nullptr;
    int count = 0;
    WaitFor(kStepTimeoutMs, [&] { return (count = static_cast<int>(Ask(list, LB_GETCOUNT, 0, 0, LB_ERR))) > 0; });
    if (!list || !file_field) {
        problem = "no list or no fields";
    } else if (count <= 0) {
        problem = "the list is empty";
    } else {
        PostMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(settings, WM_NULL, 0, 0);  // the idle update after it enables the actions
        HWND edit = ButtonWithText(settings, kEditButtonText);
        if (!WaitFor(kStepTimeoutMs, [&] { return edit && IsWindowEnabled(edit); })) {
            problem = "\">\" stays disabled with line 1 selected";
        } else {
            PostMessageA(edit, BM_CLICK, 0, 0);
            if (!WaitFor(kStepTimeoutMs, [&] { return !TextOf(file_field).empty(); }))
                problem = "\">\" did not fill the fields";
        }
    }
    const std::string picture = TextOf(file_field);
    job.what[kSettingsShot] = std::to_string(count) + " lines, line 1 in the fields: " + Printable(TextOf(address)) +
                              " = " + (picture.empty() ? "(nothing)" : Printable(picture));
    job.saved[kSettingsShot] = ShootWindow(settings, job.shot[kSettingsShot]);
    if (!job.saved[kSettingsShot] && problem.empty()) problem = "no screenshot";
    return picture;
}

// The preview window from the pane's button: photographed, then closed with Esc.
void DrivePreview(SettingsJob& job, HWND pane_button) {
    std::string& problem = job.problem[kPreviewShot];
    if (!pane_button) {
        problem = "no preview button in the dialog";
        return;
    }
    if (!WaitFor(kStepTimeoutMs, [&] { return IsWindowEnabled(pane_button) != FALSE; })) {
        problem = "the preview button stays disabled";
        return;
    }
    PostMessageA(pane_button, BM_CLICK, 0, 0);
    HWND preview = WaitForTopLevel(kAppearTimeoutMs, [](HWND w) {
        return (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) == WS_CAPTION && TextOf(w) == kPreviewCaption;
    });
    if (!preview) {
        problem = "no preview window within 15 s";
        return;
    }
    job.what[kPreviewShot] = "client " + SizeText(preview);
    job.saved[kPreviewShot] = ShootWindow(preview, job.shot[kPreviewShot]);
    if (!job.saved[kPreviewShot]) problem = "no screenshot";
    switch (Dismiss(preview, preview, WM_KEYDOWN, VK_ESCAPE, 0)) {
        case Closed::AsAsked: job.what[kPreviewShot] += ", closed with Esc"; break;
        case Closed::ByCloseMessage: problem = "Esc left it open (WM_CLOSE closed it)"; break;
        case Closed::No: problem = "it stays open after Esc and WM_CLOSE"; break;
    }
}

// The file dialog from "...": a picture selected, photographed, the preview, then cancelled.
void DriveOpenDialog(SettingsJob& job, HWND settings, const std::string& picture) {
    std::string& problem = job.problem[kDialogShot];
    HWND browse = ButtonWithText(settings, kBrowseText);
    if (!browse) {
        problem = job.problem[kPreviewShot] = "no \"...\" button";
        return;
    }
    PostMessageA(browse, BM_CLICK, 0, 0);
    HWND dialog = WaitForTopLevel(kAppearTimeoutMs, [&](HWND w) {
        return GetWindow(w, GW_OWNER) == settings && ClassOf(w) == "#32770";
    });
    if (!dialog) {
        problem = job.problem[kPreviewShot] = "no file dialog owned by the settings window within 15 s";
        return;
    }
    HWND pane_button = nullptr;
    WaitFor(kStepTimeoutMs, [&] {
        pane_button = Descendant(dialog, [](HWND w) {
            return GetDlgCtrlID(w) == kPaneButtonId && lstrcmpiA(ClassOf(w).c_str(), "Button") == 0 &&
                   (GetWindowLongA(w, GWL_STYLE) & BS_BITMAP);
        });
        return pane_button != nullptr;
    });
    HWND pane_text = Descendant(dialog, [](HWND w) {
        return GetDlgCtrlID(w) == kPaneTextId && lstrcmpiA(ClassOf(w).c_str(), "Static") == 0;
    });
    const size_t slash = picture.rfind('\\');
    const std::string name = slash == std::string::npos ? picture : picture.substr(slash + 1);
    std::string how;
    if (!pane_text) problem = "no preview pane in the dialog";
    else if (picture.empty()) problem = "no picture in the settings window's field to select";
    else how = SelectPicture(dialog, pane_text, picture);
    job.what[kDialogShot] = "client " + SizeText(dialog) +
                            (pane_text ? ", pane \"" + Printable(TextOf(pane_text)) + "\"" : ", no pane") + " for " +
                            (name.empty() ? "(nothing)" : Printable(name)) + (how.empty() ? "" : ", " + how);
    if (problem.empty() && !PaneShowsSize(pane_text)) problem = "the pane shows no picture size";
    job.saved[kDialogShot] = ShootWindow(dialog, job.shot[kDialogShot]);
    if (!job.saved[kDialogShot] && problem.empty()) problem = "no screenshot";

    DrivePreview(job, pane_button);
    CloseEverythingOver(job, dialog);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    switch (Dismiss(dialog, dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel))) {
        case Closed::AsAsked: job.what[kDialogShot] += ", then cancelled"; break;
        case Closed::ByCloseMessage:
            if (problem.empty()) problem = "IDCANCEL left it open (WM_CLOSE closed it)";
            break;
        case Closed::No:
            if (problem.empty()) problem = "it stays open after IDCANCEL and WM_CLOSE";
            break;
    }
}

// One line per screenshot and one for the call; true when all are ok. `outcome` is null
// when the call has not returned.
bool ReportSettings(SettingsJob& job, const SetupOutcome* outcome) {
    bool ok = true;
    for (int i = 0; i < kShotCount; ++i) {
        if (!job.saved[i] && job.problem[i].empty()) job.problem[i] = "no screenshot";
        ok = ok && job.problem[i].empty();
        std::printf("%-20s %s  %s  %s\n", kShotNames[i], job.saved[i] ? job.shot[i].c_str() : "-",
                    job.what[i].empty() ? "-" : job.what[i].c_str(),
                    job.problem[i].empty() ? "ok" : ("FAILED: " + job.problem[i]).c_str());
    }
    std::string problem = job.closing_problem;
    if (!outcome) problem = "ZVC_OnPlugInSetup did not return";
    else if (!outcome->called) problem = "the plug-in has no ZVC_OnPlugInSetup";
    else if (outcome->result != 1) problem = "expected 1";
    const std::string closing =
        (job.closing.empty() ? "-" : job.closing) + (job.cleared.empty() ? "" : "; the clean-up closed" + job.cleared);
    std::printf("%-20s result %s  %s  %s\n", "plug-in-setup", outcome ? std::to_string(outcome->result).c_str() : "-",
                closing.c_str(),
                problem.empty() ? "ok" : ("FAILED: " + problem).c_str());
    std::fflush(stdout);
    return ok && problem.empty();
}

// Whatever else keeps the call from returning (a window not recognised, a message box) is
// closed and named in the report; when even that does not end the call, so does the demo.
void CloseStrays(SettingsJob& job) {
    const auto stray_test = [](HWND w) {
        return w != MainWindow() && lstrcmpiA(ClassOf(w).c_str(), "tooltips_class32") != 0;
    };
    const bool returned = WaitFor(30000, [&] {
        if (job.setup_returned) return true;
        HWND stray = TopLevel(stray_test);
        if (stray) {
            if (job.closing_problem.empty()) job.closing_problem = "closed what the driver did not expect:";
            job.closing_problem += " a window of class " + ClassOf(stray);
            Dismiss(stray, stray, WM_CLOSE, 0, 0);
        }
        return false;
    });
    if (returned) return;
    ReportSettings(job, nullptr);
    TerminateProcess(GetCurrentProcess(), 1);
}

DWORD WINAPI DriveSettings(void* param) {
    SettingsJob& job = *static_cast<SettingsJob*>(param);
    const WindowTest is_settings = [](HWND w) { return TextOf(w) == kSettingsCaption; };
    HWND settings = nullptr;
    WaitFor(kAppearTimeoutMs, [&] { return job.setup_returned || (settings = TopLevel(is_settings)) != nullptr; });
    if (!settings) {
        for (std::string& p : job.problem)
            p = job.setup_returned ? "ZVC_OnPlugInSetup returned without a settings window"
                                   : "no settings window within 15 s";
    } else {
        const std::string picture = DriveSettingsWindow(job, settings);
        DriveOpenDialog(job, settings, picture);
        CloseEverythingOver(job, settings);
        switch (Dismiss(settings, ButtonWithText(settings, kCancelText), BM_CLICK, 0, 0)) {
            case Closed::AsAsked: job.closing = "settings window closed with its cancel button"; break;
            case Closed::ByCloseMessage:
                job.closing_problem = "the cancel button left it open (WM_CLOSE closed it)";
                break;
            case Closed::No: job.closing_problem = "the settings window stays open"; break;
        }
    }
    CloseStrays(job);
    return 0;
}

}  // namespace

bool RunSettingsScript(const std::string& folder) {
    SettingsJob& job = g_settings;
    for (int i = 0; i < kShotCount; ++i) {
        job.shot[i] = folder + "\\" + kShotFiles[i];
        DeleteFileA(job.shot[i].c_str());
    }
    ParkPointer();
    HANDLE driver = CreateThread(nullptr, 0, DriveSettings, &job, 0, nullptr);
    if (!driver) {
        std::printf("%-20s no driver thread (error %lu)  FAILED\n", "settings", GetLastError());
        return false;
    }
    const SetupOutcome outcome = SetupNow();
    job.setup_returned = true;
    const bool finished = WaitPumping(driver, kSettingsDriverTimeoutMs);
    CloseHandle(driver);
    if (!finished) {
        std::printf("%-20s FAILED: the driver did not finish within %lu s\n", "settings",
                    kSettingsDriverTimeoutMs / 1000);
        std::fflush(stdout);
        return false;
    }
    return ReportSettings(job, &outcome);
}

}  // namespace demo
