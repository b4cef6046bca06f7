#pragma once
// TConfigWindow: the settings window that edits the picture map.
#include <windows.h>

#include <memory>
#include <string>

#include "base/handles_win32.h"
#include "base/modal_window_win32.h"
#include "map/picture_map.h"

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

    void ActionEditExecute();      // ">": the selected line into the fields, its picture into the preview
    void ActionSaveExecute();      // "<": the fields replace the selected line
    void ActionAddExecute();       // "<<": the fields become a new last line
    void ActionDeleteExecute();    // "×": the selected line goes, once the user agrees
    void ActionOpenFileExecute();  // "...": browse for a picture, which the preview shows
    void UpdateActions();          // ActionEditUpdate, ActionSaveUpdate, ActionDeleteUpdate
    void btnOkClick();             // writes the map, keeping the old one as backup, and closes
    void btnAboutClick();          // the version box
    void Button1Click();           // "チェック": reports shadowed keys and missing pictures

    void OnCommand(int id, int code);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    friend struct WindowAccess;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    std::string ini_file_name_;
    MapLines lines_;  // the working copy, byte for byte; the list's rows are drawn from it
    UniqueWindow window_;
    UniqueFont font_;
    int text_height_ = 12;
    HWND list_ = nullptr, address_ = nullptr, file_name_ = nullptr, tooltip_ = nullptr;
    HWND edit_button_ = nullptr, save_button_ = nullptr, delete_button_ = nullptr;
    PictureControl* preview_ = nullptr;
    std::unique_ptr<OpenPictureDialog> open_dialog_;
    ModalState modal_;
};

}  // namespace zv
