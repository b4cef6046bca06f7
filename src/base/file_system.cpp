#include "base/file_system.h"

#include "base/app_error.h"
#include "base/messages.h"

namespace zv {

std::string ReadWholeFile(FileSystem& fs, const std::string& path) {
    std::string bytes;
    switch (fs.ReadAll(path, bytes)) {
        case ReadResult::Ok:
            break;
        case ReadResult::CannotOpen:
            throw AppError(FormatMessageText(kMsgCannotOpenFile, path));
        case ReadResult::ReadError:
            throw AppError(kMsgStreamReadError);
    }
    return bytes;
}

}  // namespace zv
