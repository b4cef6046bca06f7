#pragma once
// The texts the user reads, in the ANSI code page (the build's execution character set).

namespace zv {

constexpr const char* kMsgCannotOpenFile = "ファイル %s は開けません";
constexpr const char* kMsgStreamReadError = "ストリームからの読み込みエラー";
constexpr const char* kMsgCannotCreateFile = "ファイル %s を作成できません";
constexpr const char* kMsgStreamWriteError = "ストリームへの書き込みエラー";

}  // namespace zv
