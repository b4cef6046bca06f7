#pragma once
// The settings window's rules for the two edit fields.
#include <string>

namespace zv {

class CodePage;
class FileSystem;

struct EditFields {
    std::string address;
    std::string file_name;
};

// A line split for editing: before and after its first "="; a line without "=" gives an
// empty address and the whole line as the file name.
EditFields SplitForEditing(const std::string& line);
// The line the fields make, exactly as typed.
std::string LineFrom(const EditFields& fields);

enum class EntryProblem { None, EmptyAddress, AddressHasEquals, NoSuchPicture };

// The first failing test, in order: blank address, "=" in the address, missing file.
EntryProblem ValidateEntry(const EditFields& fields, FileSystem& fs);
const char* EntryProblemMessage(EntryProblem problem);

// The folder to open the file dialog in, from the file name field: up to its last "\" or
// ":", without a final "\" unless it is the first character or follows ":" or "\".
std::string InitialDirectoryOf(const std::string& file_name, const CodePage& cp);

// "1.0.0" from a product version's most significant and least significant 32 bits.
std::string VersionText(unsigned long most_significant, unsigned long least_significant);

}  // namespace zv
