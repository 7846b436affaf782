// Process entry: everything else is RunTellwick's, so that a test program can start the tool too.
#include <windows.h>

#include "app/start.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return RunTellwick(instance, showCommand);
}
