// Makes the creation of every window of one class fail on the calling thread, as a control that
// cannot be created would: a CBT hook that refuses HCBT_CREATEWND for that class.
#pragma once

#include <windows.h>

#include <string>

class RefusedControl {
   public:
    explicit RefusedControl(const wchar_t* className) {
        className_ = className;
        hook_ = SetWindowsHookExW(WH_CBT, Refuse, nullptr, GetCurrentThreadId());
    }
    RefusedControl(const RefusedControl&) = delete;
    RefusedControl& operator=(const RefusedControl&) = delete;
    ~RefusedControl() {
        if (hook_)
            UnhookWindowsHookEx(hook_);
    }
    bool Active() const { return hook_ != nullptr; }

   private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) {
            wchar_t name[64] = L"";
            GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
            if (_wcsicmp(name, className_.c_str()) == 0)
                return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline std::wstring className_;
    HHOOK hook_ = nullptr;
};
