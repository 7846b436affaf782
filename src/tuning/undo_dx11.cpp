// The undo's DX11 part: DX11BetaTest gets the value game.cfg.bak holds, and only that key changes.
#include <optional>
#include <string>

#include "core/texts.h"
#include "platform/file_write.h"
#include "platform/files.h"
#include "tuning/dx11_switch.h"
#include "tuning/ini_value.h"
#include "tuning/undo_parts.h"

PartOutcome UndoDx11Key(const Text& root) {
    const Text config = JoinPath(root, "Game\\Config\\game.cfg");
    const Text backup = config + ".bak";
    // The game's file may stand beside its name after a run was killed; it is the one to look at.
    SettleLeftovers(config);
    // Without the file there is no key of ours left; writing one would make a file the game did not.
    if (!FileExists(config) || IsDirectory(config))
        return {};
    std::string now;
    if (!ReadFileBytes(config, now))
        return NotBack(texts::kUndoDx11ReadFailed);
    const std::optional<Text> current = IniValue(now, kDx11Section, kDx11Key);

    // The backup holds the file as it was before the first switch-on; the game rewrites its other
    // settings since, and those are the user's, so only the key is taken from it.
    std::string saved;
    const bool formerKnown = !IsDirectory(backup) && ReadFileBytes(backup, saved).Ok();
    std::optional<Text> former;
    if (formerKnown) {
        former = IniValue(saved, kDx11Section, kDx11Key);
    } else {
        // No backup and no key: the switch never wrote it (it always leaves the key behind).
        if (!current)
            return {};
        // Switched without a backup, by an earlier version or over a file that was made then: off is
        // the best guess, as the switch-off button has it, and the user is told.
        former = "0";
    }
    PartOutcome done =
        formerKnown ? PartOutcome{PartOutcome::kRestored, {}} : NotBack(texts::kUndoDx11Unknown);
    if (current == former)
        return formerKnown ? PartOutcome{} : done;

    if (IsReadOnly(config))
        return NotBack(texts::kUndoDx11ReadOnly);
    const SysResult written = former ? WriteProfileStringWhole(kDx11Section, kDx11Key, *former, config)
                                     : RemoveProfileKeyWhole(kDx11Section, kDx11Key, config);
    if (!written)
        return NotBack(FormerContentSetAside(written) ? texts::kUndoDx11SetAside
                                                      : texts::kUndoDx11WriteFailed);
    RecordDx11Change(root, current, former, texts::kRecordUndoPrefix);
    return done;
}
