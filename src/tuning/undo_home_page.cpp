// The undo's home-page part: system.yaml from its backup, while it is a document the tool wrote.
#include <string>

#include "core/texts.h"
#include "platform/file_write.h"
#include "platform/files.h"
#include "tuning/change_record.h"
#include "tuning/home_page_documents.h"
#include "tuning/undo_parts.h"

PartOutcome UndoHomePage(const Text& root) {
    const Text target = JoinPath(root, "LeagueClient\\system.yaml");
    const Text backup = JoinPath(root, "LeagueClient\\system.yaml.bak");
    // The client's file may stand beside its name after a run was killed.
    SettleLeftovers(target);
    if (!FileExists(target) && !FileExists(backup))
        return {};
    std::string now;
    if (FileExists(target) && !ReadFileBytes(target, now))
        return NotBack(texts::kUndoHomePageReadFailed);
    const bool ours = FileExists(target) && (now == BlankHomePageDocument() || now == UsHomePageDocument());

    std::string saved;
    if (!FileExists(backup) || IsDirectory(backup))
        return ours ? NotBack(texts::kUndoHomePageNoBackup) : PartOutcome{};
    if (!ReadFileBytes(backup, saved))
        return NotBack(texts::kUndoHomePageReadFailed);
    // Restored already (by "时光机" or an earlier undo).
    if (FileExists(target) && now == saved)
        return {};
    // A file the client wrote since (an update) is the client's newer one: it stays.
    if (!ours)
        return NotBack(FileExists(target) ? texts::kUndoHomePageChanged : texts::kUndoHomePageMissing);

    if (IsReadOnly(target))
        return NotBack(texts::kUndoHomePageReadOnly);
    if (const SysResult copied = CopyFileWhole(backup, target); !copied)
        return NotBack(FormerContentSetAside(copied) ? texts::kUndoHomePageSetAside
                                                     : texts::kUndoHomePageCopyFailed);
    RecordChange(root, texts::kRecordUndoPrefix + texts::kRecordHomePageRestored);
    return {PartOutcome::kRestored, {}};
}
