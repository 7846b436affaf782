// Replacing the client's LeagueClient\system.yaml with a built-in document, and restoring it.
#include "tuning/home_page.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/file_write.h"
#include "platform/files.h"
#include "tuning/change_record.h"
#include "tuning/home_page_documents.h"
#include "tuning/root_guard.h"

namespace {

Text TargetPath(const ProgramState& state) {
    return JoinPath(state.InstallRoot, "LeagueClient\\system.yaml");
}

Text BackupPath(const ProgramState& state) {
    return JoinPath(state.InstallRoot, "LeagueClient\\system.yaml.bak");
}

void ShowFailure(ControlPort& ui, const Text& message) {
    ShowWorkFailure(ui, message, texts::kHomePageFailedTitle);
}

// Before the first replacement the client's own file is copied aside; a backup made earlier is
// never refreshed, so it keeps the file as it was before the tool first changed it. False when
// the client's file exists and no backup of it exists afterwards: overwriting it then would lose
// it for good. A folder of the backup's name holds no copy of anything.
bool EnsureBackup(const Text& target, const Text& backup) {
    if (FileExists(backup))
        return !IsDirectory(backup);
    // Without a file of the client's there is nothing to lose.
    if (!FileExists(target))
        return true;
    return CopyFileOnce(target, backup).Ok();
}

}  // namespace

void ReplaceHomePage(const ProgramState& state, ControlPort& ui) {
    if (state.InstallRoot.empty()) {
        ui.ShowMessageBox(texts::kNoDriveMessage, kMessageBoxFlags, texts::kNoDriveTitle);
        return;
    }
    if (!InstallRootIsFolder(state, ui))
        return;
    const Text target = TargetPath(state);
    // The client's file may stand beside its name after a run was killed; it is the one to back up.
    SettleLeftovers(target);
    if (IsReadOnly(target)) {
        ShowFailure(ui, texts::kHomePageReadOnlyReplace);
        return;
    }
    const bool hadBackup = FileExists(BackupPath(state));
    if (!EnsureBackup(target, BackupPath(state))) {
        ShowFailure(ui, texts::kHomePageBackupFailed);
        return;
    }
    if (!hadBackup && FileExists(BackupPath(state)))
        RecordChange(state.InstallRoot, texts::kRecordHomePageBackedUp);

    Control used;
    const Text* document;
    const Text* recorded;
    if (ui.TickState(Control::单选框1) == 1) {
        used = Control::单选框1;
        document = &BlankHomePageDocument();
        recorded = &texts::kRecordHomePageBlank;
    } else if (ui.TickState(Control::单选框2) == 1) {
        used = Control::单选框2;
        document = &UsHomePageDocument();
        recorded = &texts::kRecordHomePageUs;
    } else {
        return;
    }

    if (const SysResult written = WriteFileWhole(target, *document); !written) {
        ShowFailure(ui, FormerContentSetAside(written) ? texts::kHomePageSetAsideReplace
                                                       : texts::kHomePageWriteFailed);
        return;
    }
    RecordChange(state.InstallRoot, *recorded);
    // The other box keeps its colour: once both documents have been used, both captions are red.
    ui.SetTextColour(used, kRed);
    ShowStatus(ui, kBlue, texts::kHomePageReplaced);
}

void RestoreHomePage(const ProgramState& state, ControlPort& ui) {
    if (state.InstallRoot.empty()) {
        ui.ShowMessageBox(texts::kNoDriveMessage, kMessageBoxFlags, texts::kNoDriveTitle);
        ClearStatus(ui);
        return;
    }
    if (!InstallRootIsFolder(state, ui)) {
        ClearStatus(ui);
        return;
    }
    const Text backup = BackupPath(state);
    if (!FileExists(backup)) {
        ui.ShowMessageBox(texts::kNoBackupMessage, kMessageBoxFlags, texts::kNoBackupTitle);
        ClearStatus(ui);
        return;
    }
    const Text target = TargetPath(state);
    if (IsReadOnly(target)) {
        ShowFailure(ui, texts::kHomePageReadOnlyRestore);
        return;
    }
    // Whole or not at all, keeping the file's attributes and security; the backup stays where it
    // is, so the client's file can be restored again later.
    if (const SysResult copied = CopyFileWhole(backup, target); !copied) {
        ShowFailure(ui, FormerContentSetAside(copied) ? texts::kHomePageSetAsideRestore
                                                      : texts::kHomePageRestoreFailed);
        return;
    }
    RecordChange(state.InstallRoot, texts::kRecordHomePageRestored);
    ShowStatus(ui, kBlue, texts::kHomePageRestored);
}
