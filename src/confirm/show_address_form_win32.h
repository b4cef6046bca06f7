#pragma once
// TShowAddressForm: the recipient confirmation window, one row of pictures per header.
#include <windows.h>

#include <string>

#include "base/handles_win32.h"
#include "base/modal_window_win32.h"
#include "map/picture_map.h"

namespace zv {

class DecodingWhileLoading;
class PathLookup;

class TShowAddressForm {
public:
    TShowAddressForm();
    ~TShowAddressForm();
    TShowAddressForm(const TShowAddressForm&) = delete;
    TShowAddressForm& operator=(const TShowAddressForm&) = delete;

    void SetMapFile(const std::string& path) { map_file_ = path; }
    // kOk when the user confirmed (or nothing matched and nothing was shown), else kCancel.
    ModalResult ConfirmRecipients(const std::string& to, const std::string& cc, const std::string& bcc);

private:
    struct Row {
        HWND box = nullptr;
        HWND first_tile = nullptr;
        HWND label = nullptr;
    };

    void CreateControls();
    int ShowMatchingPictures(const Row& row, const MapLines& map, PathLookup& lookup, const std::string& header,
                             DecodingWhileLoading& decoding);
    void ApplyHeight(int design_height);
    void DecodeVisibleTiles() noexcept;
    ModalResult ShowModal();
    friend struct WindowAccess;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    UniqueWindow window_;
    UniqueFont font_;
    int text_height_ = 12;
    Row to_, cc_, bcc_;
    HWND send_button_ = nullptr, cancel_button_ = nullptr, tooltip_ = nullptr;
    std::string map_file_;
    ModalState modal_;
};

}  // namespace zv
