// RunTellwick: set-up, the program state, the window and its message loop.
#include "app/start.h"

#include <cstdlib>

#include "app/main_window.h"
#include "core/program_state.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/process_setup.h"

namespace {

int RunMessageLoop(HWND window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and Shift+Tab move between the controls, as in a dialog.
        if (window && IsWindow(window) && IsDialogMessageW(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int RunTellwick(HINSTANCE instance, int showCommand) {
    UseExecutableFolderAsCurrentDirectory();
    QuietCriticalErrors();
    InitProgramState();
    std::atexit(ReleaseProgramState);

    MainWindow window(CurrentProgramState());
    if (!window.Create(instance, showCommand)) {
        MessageBoxW(nullptr, ToWide(texts::kStartFailed).c_str(), ToWide(texts::kWindowCaption).c_str(),
                    MB_ICONERROR | MB_TASKMODAL);
        // A failed start ends at once; the exit routines are for a run that got going.
        ExitProcess(static_cast<UINT>(-1));
    }
    RunMessageLoop(window.Handle());
    return 0;
}
