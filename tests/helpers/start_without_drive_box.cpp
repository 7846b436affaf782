// Starts the tool exactly as Tellwick.exe does, but with the drive box's creation refused, so that
// a test can watch a start fail because one control could not be created.
#include <windows.h>

#include "app/start.h"
#include "support/refused_control.h"

int main() {
    const RefusedControl refused(L"ComboBox");
    return RunTellwick(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
}
