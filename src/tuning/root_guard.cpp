// InstallRoot must still name a folder: the drive may have been unmapped, the folder moved.
#include "tuning/root_guard.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/files.h"

bool InstallRootIsFolder(const ProgramState& state, ControlPort& ui) {
    // "D:" (a client directly under the drive root) is asked as "D:\": the bare form names the
    // drive's current folder.
    if (IsDirectory(WithTrailingBackslash(state.InstallRoot)))
        return true;
    ui.ShowMessageBox(texts::kRootMissingMessage, kMessageBoxFlags, texts::kRootMissingTitle);
    return false;
}
