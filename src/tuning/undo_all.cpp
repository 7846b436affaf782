// The undo's guards, its question, the parts in turn and one report of them all.
#include "tuning/undo_all.h"

#include <utility>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "tuning/change_record.h"
#include "tuning/root_guard.h"
#include "tuning/undo_parts.h"

namespace {

// One line a part, in a sentence a player understands, and the logs that do not come back.
Text Report(const std::vector<std::pair<const Text*, PartOutcome>>& parts) {
    Text report = texts::kUndoFailedIntro;
    for (const auto& [name, outcome] : parts) {
        report += "\r\n";
        if (outcome.kind == PartOutcome::kNotBack)
            report += outcome.sentence;
        else
            report += FillIn(
                outcome.kind == PartOutcome::kRestored ? texts::kUndoPartRestored : texts::kUndoPartUntouched,
                {*name});
    }
    return report + "\r\n" + texts::kUndoLogsNote;
}

}  // namespace

void UndoAllChanges(const ProgramState& state, ControlPort& ui) {
    // The client's files are left alone while its launcher runs, as the optimize command has it.
    if (LauncherRefuses(ui) || !InstallRootKnown(state, ui) || !InstallRootIsFolder(state, ui))
        return;
    // A copy: the question pumps messages, and no reference into the program state is held across
    // that. The answer is about the root the window showed.
    const Text root = state.InstallRoot;
    if (!ui.AskYesNo(texts::kUndoQuestion, texts::kUndoQuestionTitle))
        return;
    // The launcher may have started while the question was open.
    if (LauncherRefuses(ui))
        return;

    const std::vector<std::pair<const Text*, PartOutcome>> parts = {
        {&texts::kUndoPartDx11, UndoDx11Key(root)},
        {&texts::kUndoPartGrant, UndoFolderGrant(root)},
        {&texts::kUndoPartCross, UndoCrossMoves(root)},
        {&texts::kUndoPartHomePage, UndoHomePage(root)},
    };
    bool allBack = true;
    for (const auto& part : parts)
        allBack = allBack && part.second.CameBack();
    if (allBack) {
        ShowStatus(ui, kTeal, texts::kUndoDone);
        return;
    }
    ShowWorkFailure(ui, Report(parts), texts::kUndoFailedTitle);
}
