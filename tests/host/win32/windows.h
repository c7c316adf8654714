// The few Win32 declarations the launcher uses, for host builds against the stand-in.
#ifndef HOST_WINDOWS_H
#define HOST_WINDOWS_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef unsigned int UINT;
typedef int32_t HRESULT;
typedef void* HANDLE;
typedef void* LPVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef DWORD REGSAM;
typedef struct HKEY__* HKEY;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HWINSTA__* HWINSTA;
typedef HKEY* PHKEY;

static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(WORD) == 2, "Win32 widths");

#define WINAPI
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define ZeroMemory(destination, length) memset((destination), 0, (length))

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define HKEY_USERS ((HKEY)(uintptr_t)0x80000003u)
#define KEY_READ 0x20019u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_KEY_DELETED 1018L
#define S_OK 0
#define E_FAIL ((HRESULT)0x80004005u)

#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define OPEN_EXISTING 3u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define FILE_SHARE_DELETE 0x4u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_ARCHIVE 0x20u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400u

#define SW_SHOWDEFAULT 10
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800u

#define MB_OK 0x0u
#define MB_ICONERROR 0x10u
#define UOI_FLAGS 1
#define WSF_VISIBLE 0x1L

typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

typedef struct tagUSEROBJECTFLAGS {
    BOOL fInherit;
    BOOL fReserved;
    DWORD dwFlags;
} USEROBJECTFLAGS;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    DWORD nFileSizeHigh, nFileSizeLow;
    DWORD dwReserved0, dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

typedef struct _BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh, nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh, nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
LONG RegCloseKey(HKEY key);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, FILETIME* lastWrite);

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HWINSTA GetProcessWindowStation(void);
BOOL GetUserObjectInformationA(HANDLE object, int index, LPVOID information, DWORD length,
                               LPDWORD lengthNeeded);

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
DWORD GetFileAttributesA(LPCSTR path);
#define DRIVE_NO_ROOT_DIR 1u
#define DRIVE_FIXED 3u
#define DRIVE_REMOTE 4u
UINT GetDriveTypeA(LPCSTR root);
#define IO_REPARSE_TAG_MOUNT_POINT 0xA0000003u
BOOL RemoveDirectoryA(LPCSTR path);
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size);
DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* filePart);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found);
BOOL FindClose(HANDLE search);

BOOL IsDBCSLeadByte(BYTE byte);
LPSTR GetCommandLineA(void);

typedef intptr_t(WINAPI* FARPROC)(void);
HMODULE GetModuleHandleA(LPCSTR moduleName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procedureName);
void ExitProcess(UINT exitCode);  // returns here: the stand-in only records "exit CODE"

// Security: access rights, the process token and self-relative security descriptors.
#define DELETE 0x00010000u
#define READ_CONTROL 0x00020000u
#define WRITE_DAC 0x00040000u
#define WRITE_OWNER 0x00080000u
#define GENERIC_ALL 0x10000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_EXECUTE 0x0020u
#define FILE_DELETE_CHILD 0x0040u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u
#define FILE_WRITE_EA 0x0010u
#define TOKEN_QUERY 0x0008u
#define OWNER_SECURITY_INFORMATION 0x1u
#define DACL_SECURITY_INFORMATION 0x4u
#define SECURITY_MAX_SID_SIZE 68
#define ACCESS_ALLOWED_ACE_TYPE 0x0
#define ACCESS_DENIED_ACE_TYPE 0x1
#define ACCESS_ALLOWED_OBJECT_ACE_TYPE 0x5
#define ACCESS_DENIED_OBJECT_ACE_TYPE 0x6
#define ACCESS_ALLOWED_CALLBACK_ACE_TYPE 0x9
#define ACCESS_DENIED_CALLBACK_ACE_TYPE 0xA
#define ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE 0xC
#define OBJECT_INHERIT_ACE 0x1
#define CONTAINER_INHERIT_ACE 0x2
#define INHERIT_ONLY_ACE 0x8

typedef void* PSID;
typedef void* PSECURITY_DESCRIPTOR;
typedef DWORD SECURITY_INFORMATION;
typedef HANDLE* PHANDLE;

typedef struct _ACL {
    BYTE AclRevision;
    BYTE Sbz1;
    WORD AclSize;
    WORD AceCount;
    WORD Sbz2;
} ACL, *PACL;

typedef struct _ACE_HEADER {
    BYTE AceType;
    BYTE AceFlags;
    WORD AceSize;
} ACE_HEADER;

typedef struct _ACCESS_ALLOWED_ACE {
    ACE_HEADER Header;
    DWORD Mask;
    DWORD SidStart;
} ACCESS_ALLOWED_ACE;

typedef struct _SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
} SID_AND_ATTRIBUTES;

typedef struct _TOKEN_USER {
    SID_AND_ATTRIBUTES User;
} TOKEN_USER;

typedef enum _TOKEN_INFORMATION_CLASS { TokenUser = 1 } TOKEN_INFORMATION_CLASS;

HANDLE GetCurrentProcess(void);
DWORD GetCurrentProcessId(void);
BOOL ProcessIdToSessionId(DWORD processId, DWORD* session);
BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                         DWORD length, LPDWORD lengthNeeded);
BOOL GetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION requested,
                             PSECURITY_DESCRIPTOR descriptor, DWORD length, LPDWORD lengthNeeded);
BOOL GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID* owner, BOOL* defaulted);
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL* present, PACL* dacl,
                               BOOL* defaulted);
BOOL GetAce(PACL acl, DWORD index, LPVOID* ace);
typedef int SID_NAME_USE;
BOOL LookupAccountSidA(LPCSTR system, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                       LPDWORD domainSize, SID_NAME_USE* use);
DWORD GetFinalPathNameByHandleA(HANDLE file, LPSTR path, DWORD size, DWORD flags);

// Finding a program named without a path, and the event log.
#define EVENTLOG_ERROR_TYPE 0x0001u
typedef char* LPCH;

UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
LPCH GetEnvironmentStringsA(void);
BOOL FreeEnvironmentStringsA(LPCH block);
HANDLE RegisterEventSourceA(LPCSTR server, LPCSTR source);
BOOL ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid,
                  WORD stringCount, DWORD dataSize, LPCSTR* strings, LPVOID data);
BOOL DeregisterEventSource(HANDLE eventLog);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState);

#endif
