// The undo's grant part: Game\Config gets back the access list it had before the grant wrote one,
// found in the record, while its list is still the one the grant wrote.
#include <optional>
#include <string>
#include <vector>

#include "core/texts.h"
#include "platform/access_grant.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "tuning/change_record.h"
#include "tuning/dx11_switch.h"
#include "tuning/undo_parts.h"

namespace {

// The lists of a grant's line, read back from its words in the record (UTF-8).
struct RecordedGrant {
    std::string formerDacl;
    std::string writtenDacl;
};

// The pattern's words before, between and after its two lists, as the record holds them.
std::optional<RecordedGrant> GrantOfLine(std::string_view words) {
    const Text& pattern = texts::kRecordGrantWritten;
    const size_t first = pattern.find("%s");
    const size_t second = pattern.find("%s", first + 2);
    const std::string lead = ToUtf8(pattern.substr(0, first));
    const std::string middle = ToUtf8(pattern.substr(first + 2, second - first - 2));
    if (!words.starts_with(lead))
        return std::nullopt;
    words.remove_prefix(lead.size());
    const size_t split = words.find(middle);
    if (split == std::string_view::npos)
        return std::nullopt;
    return RecordedGrant{std::string(words.substr(0, split)),
                         std::string(words.substr(split + middle.size()))};
}

}  // namespace

void RecordGrant(const Text& root, const GrantResult& grant) {
    if (grant.outcome == GrantOutcome::Written)
        RecordChange(root, FillIn(texts::kRecordGrantWritten, {grant.formerDacl, grant.writtenDacl}));
}

PartOutcome UndoFolderGrant(const Text& root) {
    // The grant writes only right before the first backup of game.cfg is made. Where the record
    // does not say what happened then (it could not be read, or could not be written then, or an
    // earlier version made the backup), whether the list was written, and what it was, is not known.
    // Where the platform keeps no lists, the grant never wrote one, whatever the record says.
    if (!AccessListsKept())
        return {};
    const Text backup = JoinPath(root, "Game\\Config\\game.cfg.bak");
    const bool backupMade = FileExists(backup) && !IsDirectory(backup);
    const std::optional<std::vector<std::string>> lines = RecordedWordsFor(root);
    if (!lines)
        return backupMade ? NotBack(texts::kUndoGrantNoRecord) : PartOutcome{};
    const std::string restoredLine = ToUtf8(texts::kRecordUndoPrefix + texts::kRecordGrantRestored);
    const std::string backedUpLine = ToUtf8(texts::kRecordDx11BackedUp);
    std::optional<RecordedGrant> grant;
    bool backupRecorded = false;
    // The newest line about the list decides: a grant not put back yet, or one an undo put back.
    for (auto line = lines->rbegin(); line != lines->rend() && !grant; ++line) {
        if (*line == restoredLine)
            return {};
        grant = GrantOfLine(*line);
        backupRecorded = backupRecorded || *line == backedUpLine;
    }
    if (!grant)
        return backupMade && !backupRecorded ? NotBack(texts::kUndoGrantNoRecord) : PartOutcome{};
    switch (RestoreFolderAccess(JoinPath(root, "Game\\Config"), grant->formerDacl, grant->writtenDacl)) {
        case RestoreOutcome::Restored:
            RecordChange(root, texts::kRecordUndoPrefix + texts::kRecordGrantRestored);
            return {PartOutcome::kRestored, {}};
        case RestoreOutcome::NothingToRestore:
            return {};
        case RestoreOutcome::NotOurs:
            return NotBack(texts::kUndoGrantChanged);
        case RestoreOutcome::LeftOut:
            return NotBack(texts::kUndoGrantLeftOut);
        case RestoreOutcome::Failed:
            break;
    }
    return NotBack(texts::kUndoGrantFailed);
}
