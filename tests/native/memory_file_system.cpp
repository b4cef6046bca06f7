#include "memory_file_system.h"

namespace zv::testing {

ReadResult MemoryFileSystem::ReadAll(const std::string& path, std::string& bytes) {
    auto it = files.find(path);
    if (it == files.end() || locked.count(path)) return ReadResult::CannotOpen;
    if (unreadable.count(path)) return ReadResult::ReadError;
    bytes = it->second;
    return ReadResult::Ok;
}

WriteResult MemoryFileSystem::WriteNew(const std::string& path, const std::string& bytes) {
    if (cannot_create || locked.count(path) || directories.count(path)) return WriteResult::CannotCreate;
    if (bytes.size() > fail_write_after) {
        files[path] = bytes.substr(0, fail_write_after);
        return WriteResult::WriteError;
    }
    files[path] = bytes;
    return WriteResult::Ok;
}

bool MemoryFileSystem::CanReplace(const std::string& path) { return !locked.count(path); }

bool MemoryFileSystem::Delete(const std::string& path) {
    if (locked.count(path) || cannot_create) return false;
    return files.erase(path) > 0;
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
    if (cannot_create || locked.count(from) || locked.count(to)) return false;
    auto it = files.find(from);
    if (it == files.end()) return false;
    files[to] = it->second;
    files.erase(from);
    return true;
}

FoundFile MemoryFileSystem::FindFirst(const std::string& path) {
    FoundFile found;
    if (directories.count(path)) {
        found.found = found.is_directory = found.has_dos_time = true;
    } else if (files.count(path)) {
        found.found = true;
        found.has_dos_time = !bad_time.count(path);
    }
    return found;
}

}  // namespace zv::testing
