// Process entry: everything else is RunTellwick's, so that a test program can start the tool too.
#include <windows.h>

#include "app/start.h"
#include "platform/system_dlls.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything can load a DLL: never one from the executable's folder or the current one.
    LoadDllsFromSystemFolderOnly();
    return RunTellwick(instance, showCommand);
}
