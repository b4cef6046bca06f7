#pragma once
// The demo host: a stand-in for a mail client's compose window. It exports the host API,
// loads zvOvisto.dll from its own folder and hands the plug-in the three recipient fields.
#include <windows.h>

#include <string>

namespace demo {

enum ControlId {
    kEditTo = 101,
    kEditCc,
    kEditBcc,
    kSendButton = 201,
    kSetupButton,
    kStatusLine = 301,
    kInfoLabel,
};

HWND MainWindow();
bool PluginLoaded();
std::string PluginInfoText();
std::string StatusText();

// Answers the plug-in's header request from the edit field of that header.
int AnswerHeader(HWND compose, const char* name, char* buffer, int capacity);

void SetHeaderFields(const std::string& to, const std::string& cc, const std::string& bcc);

struct SendOutcome {
    bool called;  // false when no plug-in is loaded
    int result;   // ZVC_OnOutgoing's answer: 0 send, -1 held back
};
// What the Send button does: runs the outgoing callback and shows the outcome.
SendOutcome SendNow();

struct SetupOutcome {
    bool called;  // false when the plug-in has no setup callback
    int result;   // ZVC_OnPlugInSetup's answer
};
// What the Plug-in setup button does: runs the setup callback and shows its answer.
SetupOutcome SetupNow();

// Dispatches this thread's messages for about `ms` milliseconds.
void PumpFor(int ms);
// Dispatches messages until the handle is signalled; false after the timeout.
bool WaitPumping(HANDLE handle, DWORD timeout_ms);

// Writes the screen's pixels under `rect` (screen coordinates) as a 24-bit BMP.
bool SaveScreenRect(const RECT& rect, const std::string& path);

std::string FullPath(const std::string& path);

// Drives the demonstration cases; the process's exit code.
int RunScript(const std::string& out_folder);
// Opens the settings window, its file dialog and picture preview, photographed into the
// folder; true when every window appeared and closed again.
bool RunSettingsScript(const std::string& folder);

}  // namespace demo
