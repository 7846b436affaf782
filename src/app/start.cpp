// RunTellwick: set-up, the program state, the window and its message loop.
#include "app/start.h"

#include <cstdlib>

#include "app/main_window.h"
#include "core/program_state.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/message_pump.h"
#include "platform/process_setup.h"

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
    return RunMessageLoop();
}
