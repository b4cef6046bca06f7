#pragma once
// The substitute host: this test executable exports the host's ZVA_ functions, with a
// version text and header values each test sets, and loads the real zvOvisto.dll.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "base/handles_win32.h"

namespace zv::host {

struct HeaderCall {
    HWND compose;
    std::string name;
    int capacity;
};

struct HostScript {
    std::string version = "2.00.06";
    bool version_is_null = false;
    int version_calls = 0;
    std::map<std::string, std::string> headers;  // header name -> value the host writes
    std::vector<HeaderCall> header_calls;
    int other_calls = 0;  // calls to any ZVA_ function the plug-in must not use
};

HostScript& Script();

// A copy of zvOvisto.dll in a fresh folder of its own, loaded; unloaded and removed at the end.
class LoadedPlugin {
public:
    LoadedPlugin();  // copies and loads the zvOvisto.dll beside this program; check loaded()
    explicit LoadedPlugin(const std::string& source_dll);  // the same with another build
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool loaded() const { return static_cast<bool>(module_); }
    DWORD load_error() const { return load_error_; }
    const std::string& folder() const { return folder_; }
    std::string dll_path() const { return folder_ + "\\zvOvisto.dll"; }
    std::string ini_path() const { return folder_ + "\\zvOvisto.ini"; }
    FARPROC Export(const char* name) const;

    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(Export(name)));
    }

    int OnOutgoing(HWND compose, int mode) const;
    int OnPlugInSetup() const;

private:
    std::string folder_;
    UniqueModule module_;
    DWORD load_error_ = 0;
};

// Writes bytes to a file, replacing it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
std::string ExeFolder();
// A fresh, empty folder under the temporary folder.
std::string MakeTempFolder(const char* prefix);
void RemoveFolder(const std::string& folder);

}  // namespace zv::host
