#pragma once
// Which picture files can be read: the format table, searched from its last entry, and the
// extension rule that picks an entry.
#include <string>
#include <vector>

namespace zv {

class CodePage;

enum class PictureKind { Metafile, Icon, Bitmap, Jpeg };

struct PictureFormat {
    std::string extension;  // lower case, without the dot
    std::string description;
    PictureKind kind;
};

// In registration order: wmf, emf, ico, bmp, then the two JPEG names.
const std::vector<PictureFormat>& PictureFormatTable();

// The text after the last ".", if the last of ".", "\" and ":" is a "."; else empty.
std::string ExtensionOf(const std::string& path, const CodePage& cp);

// The entry for an extension, compared after the system's lower-casing; null when none.
const PictureFormat* FindPictureFormat(const std::string& extension, const CodePage& cp);

// The file-open dialog's filter: pairs of shown text and pattern, "all pictures" first.
struct FilterChoice {
    std::string text;
    std::string pattern;
};
std::vector<FilterChoice> PictureFilterChoices();

}  // namespace zv
