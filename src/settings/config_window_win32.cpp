#include "settings/config_window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/layout.h"
#include "base/messages.h"
#include "base/plain_message_box_win32.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/window_support_win32.h"
#include "pictures/open_picture_dialog_win32.h"
#include "pictures/picture_control_win32.h"
#include "base/module_win32.h"
#include "settings/entry_rules.h"
#include "settings/map_check.h"

namespace zv {
namespace {

constexpr char kClassName[] = "ZvConfigWindow";
constexpr int kClientWidth = 552, kClientHeight = 247;
constexpr int kItemHeight = 12;
// What one list row shows at most; the working copy keeps the whole line.
constexpr int kMaxShownLine = 4095;

enum ControlId {
    kPictureMap = 200, kSpeedButton2, kSpeedButton1, kSpeedButton4, kSpeedButton3, kLabel1, kTxtAddress, kLabel2,
    kPanel1, kRefImage, kTxtFileName, kBtnFileOpen, kBtnAbout, kButton1, kBtnOk = IDOK, kBtnCancel = IDCANCEL
};

// In tab order: the list, the check button, the two fields (each after its label, so the
// label's Alt key moves to it), OK, cancel, the preview panel, About; then the small
// buttons, which take no focus. Beside each name, in a word, what the control does.
const LayoutEntry kControls[] = {
    {"PictureMap" /* lines */, ControlKind::ListBox, kPictureMap, 4, 12, 229, 197, nullptr},
    {"Button1" /* check */, ControlKind::Button, kButton1, 136, 216, 97, 25, "チェック"},
    {"Label1" /* caption */, ControlKind::Label, kLabel1, 284, 8, 0, 0, "アドレス(&A)："},
    {"txtAddress" /* key */, ControlKind::Edit, kTxtAddress, 280, 24, 265, 20, nullptr},
    {"Label2" /* caption */, ControlKind::Label, kLabel2, 284, 56, 0, 0, "画像(&i)："},
    {"txtFileName" /* path */, ControlKind::Edit, kTxtFileName, 288, 185, 225, 20, nullptr},
    {"btnOk" /* save */, ControlKind::DefaultButton, kBtnOk, 340, 216, 97, 25, "OK"},
    {"btnCancel" /* discard */, ControlKind::Button, kBtnCancel, 448, 216, 97, 25, "ｷｬﾝｾﾙ"},
    {"Panel1" /* preview */, ControlKind::Panel, kPanel1, 360, 52, 101, 129, nullptr},
    {"btnAbout" /* version */, ControlKind::Button, kBtnAbout, 8, 216, 69, 25, "About"},
    {"SpeedButton2" /* edit */, ControlKind::SmallButton, kSpeedButton2, 244, 64, 29, 25, ">"},
    {"SpeedButton1" /* replace */, ControlKind::SmallButton, kSpeedButton1, 244, 96, 29, 25, "<"},
    {"SpeedButton4" /* add */, ControlKind::SmallButton, kSpeedButton4, 244, 128, 29, 25, "<<"},
    {"SpeedButton3" /* delete */, ControlKind::SmallButton, kSpeedButton3, 244, 160, 29, 25, "×"},
    {"btnFileOpen" /* browse */, ControlKind::SmallButton, kBtnFileOpen, 520, 184, 25, 21, "..."},
};

struct Hint {
    int id;
    const char* text;
};
// btnFileOpen's hint "参照" is not shown.
const Hint kHints[] = {{kSpeedButton2, "編集"}, {kSpeedButton1, "置換"}, {kSpeedButton4, "追加"}, {kSpeedButton3, "削除"}};

// Keeps the list from drawing while its rows and the working copy are brought back in step.
class ListRedrawOff {
public:
    explicit ListRedrawOff(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
    ~ListRedrawOff() {
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    ListRedrawOff(const ListRedrawOff&) = delete;
    ListRedrawOff& operator=(const ListRedrawOff&) = delete;

private:
    HWND list_;
};

}  // namespace

TConfigWindow::TConfigWindow(const std::string& ini_file_name) : ini_file_name_(ini_file_name) {
    font_ = CreateUiFont();
    text_height_ = TextHeightOf(font_.get());
    window_ = CreateDialogFrame(kClassName, WindowProcOf<TConfigWindow, HandlerErrors::kShown>, kSettingsCaption, this);
    SetClientSize(window_.get(), Scaled(kClientWidth, text_height_), Scaled(kClientHeight, text_height_));
    CreateControls();
    open_dialog_ = std::make_unique<OpenPictureDialog>();
    FormCreate();
}

TConfigWindow::~TConfigWindow() { window_.reset(); }

void TConfigWindow::CreateControls() {
    HWND hwnd = window_.get();
    for (const LayoutEntry& entry : kControls) {
        LayoutEntry adjusted = entry;
        HWND control = nullptr;
        if (entry.kind == ControlKind::ListBox) {
            // Drawn from the working copy, which the list box's text could not give back byte for
            // byte; the rows hold the text as well, for screen readers, automation and type-ahead.
            control = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                      Scaled(entry.left, text_height_), Scaled(entry.top, text_height_),
                                      Scaled(entry.width, text_height_), Scaled(entry.height, text_height_), hwnd,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), nullptr, nullptr);
            if (!control) throw AppError("CreateWindow");
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        } else {
            control = CreateControl(hwnd, adjusted, text_height_, font_.get());
        }
        switch (entry.id) {
            case kPictureMap: list_ = control; break;
            case kTxtAddress: address_ = control; break;
            case kTxtFileName: file_name_ = control; break;
        }
        if (entry.kind == ControlKind::Edit) SendMessageA(control, EM_SETLIMITTEXT, 0, 0);  // no limit of their own
        switch (entry.id) {
            case kSpeedButton2: edit_button_ = control; break;
            case kSpeedButton1: save_button_ = control; break;
            case kSpeedButton3: delete_button_ = control; break;
            case kPanel1: {
                HWND image = PictureControl::Create(control, kRefImage, Scaled(6, text_height_),
                                                    Scaled(5, text_height_), Scaled(90, text_height_),
                                                    Scaled(120, text_height_));
                preview_ = PictureControl::From(image);
                break;
            }
        }
    }
    tooltip_ = CreateHintControl(hwnd);
    for (const Hint& hint : kHints) AddHint(tooltip_, hwnd, GetDlgItem(hwnd, hint.id), hint.text);
}

void TConfigWindow::FormCreate() {
    try {
        LoadMap(SystemFileSystem(), ini_file_name_, lines_);
    } catch (const AppError&) {
        lines_.clear();  // a missing or unreadable map opens as an empty list, without a word
    }
    ShowLines();
}

void TConfigWindow::ShowLines() {
    ListRedrawOff redraw_off(list_);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    SendMessageA(list_, LB_SETITEMHEIGHT, 0, Scaled(kItemHeight, text_height_));
    for (size_t i = 0; i < lines_.size(); ++i) InsertRow(static_cast<int>(i), lines_[i]);
}

void TConfigWindow::InsertRow(int index, const std::string& line) {
    // The row's text is what the row shows, cut where a text must end: at a NUL.
    const std::string text(line.c_str(), strnlen(line.c_str(), kMaxShownLine));
    const LRESULT at = SendMessageA(list_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    if (at == LB_ERR || at == LB_ERRSPACE) throw std::bad_alloc();
}

int TConfigWindow::Selected() const { return static_cast<int>(SendMessageA(list_, LB_GETCURSEL, 0, 0)); }

std::string TConfigWindow::FieldText(HWND edit) const {
    const int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(edit, &text[0], length + 1)));
    return text;
}

void TConfigWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID < lines_.size()) {
        const std::string& line = lines_[item.itemID];
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT r = item.rcItem;
        r.left += 2;
        DrawTextA(item.hDC, line.data(), std::min<int>(static_cast<int>(line.size()), kMaxShownLine), &r,
                  DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void TConfigWindow::UpdateActions() {
    const bool any = Selected() >= 0;
    for (HWND button : {edit_button_, save_button_, delete_button_})
        if (button && (IsWindowEnabled(button) != FALSE) != any) EnableWindow(button, any);
}

void TConfigWindow::ActionEditExecute() {
    const int index = Selected();
    if (index < 0 || index >= static_cast<int>(lines_.size())) return;
    const EditFields fields = SplitForEditing(lines_[index]);
    SetWindowTextA(address_, fields.address.c_str());
    SetWindowTextA(file_name_, fields.file_name.c_str());
    LoadPictureOrPlaceholder(preview_->picture(), fields.file_name);
    preview_->Changed();
}

bool TConfigWindow::ValidateEntry() {
    const EditFields fields{FieldText(address_), FieldText(file_name_)};
    const EntryProblem problem = zv::ValidateEntry(fields, SystemFileSystem());
    if (problem == EntryProblem::None) return true;
    ShowPlainMessage(window_.get(), EntryProblemMessage(problem));
    SetFocus(problem == EntryProblem::NoSuchPicture ? file_name_ : address_);
    return false;
}

void TConfigWindow::ActionSaveExecute() {
    const int index = Selected();
    if (index < 0 || index >= static_cast<int>(lines_.size()) || !ValidateEntry()) return;
    std::string line = LineFrom({FieldText(address_), FieldText(file_name_)});
    {
        ListRedrawOff redraw_off(list_);
        // The new row goes in before the old one leaves, so a failure changes nothing.
        InsertRow(index, line);
        SendMessageA(list_, LB_DELETESTRING, static_cast<WPARAM>(index + 1), 0);
        lines_[index] = std::move(line);
        SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    UpdateActions();
}

void TConfigWindow::ActionAddExecute() {
    if (!ValidateEntry()) return;
    std::string line = LineFrom({FieldText(address_), FieldText(file_name_)});
    // Room first, so that once the row is in, the line goes in too; doubled, as push_back would
    // grow it, so that adding line after line does not copy the whole list each time.
    if (lines_.size() == lines_.capacity()) lines_.reserve(std::max<size_t>(16, 2 * lines_.capacity()));
    ListRedrawOff redraw_off(list_);
    InsertRow(static_cast<int>(lines_.size()), line);
    lines_.push_back(std::move(line));
}

void TConfigWindow::ActionDeleteExecute() {
    const int index = Selected();
    if (index < 0 || index >= static_cast<int>(lines_.size())) return;
    // Owned by no window, as a question about the list as a whole.
    if (RunSystemModal([] {
            return MessageBoxA(nullptr, kMsgDeleteLine, kDeleteLineCaption,
                               MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON1 | MB_TASKMODAL);
        }) != IDOK)
        return;
    {
        ListRedrawOff redraw_off(list_);
        SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageA(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        lines_.erase(lines_.begin() + index);
    }
    UpdateActions();
}

void TConfigWindow::ActionOpenFileExecute() {
    open_dialog_->SetInitialDir(InitialDirectoryOf(FieldText(file_name_), SystemCodePage()));
    std::string path;
    if (!open_dialog_->Execute(window_.get(), path)) return;
    SetWindowTextA(file_name_, path.c_str());
    LoadPicture(preview_->picture(), path);  // a failure is reported; the preview keeps its picture
    preview_->Changed();
}

void TConfigWindow::btnOkClick() {
    // The result is OK before the save, so the window closes even when writing fails.
    modal_.End(ModalResult::kOk);
    SaveMap(SystemFileSystem(), ini_file_name_, lines_, SystemCodePage());
}

void TConfigWindow::btnAboutClick() {
    const std::string dll = ReplaceExtension(ini_file_name_, ".dll", SystemCodePage());
    std::string version = kTextUnknownVersion;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &ignored);
    if (size) {
        std::string data(size, '\0');
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixed_size = 0;
        if (GetFileVersionInfoA(dll.c_str(), 0, size, &data[0]) &&
            VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_size) && fixed &&
            fixed_size >= sizeof(VS_FIXEDFILEINFO))
            version = VersionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    }
    const std::string text = FormatMessageText(kMsgAbout, version);
    RunSystemModal([&] { return MessageBoxA(window_.get(), text.c_str(), kAboutCaption, MB_OK); });
}

void TConfigWindow::Button1Click() {
    ShowPlainMessage(window_.get(), CheckMapMessage(CheckMap(lines_, SystemFileSystem(), SystemCodePage())));
}

void TConfigWindow::OnCommand(int id, int code) {
    switch (id) {
        case kPictureMap:
            if (code == LBN_DBLCLK) ActionEditExecute();
            // A selection set from outside comes with this notification and no input after it,
            // so the idle update alone would leave the actions behind.
            if (code == LBN_SELCHANGE || code == LBN_SELCANCEL) UpdateActions();
            break;
        case kSpeedButton2: ActionEditExecute(); break;
        case kSpeedButton1: ActionSaveExecute(); break;
        case kSpeedButton4: ActionAddExecute(); break;
        case kSpeedButton3: ActionDeleteExecute(); break;
        case kBtnFileOpen: ActionOpenFileExecute(); break;
        case kBtnAbout: btnAboutClick(); break;
        case kButton1: Button1Click(); break;
        case kBtnOk: btnOkClick(); break;
        case kBtnCancel:
            modal_.End(ModalResult::kCancel);
            break;
    }
}

ModalResult TConfigWindow::ShowModal() {
    CentreOnScreen(window_.get());
    ModalShow show;
    show.focus = list_;
    show.before_show = [this] { UpdateActions(); };
    show.on_idle = [this] { UpdateActions(); };
    return RunModal(window_.get(), modal_, show);
}

LRESULT TConfigWindow::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Also sent while the list is being made, before the frame is ours.
    if (message == WM_MEASUREITEM) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = Scaled(kItemHeight, text_height_);
        return TRUE;
    }
    if (!window_) return DefWindowProcA(hwnd, message, wparam, lparam);  // while being made or destroyed
    LRESULT handled = 0;
    if (HandleDialogKeyMessage(hwnd, message, wparam, lparam, handled)) return handled;
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_CLOSE:
            modal_.End(ModalResult::kCancel);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace zv
