// The host API the plug-in binds to when it loads: every name must be present in this
// executable. Only the version and the compose header lookup do anything here.
#include "demo_host.h"

#define HOST_EXPORT extern "C" __declspec(dllexport)
// The plug-in never calls these; they only need to exist.
#define HOST_STUB(name) \
    HOST_EXPORT int WINAPI name() { return 0; }

HOST_EXPORT const char* WINAPI ZVA_GetVersion() { return "2.00.06"; }

HOST_EXPORT int WINAPI ZVA_CompGetSpecifiedHeader(HWND compose, const char* name, char* buffer, int capacity) {
    return demo::AnswerHeader(compose, name, buffer, capacity);
}

HOST_STUB(ZVA_Command)
HOST_STUB(ZVA_GetWindowHandles)
HOST_STUB(ZVA_RegisterCommand)
HOST_STUB(ZVA_RegisterUICallback)
HOST_STUB(ZVA_GetDataFolder)
HOST_STUB(ZVA_GetTempFolder)
HOST_STUB(ZVA_GetTempFileName)
HOST_STUB(ZVA_GetCurrentMailBox)
HOST_STUB(ZVA_SetCurrentMailBox)
HOST_STUB(ZVA_GetCurrentFolder)
HOST_STUB(ZVA_SetCurrentFolder)
HOST_STUB(ZVA_GetFolderDisplayName)
HOST_STUB(ZVA_SetMessageText)
HOST_STUB(ZVA_GetCurrentMail)
HOST_STUB(ZVA_SetCurrentMail)
HOST_STUB(ZVA_GetNextMail)
HOST_STUB(ZVA_SetSel)
HOST_STUB(ZVA_AppendMessage)
HOST_STUB(ZVA_MoveSelectedMessages)
HOST_STUB(ZVA_GetStatus)
HOST_STUB(ZVA_ComposeMail)
HOST_STUB(ZVA_GetCharSet)
HOST_STUB(ZVA_GetSource)
HOST_STUB(ZVA_SetSource)
HOST_STUB(ZVA_GetHeader)
HOST_STUB(ZVA_GetText)
HOST_STUB(ZVA_SetText)
HOST_STUB(ZVA_GetSpecifiedHeader)
HOST_STUB(ZVA_SetSpecifiedHeader)
HOST_STUB(ZVA_CompGetCharSet)
HOST_STUB(ZVA_CompGetSource)
HOST_STUB(ZVA_CompSetSource)
HOST_STUB(ZVA_CompGetHeader)
HOST_STUB(ZVA_CompSetSpecifiedHeader)
HOST_STUB(ZVA_CompGetText)
HOST_STUB(ZVA_CompSetText)
HOST_STUB(ZVA_CompAttachFile)
HOST_STUB(ZVA_Alloc)
HOST_STUB(ZVA_ReAlloc)
HOST_STUB(ZVA_Free)
HOST_STUB(ZVA_ISO_2022_JP)
HOST_STUB(ZVA_ISO_2022_KR)
HOST_STUB(ZVA_HZ_GB2312)
HOST_STUB(ZVA_ISO_8859_2)
HOST_STUB(ZVA_EUC_JP)
HOST_STUB(ZVA_UTF_7)
HOST_STUB(ZVA_UTF_8)
HOST_STUB(ZVA_B64Convert)
HOST_STUB(ZVA_QPConvert)
HOST_STUB(ZVA_MIMEHeader)
HOST_STUB(ZVA_SerializeRcpts)
HOST_STUB(ZVA_Connect)
HOST_STUB(ZVA_SetStatus)
