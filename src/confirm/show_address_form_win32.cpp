#include "confirm/show_address_form_win32.h"

#include <commctrl.h>

#include <vector>

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/layout.h"
#include "base/messages.h"
#include "base/window_classes_win32.h"
#include "base/window_object_win32.h"
#include "base/window_support_win32.h"
#include "pictures/picture_control_win32.h"
#include "base/module_win32.h"
#include "confirm/recipient_rows.h"
#include "confirm/scroll_box_win32.h"
#include "confirm/tiles_ahead_win32.h"

namespace zv {
namespace {

constexpr char kClassName[] = "ZvShowAddressForm";
constexpr int kClientWidth = 634, kClientHeight = 424;
constexpr int kTileWidth = 90, kTileHeight = 120, kTileGap = 2;
constexpr int kButtonTop = 392;

enum ControlId { kScbTo = 100, kScbCc, kScbBcc, kLblTo, kLblCc, kLblBcc, kImgTo, kImgCc, kImgBcc };

struct RowLayout {
    LayoutEntry box, label;
    int image_id;
};
const RowLayout kRows[] = {
    {{"scbTo", ControlKind::ScrollBox, kScbTo, 22, 1, 607, 121, nullptr},
     {"lblTo", ControlKind::Label, kLblTo, 2, 57, 0, 0, "To"}, kImgTo},
    {{"scbCc", ControlKind::ScrollBox, kScbCc, 22, 129, 607, 121, nullptr},
     {"lblCc", ControlKind::Label, kLblCc, 2, 181, 0, 0, "Cc"}, kImgCc},
    {{"scbBcc", ControlKind::ScrollBox, kScbBcc, 22, 257, 607, 121, nullptr},
     {"lblBcc", ControlKind::Label, kLblBcc, 2, 309, 0, 0, "Bcc"}, kImgBcc},
};
const LayoutEntry kButton1 = {"Button1", ControlKind::DefaultButton, IDOK, 404, kButtonTop, 105, 25, "送信"};
const LayoutEntry kButton2 = {"Button2", ControlKind::Button, IDCANCEL, 520, kButtonTop, 105, 25, "ｷｬﾝｾﾙ"};

}  // namespace

TShowAddressForm::TShowAddressForm() {
    font_ = CreateUiFont();
    text_height_ = TextHeightOf(font_.get());
    window_ = CreateDialogFrame(kClassName, WindowProcOf<TShowAddressForm, HandlerErrors::kShown>, kConfirmCaption, this);
    SetClientSize(window_.get(), Scaled(kClientWidth, text_height_), Scaled(kClientHeight, text_height_));
    CreateControls();
}

TShowAddressForm::~TShowAddressForm() {
    // The tiles, hints and controls are children of the window and go with it.
    window_.reset();
}

void TShowAddressForm::CreateControls() {
    HWND hwnd = window_.get();
    Row* rows[] = {&to_, &cc_, &bcc_};
    for (int i = 0; i < 3; ++i) {
        const LayoutEntry& b = kRows[i].box;
        rows[i]->box = ScrollBox::Create(hwnd, b.id, Scaled(b.left, text_height_), Scaled(b.top, text_height_),
                                         Scaled(b.width, text_height_), Scaled(b.height, text_height_));
        rows[i]->first_tile = PictureControl::Create(rows[i]->box, kRows[i].image_id, 0, 0,
                                                     Scaled(kTileWidth, text_height_), Scaled(kTileHeight, text_height_));
        rows[i]->label = CreateControl(hwnd, kRows[i].label, text_height_, font_.get());
    }
    send_button_ = CreateControl(hwnd, kButton1, text_height_, font_.get());
    cancel_button_ = CreateControl(hwnd, kButton2, text_height_, font_.get());
    tooltip_ = CreateHintControl(hwnd);
    if (tooltip_) SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 800);  // lets CR LF break the line
}

