#pragma once
// The host's exported functions, in the order the binding looks them up: one list for the
// binding's table and for every stand-in host. X(name, called): `called` is 1 for the two
// functions the plug-in calls, 0 for those that only have to exist.
//
// Required: a host that lacks one of these cannot load the plug-in.
#define ZV_REQUIRED_HOST_FUNCTIONS(X)                                                                      \
    X(ZVA_GetVersion, 1) X(ZVA_Command, 0) X(ZVA_GetWindowHandles, 0) X(ZVA_RegisterCommand, 0)            \
    X(ZVA_RegisterUICallback, 0) X(ZVA_GetDataFolder, 0) X(ZVA_GetTempFolder, 0) X(ZVA_GetTempFileName, 0) \
    X(ZVA_GetCurrentMailBox, 0) X(ZVA_SetCurrentMailBox, 0) X(ZVA_GetCurrentFolder, 0)                     \
    X(ZVA_SetCurrentFolder, 0) X(ZVA_GetFolderDisplayName, 0) X(ZVA_SetMessageText, 0)                     \
    X(ZVA_GetCurrentMail, 0) X(ZVA_SetCurrentMail, 0) X(ZVA_GetNextMail, 0) X(ZVA_SetSel, 0)               \
    X(ZVA_AppendMessage, 0) X(ZVA_MoveSelectedMessages, 0) X(ZVA_GetStatus, 0) X(ZVA_ComposeMail, 0)       \
    X(ZVA_GetCharSet, 0) X(ZVA_GetSource, 0) X(ZVA_SetSource, 0) X(ZVA_GetHeader, 0) X(ZVA_GetText, 0)     \
    X(ZVA_SetText, 0) X(ZVA_GetSpecifiedHeader, 0) X(ZVA_SetSpecifiedHeader, 0) X(ZVA_CompGetCharSet, 0)   \
    X(ZVA_CompGetSource, 0) X(ZVA_CompSetSource, 0) X(ZVA_CompGetHeader, 0)                                \
    X(ZVA_CompGetSpecifiedHeader, 1) X(ZVA_CompSetSpecifiedHeader, 0) X(ZVA_CompGetText, 0)                \
    X(ZVA_CompSetText, 0) X(ZVA_CompAttachFile, 0) X(ZVA_Alloc, 0) X(ZVA_ReAlloc, 0) X(ZVA_Free, 0)       \
    X(ZVA_ISO_2022_JP, 0) X(ZVA_ISO_2022_KR, 0) X(ZVA_HZ_GB2312, 0) X(ZVA_ISO_8859_2, 0) X(ZVA_EUC_JP, 0)  \
    X(ZVA_UTF_7, 0) X(ZVA_UTF_8, 0) X(ZVA_B64Convert, 0) X(ZVA_QPConvert, 0) X(ZVA_MIMEHeader, 0)          \
    X(ZVA_SerializeRcpts, 0) X(ZVA_Connect, 0)

// Optional: looked up after the required ones; the host version rule decides whether it must
// be there.
#define ZV_OPTIONAL_HOST_FUNCTIONS(X) X(ZVA_SetStatus, 0)

#define ZV_ALL_HOST_FUNCTIONS(X) ZV_REQUIRED_HOST_FUNCTIONS(X) ZV_OPTIONAL_HOST_FUNCTIONS(X)
