#pragma once
// Every text the user reads, in the ANSI code page (the build's execution character set),
// by the part that shows it. A control's caption and hint stay in its window's layout table.
// A "%s" or "%d" is filled by FormatMessageText (base/app_error.h).

namespace zv {

// Files and streams (base/file_system), and the error box's text for a lack of memory.
constexpr const char* kMsgCannotOpenFile = "ファイル %s は開けません";
constexpr const char* kMsgStreamReadError = "ストリームからの読み込みエラー";
constexpr const char* kMsgCannotCreateFile = "ファイル %s を作成できません";
constexpr const char* kMsgStreamWriteError = "ストリームへの書き込みエラー";
constexpr const char* kMsgOutOfMemory = "Out of memory";

// Pictures: loading failures, the formats' descriptions, the file-open dialog's pane and the
// preview window.
constexpr const char* kMsgUnknownExtension = "拡張子 .%s の画像形式は処理できません";
constexpr const char* kMsgBadBitmap = "ビットマップイメージが不正です";
constexpr const char* kMsgBadIcon = "アイコンイメージが不正です";
constexpr const char* kMsgBadMetafile = "メタファイルが不正です";
constexpr const char* kMsgJpegError = "JPEG エラー #%d";
constexpr const char* kTextWmfFormat = "メタファイル";
constexpr const char* kTextEmfFormat = "エンハンス メタファイル";
constexpr const char* kTextIconFormat = "アイコン";
constexpr const char* kTextBitmapFormat = "ビットマップ";
constexpr const char* kTextJpegFormat = "JPEG イメージファイル";
constexpr const char* kTextAllFilesFilter = "すべてのファイル (%s)";
constexpr const char* kNoPictureLine = "画像:";
constexpr const char* kNoPicture = "(なし)";
constexpr const char* kPreviewCaption = "プレビュー";  // also the hint of the button that opens it

// The confirmation window.
constexpr const char* kConfirmCaption = "zvOvisto - アドレス確認";

// The settings window: its title, the entry's validation, the delete question, the About box
// and the map check's report.
constexpr const char* kSettingsCaption = "zvOvisto - 設定";
constexpr const char* kMsgEmptyAddress = "アドレスを入力して下さい。";
constexpr const char* kMsgAddressHasEquals = "アドレスに\"=\"は使用できません。";
constexpr const char* kMsgNoSuchPicture = "有効な画像ファイルを指定して下さい。";
constexpr const char* kMsgDeleteLine = "選択行を削除します。よろしいですか？";
constexpr const char* kDeleteLineCaption = "確認";
constexpr const char* kMsgAbout = "zvOvisto Ver %s\nCopyright (C) qorvix";
constexpr const char* kTextUnknownVersion = "?";
constexpr const char* kAboutCaption = "バージョン情報";
constexpr const char* kMsgUnusedAddress = "アドレス %s が使用されることはありません。";
constexpr const char* kMsgMissingFile = "%s ファイルが存在しません。";
constexpr const char* kMsgCheckFoundNothing = "エラーはありません。";

// The plug-in information record the host shows.
constexpr const char* kTextPluginName = "zvOvisto plug-in";
constexpr const char* kTextPluginVendor = "qorvix";
constexpr const char* kTextPluginVersion = "1.0.0";
constexpr const char* kTextPluginDescription = "zvOvisto";

}  // namespace zv
