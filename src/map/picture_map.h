#pragma once
// The picture map: lines "key=path" in the ANSI code page, in file order, kept as bytes.
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class CodePage;
class FileSystem;

using MapLines = std::vector<std::string>;

// Splits file bytes into lines: CR, LF or CR LF end a line; the first NUL ends the text.
MapLines SplitMapText(const std::string& bytes);
// Every line followed by CR LF.
std::string JoinMapText(const MapLines& lines);

// The text before the first "="; empty for a line without "=".
std::string KeyOf(const std::string& line);
// The same, without a copy.
std::string_view KeyViewOf(const std::string& line);
// The text after the first "="; empty for a line without "=".
std::string PathAfterEquals(const std::string& line);

// Path of the first line whose key equals `key` ignoring case; empty when none does.
std::string PathOf(const MapLines& lines, const std::string& key, const CodePage& cp);

// `key` occurs in `header` byte for byte; a candidate starting on a trail byte is skipped.
bool KeyMatches(const std::string& key, const std::string& header, const CodePage& cp);

// A text that many keys are matched against: where its characters start is found once.
// It refers to the text, which must outlive it.
class SearchedText {
public:
    SearchedText(std::string_view text, const CodePage& cp);
    // KeyMatches(key, text, cp).
    bool Contains(std::string_view key) const;
    // No match may start on the trail byte of a double-byte character.
    bool IsCharacterStart(size_t at) const { return starts_[at]; }

private:
    std::string_view text_;
    std::vector<bool> starts_;
};

// `path` with its extension (after the last "\", ":" or ".", if that is a ".") replaced
// by `extension` (".bak"), or with `extension` appended when it has none.
std::string ReplaceExtension(const std::string& path, const std::string& extension, const CodePage& cp);

// Replaces `lines` by the file's lines; throws AppError, leaving `lines` as they were.
void LoadMap(FileSystem& fs, const std::string& path, MapLines& lines);

// Writes `lines` so that the previous file survives as the ".bak" file. The new content is
// written and flushed to a temporary file first, so a failure leaves map and ".bak" as they
// were. Throws AppError.
void SaveMap(FileSystem& fs, const std::string& path, const MapLines& lines, const CodePage& cp);

// Find-first-file finds an entry that is not a directory and has a DOS-representable time.
bool IsExistingFile(FileSystem& fs, const std::string& path);

}  // namespace zv
