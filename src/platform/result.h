// The outcome of a platform call that can fail, with the system's error code read at once.
#pragma once

#include <windows.h>

class SysResult {
   public:
    static SysResult Success() { return SysResult(true, ERROR_SUCCESS); }
    // The calling thread's last error: call this right after the failed call, before anything
    // else can overwrite it.
    static SysResult LastError() { return SysResult(false, GetLastError()); }
    static SysResult Failure(DWORD code) { return SysResult(false, code); }
    // Success for a nonzero BOOL, else the last error.
    static SysResult FromBool(BOOL ok) { return ok ? Success() : LastError(); }

    explicit operator bool() const { return ok_; }
    bool Ok() const { return ok_; }
    // ERROR_SUCCESS for a success.
    DWORD Error() const { return error_; }

   private:
    SysResult(bool ok, DWORD error) : ok_(ok), error_(error) {}

    bool ok_;
    DWORD error_;
};
