// Moving the client's Cross folder out of its way, then deleting its logs.
#include "tuning/cross_frame_boost.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "tuning/log_cleanup.h"

void CrossFrameBoost(const ProgramState& state, ControlPort& ui) {
    const Text label = ui.Caption(Control::标签3);
    if (label == texts::kDrivePrompt)
        return;
    // An empty root would turn every path below into one at the current drive's root. The optimize
    // command tells the user about a missing root before it gets here, so this stays silent.
    if (state.InstallRoot.empty())
        return;

    // The label and the root are written together by the drive choice; should they ever differ,
    // the folders are left alone rather than moved on a root the user no longer sees.
    if (label == state.InstallRoot) {
        const Text cross = JoinPath(state.InstallRoot, "Cross");
        if (IsDirectory(JoinPath(state.InstallRoot, "Crossbak"))) {
            // Crossbak already holds the client's own folder; it is never overwritten.
            MovePath(cross, JoinPath(state.InstallRoot, "Crossend"));
        } else {
            MovePath(cross, JoinPath(state.InstallRoot, "Crossbak"));
            CreateDirectoryTree(cross);
        }
    }

    DeleteFilesByExtension(state.InstallRoot, "*.log", 0);
    ShowStatus(ui, kBlue, texts::kCrossDone);
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
