// Deleting the client's *.log files throughout the install tree.
#include "tuning/log_cleanup.h"

#include <optional>
#include <string_view>

#include "core/report.h"
#include "core/texts.h"
#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/name_pattern.h"
#include "tuning/change_record.h"

int DeleteFilesByExtension(const Text& directory, const Text& pattern, int count, std::uint64_t* bytes) {
    // An empty directory would name the root of the current drive; there is nothing of ours there.
    if (directory.empty())
        return count;
    // Our own copy with exactly one separator: the caller's text (InstallRoot) stays as it was.
    const Text base = WithTrailingBackslash(directory);
    // Matched against the long name alone: the listing's own match also accepts an entry whose 8.3
    // short name fits ("app.logger" is "APP~1.LOG" for short), which would delete files that are no logs.
    const NamePattern longNamePattern(ToWide(pattern));

    // Files first. Read-only files are left alone rather than stripped of the attribute: the
    // user or the client made them so on purpose.
    DirectoryListing files(ToWide(base + pattern));
    for (bool more = files.Valid(); more; more = files.Next()) {
        if (files.IsDirectory() || (files.Attributes() & FILE_ATTRIBUTE_READONLY))
            continue;
        if (!longNamePattern.Matches(files.Name()))
            continue;
        // A name that GBK cannot hold exactly would name no entry, or another one: left alone.
        const std::optional<Text> name = WideToAnsiExact(files.Name());
        if (name && DeleteFileAt(base + *name)) {
            ++count;
            if (bytes)
                *bytes += files.Size();
        }
    }

    // Then every subdirectory, each finished before the next. Links are not entered: one that
    // leads back to an ancestor would never end, and one that leads out of the tree would delete
    // someone else's files. Names beginning with a dot (".", "..", ".git", ...) are not ours.
    DirectoryListing folders(ToWide(base + "*"));
    for (bool more = folders.Valid(); more; more = folders.Next()) {
        if (!folders.IsDirectory() || folders.IsReparsePoint() || folders.Name().starts_with(L'.'))
            continue;
        const std::optional<Text> name = WideToAnsiExact(folders.Name());
        if (name)
            count = DeleteFilesByExtension(base + *name, pattern, count, bytes);
    }
    return count;
}

void DeleteClientLogs(const Text& root) {
    std::uint64_t bytes = 0;
    const int deleted = DeleteFilesByExtension(root, "*.log", 0, &bytes);
    if (deleted > 0)
        RecordChange(root, FillIn(texts::kRecordLogsDeleted, {std::to_string(deleted), SizeText(bytes)}));
}

bool CleanLogFiles(const ProgramState& state, ControlPort& ui) {
    if (state.InstallRoot.empty()) {
        ui.ShowMessageBox(texts::kNoDriveMessage, kMessageBoxFlags, texts::kNoDriveTitle);
        ClearStatus(ui);
        return false;
    }
    // Single files that cannot be deleted are left quietly; a root that cannot be listed at all
    // means nothing was cleaned, and the success text would say otherwise.
    if (!CanListFolder(state.InstallRoot)) {
        ShowWorkFailure(ui, texts::kLogsListFailed, texts::kStepFailedTitle);
        return false;
    }
    DeleteClientLogs(state.InstallRoot);
    ShowStatus(ui, kTeal, texts::kLogsDone);
    return true;
}
