#pragma once
// Texts of the two message boxes every window uses.
#include <string>

namespace zv {

class CodePage;

// The host executable's file name without folder, cut at its first ".", its first
// character kept and the rest lower-cased: C:\Mail\MyMail.Exe gives "Mymail".
std::string ApplicationTitle(const std::string& exe_path, const CodePage& cp);

// The error box's text: the message, and "." after it when its last character's (lead)
// byte is above ".".
std::string ErrorBoxText(const std::string& message, const CodePage& cp);

}  // namespace zv
