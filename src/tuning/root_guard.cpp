// The guards the commands share: the launcher, a root found by a drive search, and that root still a folder.
#include "tuning/root_guard.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/files.h"
#include "tuning/process_check.h"

bool LauncherRefuses(ControlPort& ui) {
    if (FindProcessByName("wegame.exe") == 0)
        return false;
    ui.ShowMessageBox(texts::kLauncherRunningMessage, kMessageBoxFlags, texts::kLauncherRunningTitle);
    return true;
}

bool InstallRootKnown(const ProgramState& state, ControlPort& ui) {
    if (ui.Caption(Control::标签3) != texts::kDrivePrompt && !state.InstallRoot.empty())
        return true;
    ui.ShowMessageBox(texts::kNoDriveMessage, kMessageBoxFlags, texts::kNoDriveTitle);
    return false;
}

bool InstallRootIsFolder(const ProgramState& state, ControlPort& ui) {
    // "D:" (a client directly under the drive root) is asked as "D:\": the bare form names the
    // drive's current folder.
    if (IsDirectory(WithTrailingBackslash(state.InstallRoot)))
        return true;
    ui.ShowMessageBox(texts::kRootMissingMessage, kMessageBoxFlags, texts::kRootMissingTitle);
    return false;
}
