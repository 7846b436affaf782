// Switching the game's DX11 test mode on and off: the key DX11BetaTest in section General of
// Game\Config\game.cfg, with a copy of the untouched file kept once as game.cfg.bak.
#include "tuning/dx11_switch.h"

#include "core/report.h"
#include "core/texts.h"
#include "platform/access_grant.h"
#include "platform/file_write.h"
#include "platform/files.h"
#include "platform/pause.h"
#include "tuning/change_record.h"
#include "tuning/ini_value.h"
#include "tuning/root_guard.h"
#include "tuning/undo_parts.h"

namespace {

// The grant on the configuration folder: the administrators group (S-1-5-32-544), GENERIC_EXECUTE.
constexpr WELL_KNOWN_SID_TYPE kGrantGroup = WinBuiltinAdministratorsSid;
constexpr DWORD kGrantPermissions = 0x20000000;
constexpr unsigned kPauseAfterBackupMs = 200;

Text ConfigFolder(const ProgramState& state) {
    return JoinPath(state.InstallRoot, "Game\\Config");
}

Text ConfigFile(const ProgramState& state) {
    return JoinPath(state.InstallRoot, "Game\\Config\\game.cfg");
}

SysResult WriteDx11Key(const ProgramState& state, std::string_view value) {
    // Whole or not at all: the INI writer rewrites the file in place, and a crash in the middle
    // of that would leave the game a part of its settings.
    return WriteProfileStringWhole(kDx11Section, kDx11Key, value, ConfigFile(state));
}

// The message for a key that was not written: the file is where it was, unless Windows could put
// it back under its name no more.
const Text& WriteFailure(const SysResult& written, const Text& unchanged, const Text& setAside) {
    return FormerContentSetAside(written) ? setAside : unchanged;
}

}  // namespace

Dx11Outcome EnableDx11TestMode(const ProgramState& state) {
    // An empty root would put every path below at the current drive's root.
    if (state.InstallRoot.empty())
        return {&texts::kDx11EnableFailed};
    const Text config = ConfigFile(state);
    // The game's file may stand beside its name after a run was killed; it is the one to back up.
    SettleLeftovers(config);
    if (IsReadOnly(config))
        return {&texts::kDx11ReadOnlyEnable};
    const Text backup = config + ".bak";
    // The backup is taken once, so that it keeps the file as the client had it; a failed copy
    // leaves none, and the next switch-on tries again. A folder of that name holds no copy.
    if (IsDirectory(backup))
        return {&texts::kDx11BackupFailed};
    if (!FileExists(backup)) {
        // The grant only adds rights, and only where writing the list takes none from anyone;
        // whether it was written does not stop the switch.
        RecordGrant(state.InstallRoot,
                    GrantFolderAccess(ConfigFolder(state), kGrantGroup, kGrantPermissions));
        // No key is written over a file that has no backup: the next switch-on would otherwise
        // take the changed file for the client's own. A missing file has nothing to lose.
        if (FileExists(config)) {
            if (!CopyFileOnce(config, backup))
                return {&texts::kDx11BackupFailed};
            RecordChange(state.InstallRoot, texts::kRecordDx11BackedUp);
        }
        PauseFor(kPauseAfterBackupMs);
    }
    const std::optional<Text> before = IniFileValue(config, kDx11Section, kDx11Key);
    if (const SysResult written = WriteDx11Key(state, "1"); !written)
        return {&WriteFailure(written, texts::kDx11EnableFailed, texts::kDx11SetAsideEnable)};
    RecordDx11Change(state.InstallRoot, before, "1");
    return {};
}

void DisableDx11TestMode(const ProgramState& state, ControlPort& ui) {
    if (!InstallRootKnown(state, ui) || !InstallRootIsFolder(state, ui))
        return;
    if (IsReadOnly(ConfigFile(state))) {
        ShowWorkFailure(ui, texts::kDx11ReadOnlyDisable, texts::kDx11FailedTitle);
        return;
    }
    // Switching off writes "0" rather than copying the backup back: the user's other settings,
    // changed since the backup, stay as they are.
    const std::optional<Text> before = IniFileValue(ConfigFile(state), kDx11Section, kDx11Key);
    if (const SysResult written = WriteDx11Key(state, "0"); !written) {
        ShowWorkFailure(ui, WriteFailure(written, texts::kDx11DisableFailed, texts::kDx11SetAsideDisable),
                        texts::kDx11FailedTitle);
        return;
    }
    RecordDx11Change(state.InstallRoot, before, "0");
}

void RecordDx11Change(const Text& root, const std::optional<Text>& before, const std::optional<Text>& after,
                      const Text& lead) {
    if (before == after)
        return;
    RecordChange(root, lead + FillIn(texts::kRecordDx11Key, {before.value_or(texts::kRecordAbsent),
                                                             after.value_or(texts::kRecordAbsent)}));
}
