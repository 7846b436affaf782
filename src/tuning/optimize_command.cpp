// The optimize command: after its guards, the ticked steps in the order DX11, Cross, log.
#include "tuning/optimize_command.h"

#include "core/report.h"
#include "core/texts.h"
#include "tuning/cross_frame_boost.h"
#include "tuning/dx11_switch.h"
#include "tuning/log_cleanup.h"
#include "tuning/root_guard.h"

namespace {

bool Ticked(ControlPort& ui, Control box) {
    return ui.TickState(box) == 1;
}

}  // namespace

void OptimizeCommand(const ProgramState& state, ControlPort& ui) {
    // The client's files are left alone while its launcher runs; that answer comes before any other.
    if (LauncherRefuses(ui) || !InstallRootKnown(state, ui) || !InstallRootIsFolder(state, ui))
        return;

    // 选择框_ALL stands for all three steps, whatever the single boxes say. A step that fails says
    // so in its own box, and the others still run.
    const bool all = Ticked(ui, Control::选择框_ALL);
    bool allDone = true;
    if (all || Ticked(ui, Control::选择框_DX11)) {
        const Dx11Outcome dx11 = EnableDx11TestMode(state);
        if (!dx11) {
            ShowWorkFailure(ui, *dx11.failure, texts::kDx11FailedTitle);
            allDone = false;
        }
    }
    if ((all || Ticked(ui, Control::选择框_Cross)) && !CrossFrameBoost(state, ui))
        allDone = false;
    if ((all || Ticked(ui, Control::选择框_log)) && !CleanLogFiles(state, ui))
        allDone = false;

    // The closing claim covers every step; the steps that did their work keep the texts they wrote.
    if (all && allDone)
        ShowStatus(ui, kTeal, texts::kOptimizeDone);
}
