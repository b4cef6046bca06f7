#pragma once
// TConfigWindow: the settings window that edits the picture map.
#include <windows.h>

#include <memory>
#include <string>

#include "../base/handles_win32.h"
#include "../base/modal_result.h"
#include "../map/picture_map.h"

namespace zv {

class OpenPictureDialog;
class PictureControl;

class TConfigWindow {
public:
    explicit TConfigWindow(const std::string& ini_file_name);
    ~TConfigWindow();
    TConfigWindow(const TConfigWindow&) = delete;
    TConfigWindow& operator=(const TConfigWindow&) = delete;

    // kOk or kCancel.
    ModalResult ShowModal();

private:
    void CreateControls();
    void FormCreate();
    void ShowLines();
    void InsertRow(int index, const std::string& line);
    int Selected() const;
    std::string FieldText(HWND edit) const;
    bool ValidateEntry();

    void ActionEditExecute();
    void ActionSaveExecute();
    void ActionAddExecute();
    void ActionDeleteExecute();
    void ActionOpenFileExecute();
    void UpdateActions();  // ActionEditUpdate, ActionSaveUpdate, ActionDeleteUpdate
    void btnOkClick();
    void btnAboutClick();
    void Button1Click();

    void OnCommand(int id, int code);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    std::string ini_file_name_;
    MapLines lines_;  // the working copy, byte for byte; the list's rows are drawn from it
    UniqueWindow window_;
    UniqueFont font_;
    int text_height_ = 12;
    HWND list_ = nullptr, address_ = nullptr, file_name_ = nullptr, tooltip_ = nullptr;
    HWND edit_button_ = nullptr, save_button_ = nullptr, delete_button_ = nullptr;
    PictureControl* preview_ = nullptr;
    std::unique_ptr<OpenPictureDialog> open_dialog_;
    ModalResult modal_result_ = ModalResult::kNone;
    bool closed_ = false;
};

}  // namespace zv
