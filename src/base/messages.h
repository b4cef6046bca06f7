#pragma once
// The texts the user reads, in the ANSI code page (the build's execution character set).

namespace zv {

constexpr const char* kMsgCannotOpenFile = "ファイル %s は開けません";
constexpr const char* kMsgStreamReadError = "ストリームからの読み込みエラー";
constexpr const char* kMsgCannotCreateFile = "ファイル %s を作成できません";
constexpr const char* kMsgStreamWriteError = "ストリームへの書き込みエラー";

}  // namespace zv

namespace zv {

constexpr const char* kMsgUnknownExtension = "拡張子 .%s の画像形式は処理できません";
constexpr const char* kMsgBadBitmap = "ビットマップイメージが不正です";
constexpr const char* kMsgBadIcon = "アイコンイメージが不正です";
constexpr const char* kMsgBadMetafile = "メタファイルが不正です";
constexpr const char* kMsgJpegError = "JPEG エラー #%d";

}  // namespace zv
