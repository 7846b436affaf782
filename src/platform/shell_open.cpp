// ShellExecuteW with COM set up on the calling thread, as the shell's handlers may need it.
#include "platform/shell_open.h"

#include <objbase.h>
#include <shellapi.h>

bool OpenWithUsersProgram(const std::wstring& path) {
    if (const ShellOpenCalls& calls = InstalledCalls<ShellOpenCalls>(); calls.shellExecute)
        return calls.shellExecute(L"open", path.c_str()) > 32;
    // A handler of the file type may be a COM object; the thread may already have COM in another
    // mode (RPC_E_CHANGED_MODE), which serves as well and is left as it is.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    HINSTANCE started = ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com))
        CoUninitialize();
    // Values of 32 and below are the errors (SE_ERR_NOASSOC, ERROR_FILE_NOT_FOUND, ...).
    return reinterpret_cast<INT_PTR>(started) > 32;
}
