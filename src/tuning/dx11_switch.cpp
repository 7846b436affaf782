// Switching the game's DX11 test mode on and off: the key DX11BetaTest in section General of
// Game\Config\game.cfg, with a copy of the untouched file kept once as game.cfg.bak.
#include "tuning/dx11_switch.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/access_grant.h"
#include "platform/files.h"
#include "platform/pause.h"

namespace {

// The grant on the configuration folder: the administrators group, GENERIC_EXECUTE, SET_ACCESS.
constexpr std::string_view kGrantTrustee = "Administrators";
constexpr std::uint32_t kGrantPermissions = 0x20000000;
constexpr std::uint32_t kGrantAccessMode = 2;
constexpr unsigned kPauseAfterBackupMs = 200;

Text ConfigFolder(const ProgramState& state) {
    return JoinPath(state.InstallRoot, "Game\\Config");
}

Text ConfigFile(const ProgramState& state) {
    return JoinPath(state.InstallRoot, "Game\\Config\\game.cfg");
}

bool WriteDx11Key(const ProgramState& state, std::string_view value) {
    return WriteProfileString("General", "DX11BetaTest", value, ConfigFile(state)).Ok();
}

}  // namespace

bool EnableDx11TestMode(const ProgramState& state) {
    // An empty root would put every path below at the current drive's root.
    if (state.InstallRoot.empty())
        return false;
    const Text config = ConfigFile(state);
    const Text backup = config + ".bak";
    // The backup is taken once, so that it keeps the file as the client had it. Anything of that
    // name counts; a failed copy leaves none, and the next switch-on tries again.
    if (!FileExists(backup)) {
        // Neither step stops the switch: the key is what the user asked for.
        GrantFolderAccess(ConfigFolder(state), kGrantTrustee, kGrantPermissions, kGrantAccessMode);
        CopyFileOver(config, backup);
        PauseFor(kPauseAfterBackupMs);
    }
    return WriteDx11Key(state, "1");
}

void DisableDx11TestMode(const ProgramState& state, ControlPort& ui) {
    if (ui.Caption(Control::标签3) == texts::kDrivePrompt || state.InstallRoot.empty()) {
        ui.ShowMessageBox(texts::kNoDriveMessage, kMessageBoxFlags, texts::kNoDriveTitle);
        return;
    }
    // Switching off writes "0" rather than copying the backup back: the user's other settings,
    // changed since the backup, stay as they are.
    if (!WriteDx11Key(state, "0"))
        ui.ShowMessageBox(texts::kDx11DisableFailed, kMessageBoxFlags, texts::kDx11FailedTitle);
}
