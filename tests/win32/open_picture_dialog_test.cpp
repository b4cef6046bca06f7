#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <cstdio>
#include "picture_fixtures.h"
#include "pictures/open_picture_dialog_win32.h"
#include "pictures/picture_win32.h"
#include "substitute_host.h"
#include "ui_driver.h"

namespace zv {
namespace {
using namespace host;

HWND FindDialog() {
    struct C { static BOOL CALLBACK One(HWND h, LPARAM p) {
        char name[64] = {}; GetClassNameA(h, name, sizeof name);
        DWORD pid = 0; GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId() && !strcmp(name, "#32770") && IsWindowVisible(h)) { *(HWND*)p = h; return FALSE; }
        return TRUE; } };
    HWND found = nullptr; EnumWindows(C::One, (LPARAM)&found); return found;
}
void Dump(HWND dialog) {
    for (auto& c : ChildrenOf(dialog))
        printf("%p id=%x %s '%s' %ld,%ld-%ld,%ld vis=%d en=%d parent=%p\n", c.hwnd, GetDlgCtrlID(c.hwnd), c.class_name.c_str(), c.text.c_str(), c.rect.left, c.rect.top, c.rect.right, c.rect.bottom, c.visible, c.enabled, GetParent(c.hwnd));
}

TEST(Explore, Dialog) {
    InitPictureSupport();
    std::string folder = MakeTempFolder("zvopen");
    WriteFileBytes(folder + "\\pic.bmp", fixtures::SolidBmp(640, 480, {255,0,0}));
    WriteFileBytes(folder + "\\x.jpg", "not a picture");
    OpenPictureDialog dialog;
    dialog.SetInitialDir(folder);
    std::string path = "unchanged";
    bool result;
    {
        Driver d([&] {
            HWND dlg = nullptr;
            WaitUntil([&] { return (dlg = FindDialog()) != nullptr; }, 10000);
            if (!dlg) return;
            Sleep(1000);
            RECT r; GetClientRect(dlg, &r); printf("client %ld x %ld\n", r.right, r.bottom);
            Dump(dlg);
            HWND list = nullptr;
            for (auto& c : ChildrenOf(dlg)) if (c.class_name == "SysListView32") list = c.hwnd;
            int n = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
            printf("items %d\n", n);
            for (int i = 0; i < n; ++i) { char t[260] = {}; LVITEMA it = {}; it.pszText = t; it.cchTextMax = 260; SendMessageA(list, LVM_GETITEMTEXTA, i, (LPARAM)&it); printf(" item %d '%s'\n", i, t); }
            LVITEMA st = {}; st.stateMask = LVIS_SELECTED | LVIS_FOCUSED; st.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, 0, (LPARAM)&st);
            Sleep(1000);
            Dump(dlg);
            Screenshot(dlg).SavePng("z:\\tmp\\explore1.bmp"); Sleep(4000);
            SetWindowPos(dlg, nullptr, 0, 0, 900, 600, SWP_NOMOVE|SWP_NOZORDER);
            Sleep(1000);
            Dump(dlg);
            Screenshot(dlg).SavePng("z:\\tmp\\explore2.bmp");
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        result = dialog.Execute(nullptr, path);
    }
    printf("result %d path %s\n", result, path.c_str());
    RemoveFolder(folder);
}
}
}
