#pragma once
// An in-memory FileSystem whose every failure can be switched on.
#include <map>
#include <set>
#include <string>

#include "base/file_system.h"

namespace zv::testing {

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> directories;
    std::set<std::string> locked;        // held open by another handle without sharing
    std::set<std::string> unreadable;    // opens, but reading fails
    std::set<std::string> bad_time;      // last-write time outside the DOS range
    bool cannot_create = false;          // the folder cannot be written
    size_t fail_write_after = SIZE_MAX;  // bytes written before the disk fills

    ReadResult ReadAll(const std::string& path, std::string& bytes) override;
    WriteResult WriteNew(const std::string& path, const std::string& bytes) override;
    bool CanReplace(const std::string& path) override;
    bool Delete(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    FoundFile FindFirst(const std::string& path) override;
};

}  // namespace zv::testing
