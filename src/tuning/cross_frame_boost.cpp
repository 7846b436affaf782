// Moving the client's Cross folder out of its way, then deleting its logs.
#include "tuning/cross_frame_boost.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "tuning/change_record.h"
#include "tuning/log_cleanup.h"

namespace {

// Moves the client's Cross aside: to Crossbak the first time, with an empty Cross in its place,
// to Crossend afterwards. Null when that is done or there is nothing left to move; otherwise the
// message that says what failed.
const Text* MoveCrossAside(const Text& root) {
    const Text cross = JoinPath(root, "Cross");
    // Crossbak already holds the client's own folder; it is never overwritten.
    const bool firstRunDone = IsDirectory(JoinPath(root, "Crossbak"));
    if (!FileExists(cross)) {
        if (firstRunDone)
            return nullptr;
        if (!CreateDirectoryTree(cross))
            return &texts::kCrossCreateFailed;
        RecordChange(root, texts::kRecordCrossCreated);
        return nullptr;
    }
    // A link leads elsewhere: moving it aside would leave the folder it names in use by the client.
    if (IsLink(cross))
        return &texts::kCrossIsLink;
    const char* const aside = firstRunDone ? "Crossend" : "Crossbak";
    if (!MovePath(cross, JoinPath(root, aside)))
        return &texts::kCrossMoveFailed;
    RecordChange(root, FillIn(texts::kRecordCrossMoved, {aside}));
    if (firstRunDone)
        return nullptr;
    if (!CreateDirectoryTree(cross))
        return &texts::kCrossCreateFailed;
    RecordChange(root, texts::kRecordCrossCreated);
    return nullptr;
}

}  // namespace

bool CrossFrameBoost(const ProgramState& state, ControlPort& ui) {
    const Text label = ui.Caption(Control::标签3);
    if (label == texts::kDrivePrompt)
        return false;
    // An empty root would turn every path below into one at the current drive's root. The optimize
    // command tells the user about a missing root before it gets here, so this stays silent.
    if (state.InstallRoot.empty())
        return false;

    // The label and the root are written together by the drive choice; should they ever differ,
    // the folders are left alone rather than moved on a root the user no longer sees.
    const Text* failure = label == state.InstallRoot ? MoveCrossAside(state.InstallRoot) : nullptr;

    // The logs go whatever happened to the folders.
    if (CanListFolder(state.InstallRoot))
        DeleteClientLogs(state.InstallRoot);
    else if (failure == nullptr)
        failure = &texts::kLogsListFailed;

    if (failure != nullptr) {
        ShowWorkFailure(ui, *failure, texts::kStepFailedTitle);
        return false;
    }
    ShowStatus(ui, kBlue, texts::kCrossDone);
    return true;
}

bool CreateDirectoryTree(const Text& path) {
    // Fewer than three characters ("C:", "") names no folder that could be created.
    if (ToWide(path).size() >= 3) {
        // Each real backslash after the first ends a folder to create; the part before the first
        // is the drive. A 0x5C byte inside a double-byte character is no separator.
        bool pastDrive = false;
        for (size_t i = 0; i < path.size(); ++i) {
            if (IsLeadByte(path[i])) {
                ++i;
                continue;
            }
            if (path[i] != '\\')
                continue;
            if (pastDrive)
                MakeDirectory(path.substr(0, i));
            pastDrive = true;
        }
        MakeDirectory(path);
    }
    return IsDirectory(path);
}
