#include "settings/entry_rules.h"

#include "base/code_page.h"
#include "base/messages.h"
#include "map/picture_map.h"

namespace zv {

EditFields SplitForEditing(const std::string& line) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return {std::string(), line};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

std::string LineFrom(const EditFields& fields) { return fields.address + "=" + fields.file_name; }

EntryProblem ValidateEntry(const EditFields& fields, FileSystem& fs) {
    // Bytes up to 0x20 at either end are blanks; a full-width space is not.
    const std::string& a = fields.address;
    size_t begin = 0, end = a.size();
    while (begin < end && static_cast<unsigned char>(a[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(a[end - 1]) <= 0x20) --end;
    if (begin == end) return EntryProblem::EmptyAddress;
    if (a.find('=') != std::string::npos) return EntryProblem::AddressHasEquals;
    if (!IsExistingFile(fs, fields.file_name)) return EntryProblem::NoSuchPicture;
    return EntryProblem::None;
}

const char* EntryProblemMessage(EntryProblem problem) {
    switch (problem) {
        case EntryProblem::EmptyAddress: return kMsgEmptyAddress;
        case EntryProblem::AddressHasEquals: return kMsgAddressHasEquals;
        case EntryProblem::NoSuchPicture: return kMsgNoSuchPicture;
        case EntryProblem::None: break;
    }
    return "";
}

std::string InitialDirectoryOf(const std::string& file_name, const CodePage& cp) {
    const size_t at = FindLastOf(file_name, "\\:", cp);
    if (at == std::string::npos) return std::string();
    if (file_name[at] == ':') return file_name.substr(0, at + 1);
    // A "\" is kept when it is the first character or follows ":" or another "\" (a whole
    // character: the trail byte 0x5C of a double-byte character is not one).
    size_t previous = std::string::npos;
    for (size_t i = 0; i < at; ++i) {
        previous = i;
        if (cp.IsLeadByte(static_cast<unsigned char>(file_name[i]))) ++i;
    }
    const bool keep = previous == std::string::npos ||
                      (previous + 1 == at && (file_name[previous] == ':' || file_name[previous] == '\\'));
    return file_name.substr(0, keep ? at + 1 : at);
}

std::string VersionText(unsigned long most_significant, unsigned long least_significant) {
    return std::to_string((most_significant >> 16) & 0xFFFF) + "." + std::to_string(most_significant & 0xFFFF) + "." +
           std::to_string((least_significant >> 16) & 0xFFFF);
}

}  // namespace zv
