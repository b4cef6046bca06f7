#include "substitute_host.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

#include "hostapi/host_function_list.h"

namespace zv::host {

HostScript& Script() {
    static HostScript script;
    return script;
}

std::string ExeFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\'));
}

std::string MakeTempFolder(const char* prefix) {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    for (;;) {
        std::string folder = std::string(temp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make " + folder);
    }
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    const UniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find.get(), &data));
    }
    RemoveDirectoryA(folder.c_str());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    const UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot write " + path);
    DWORD done = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

std::string ReadFileBytes(const std::string& path) {
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return "(missing)";
    std::string bytes(GetFileSize(file.get(), nullptr), '\0');
    DWORD done = 0;
    if (!bytes.empty()) ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &done, nullptr);
    bytes.resize(done);
    return bytes;
}

LoadedPlugin::LoadedPlugin() : LoadedPlugin(ExeFolder() + "\\zvOvisto.dll") {}

LoadedPlugin::LoadedPlugin(const std::string& source) : folder_(MakeTempFolder("zvplug")) {
    if (!CopyFileA(source.c_str(), dll_path().c_str(), FALSE)) throw std::runtime_error("cannot copy " + source);
    module_.reset(LoadLibraryA(dll_path().c_str()));
    if (!module_) load_error_ = GetLastError();
}

LoadedPlugin::~LoadedPlugin() {
    module_.reset();  // before the folder goes: a loaded DLL's file cannot be removed
    RemoveFolder(folder_);
}

FARPROC LoadedPlugin::Export(const char* name) const {
    FARPROC f = module_ ? GetProcAddress(module_.get(), name) : nullptr;
    if (!f) throw std::runtime_error(std::string("no export ") + name);
    return f;
}

int LoadedPlugin::OnOutgoing(HWND compose, int mode) const {
    return Get<int(WINAPI*)(HWND, int)>("ZVC_OnOutgoing")(compose, mode);
}

int LoadedPlugin::OnPlugInSetup() const { return Get<int(WINAPI*)(int)>("ZVC_OnPlugInSetup")(0); }

}  // namespace zv::host

// The host's exports. Only the two the plug-in calls do anything; the rest count calls.
#define HOST_EXPORT extern "C" __declspec(dllexport)

HOST_EXPORT const char* WINAPI ZVA_GetVersion() {
    auto& s = zv::host::Script();
    ++s.version_calls;
    return s.version_is_null ? nullptr : s.version.c_str();
}

HOST_EXPORT int WINAPI ZVA_CompGetSpecifiedHeader(HWND compose, const char* name, char* buffer, int capacity) {
    auto& s = zv::host::Script();
    s.header_calls.push_back({compose, name, capacity});
    auto it = s.headers.find(name);
    if (it == s.headers.end()) return 0;  // writes nothing, as a host might for an unknown header
    std::strncpy(buffer, it->second.c_str(), capacity);
    return 1;
}

// A host without one of its functions: the stub is exported under another name.
#ifdef HOST_WITHOUT_CONNECT
#define ZVA_Connect ZVA_Connect_left_out
#endif
#ifdef HOST_WITHOUT_SET_STATUS
#define ZVA_SetStatus ZVA_SetStatus_left_out
#endif
#define HOST_STUB_0(name) \
    HOST_EXPORT int WINAPI name() { return ++zv::host::Script().other_calls, 0; }
#define HOST_STUB_1(name)  // answered above
#define HOST_STUB(name, called) HOST_STUB_##called(name)
ZV_ALL_HOST_FUNCTIONS(HOST_STUB)
