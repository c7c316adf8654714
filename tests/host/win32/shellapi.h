#ifndef HOST_SHELLAPI_H
#define HOST_SHELLAPI_H

#include <windows.h>

#define FO_DELETE 0x3u
#define FOF_SILENT 0x4u
#define FOF_NOCONFIRMATION 0x10u
#define FOF_ALLOWUNDO 0x40u
#define FOF_FILESONLY 0x80u
#define FOF_NOERRORUI 0x400u
#define FOF_NORECURSION 0x1000u

typedef WORD FILEOP_FLAGS;

typedef struct _SHFILEOPSTRUCTA {
    HWND hwnd;
    UINT wFunc;
    LPCSTR pFrom;
    LPCSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCSTR lpszProgressTitle;
} SHFILEOPSTRUCTA, *LPSHFILEOPSTRUCTA;

int SHFileOperationA(LPSHFILEOPSTRUCTA operation);

#endif
