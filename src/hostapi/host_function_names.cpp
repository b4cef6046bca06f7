#include "host_function_names.h"

namespace zv {

const char* const kHostFunctionNames[kHostFunctionCount] = {
    "ZVA_GetVersion",           "ZVA_Command",                "ZVA_GetWindowHandles",
    "ZVA_RegisterCommand",      "ZVA_RegisterUICallback",     "ZVA_GetDataFolder",
    "ZVA_GetTempFolder",        "ZVA_GetTempFileName",        "ZVA_GetCurrentMailBox",
    "ZVA_SetCurrentMailBox",    "ZVA_GetCurrentFolder",       "ZVA_SetCurrentFolder",
    "ZVA_GetFolderDisplayName", "ZVA_SetMessageText",         "ZVA_GetCurrentMail",
    "ZVA_SetCurrentMail",       "ZVA_GetNextMail",            "ZVA_SetSel",
    "ZVA_AppendMessage",        "ZVA_MoveSelectedMessages",   "ZVA_GetStatus",
    "ZVA_ComposeMail",          "ZVA_GetCharSet",             "ZVA_GetSource",
    "ZVA_SetSource",            "ZVA_GetHeader",              "ZVA_GetText",
    "ZVA_SetText",              "ZVA_GetSpecifiedHeader",     "ZVA_SetSpecifiedHeader",
    "ZVA_CompGetCharSet",       "ZVA_CompGetSource",          "ZVA_CompSetSource",
    "ZVA_CompGetHeader",        "ZVA_CompGetSpecifiedHeader", "ZVA_CompSetSpecifiedHeader",
    "ZVA_CompGetText",          "ZVA_CompSetText",            "ZVA_CompAttachFile",
    "ZVA_Alloc",                "ZVA_ReAlloc",                "ZVA_Free",
    "ZVA_ISO_2022_JP",          "ZVA_ISO_2022_KR",            "ZVA_HZ_GB2312",
    "ZVA_ISO_8859_2",           "ZVA_EUC_JP",                 "ZVA_UTF_7",
    "ZVA_UTF_8",                "ZVA_B64Convert",             "ZVA_QPConvert",
    "ZVA_MIMEHeader",           "ZVA_SerializeRcpts",         "ZVA_Connect",
    "ZVA_SetStatus",
};

}  // namespace zv
