// A message-only window whose handler runs a test's code inside whatever pumps the queue, as the
// main window's handlers run nested inside a drive search.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

class NestedHandler {
   public:
    // The handler runs for this message and for the window's timers.
    static constexpr UINT kRun = WM_APP + 1;

    explicit NestedHandler(std::function<void()> body) : body_(std::move(body)) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &NestedHandler::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TellwickNestedHandler";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, this);
    }
    NestedHandler(const NestedHandler&) = delete;
    NestedHandler& operator=(const NestedHandler&) = delete;
    ~NestedHandler() { DestroyWindow(window_); }

    void Post() { PostMessageW(window_, kRun, 0, 0); }
    HWND Window() const { return window_; }

   private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        } else if (message == kRun || message == WM_TIMER) {
            reinterpret_cast<NestedHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA))->body_();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::function<void()> body_;
    HWND window_ = nullptr;
};

// Removes a quit a test left in the queue, so that later searches are not stopped by it; returns
// its exit code, or -1 when there was none.
inline int TakeQuit() {
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return -1;
    return static_cast<int>(message.wParam);
}