int TShowAddressForm::ShowMatchingPictures(const Row& row, const MapLines& map, PathLookup& lookup,
                                           const std::string& header, DecodingWhileLoading& decoding) {
    const std::vector<TileFill> tiles = MatchingTiles(map, header, lookup, SystemCodePage());
    RECT first;
    GetWindowRect(row.first_tile, &first);
    const int width = first.right - first.left, height = first.bottom - first.top;
    int n = 0;
    for (const TileFill& fill : tiles) {
        HWND tile = n == 0 ? row.first_tile
                           : PictureControl::Create(row.box, 0, (width + kTileGap) * n, 0, width, height);
        AddHint(tooltip_, window_.get(), tile, ShownHint(TileHint(fill), SystemCodePage()));
        PictureControl* control = PictureControl::From(tile);
        LoadPictureOrPlaceholder(control->picture(), fill.path);
        control->Changed();
        decoding.Offer(row.box, tile);
        ++n;
    }
    if (n > 0) ScrollBox::From(row.box)->SetContentWidth((width + kTileGap) * (n - 1) + width);
    return n;
}

void TShowAddressForm::ApplyHeight(int design_height) {
    const int height = Scaled(design_height, text_height_);
    SetClientSize(window_.get(), Scaled(kClientWidth, text_height_), height);
    // The buttons keep their distance from the bottom edge.
    const int from_bottom = Scaled(kClientHeight, text_height_) - Scaled(kButtonTop, text_height_);
    for (HWND button : {send_button_, cancel_button_}) {
        const RECT r = RectIn(button, window_.get());
        SetWindowPos(button, HWND_TOP, r.left, height - from_bottom, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

ModalResult TShowAddressForm::ConfirmRecipients(const std::string& to, const std::string& cc, const std::string& bcc) {
    MapLines map;
    try {
        LoadMap(SystemFileSystem(), map_file_, map);
    } catch (const AppError&) {
        map.clear();  // a missing or unreadable map is an empty one
    }
    int a = 0, b = 0, c = 0;
    PathLookup lookup(map, SystemCodePage());
    {
        // Ends before this block is left, also by an exception: its jobs decode the pictures of
        // tiles, which live as long as the window.
        DecodingWhileLoading decoding;
        a = ShowMatchingPictures(to_, map, lookup, to, decoding);
        b = ShowMatchingPictures(cc_, map, lookup, cc, decoding);
        c = ShowMatchingPictures(bcc_, map, lookup, bcc, decoding);
    }
    if (a == 0 && b == 0 && c == 0) return ModalResult::kOk;
    const RowsInUse rows = ShrinkToRows(a, b, c);
    ApplyHeight(rows.client_height);
    ShowWindow(cc_.label, rows.cc_label_visible ? SW_SHOWNA : SW_HIDE);
    ShowWindow(bcc_.label, rows.bcc_label_visible ? SW_SHOWNA : SW_HIDE);
    CentreOnScreen(window_.get());
    return ShowModal();
}

void TShowAddressForm::DecodeVisibleTiles() noexcept {
    RECT client;
    GetClientRect(window_.get(), &client);
    try {
        std::vector<HWND> tiles;
        for (const Row* row : {&to_, &cc_, &bcc_}) {
            const RECT box = RectIn(row->box, window_.get());
            RECT overlap;
            if (!IntersectRect(&overlap, &box, &client)) continue;  // a row below the shortened window
            const std::vector<HWND> in_view = TilesInView(row->box, 0);
            tiles.insert(tiles.end(), in_view.begin(), in_view.end());
        }
        DecodeTilesAhead(tiles);
    } catch (...) {
        // Decoding ahead only saves time: the window must show all the same.
    }
}

ModalResult TShowAddressForm::ShowModal() {
    ModalShow show;
    show.focus = send_button_;
    show.before_show = [this] { DecodeVisibleTiles(); };  // so the first paint only draws
    return RunModal(window_.get(), modal_, show);
}

LRESULT TShowAddressForm::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!window_) return DefWindowProcA(hwnd, message, wparam, lparam);  // while being made or destroyed
    LRESULT handled = 0;
    if (HandleDialogKeyMessage(hwnd, message, wparam, lparam, handled)) return handled;
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                modal_.End(LOWORD(wparam) == IDOK ? ModalResult::kOk : ModalResult::kCancel);
                return 0;
            }
            break;
        case WM_CLOSE:
            modal_.End(ModalResult::kCancel);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace zv
