#pragma once
// File access as the map and picture rules need it. The Windows implementation keeps the
// sharing modes the rules name; tests use an in-memory one to reach every failure.
#include <string>

namespace zv {

enum class ReadResult { Ok, CannotOpen, ReadError };
enum class WriteResult { Ok, CannotCreate, WriteError };

struct FoundFile {
    bool found = false;
    bool is_directory = false;
    bool has_dos_time = false;  // last-write time, as local time, fits a DOS date and time
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Opens for reading, letting others read but not write, and reads the whole file.
    virtual ReadResult ReadAll(const std::string& path, std::string& bytes) = 0;
    // Creates (or truncates) the file unshared, writes the bytes and flushes them to disk.
    virtual WriteResult WriteNew(const std::string& path, const std::string& bytes) = 0;
    // True when the file does not exist or nobody else holds it open, so it can be renamed.
    virtual bool CanReplace(const std::string& path) = 0;
    virtual bool Delete(const std::string& path) = 0;
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // The first entry the platform's find-first-file search yields for the path.
    virtual FoundFile FindFirst(const std::string& path) = 0;
};

FileSystem& SystemFileSystem();

// The whole file, or AppError "ファイル %s は開けません" / "ストリームからの読み込みエラー".
std::string ReadWholeFile(FileSystem& fs, const std::string& path);

}  // namespace zv
