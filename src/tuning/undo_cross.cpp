// The undo's Cross part: the moves of the frame boost reversed, newest first.
#include "core/texts.h"
#include "platform/files.h"
#include "tuning/change_record.h"
#include "tuning/undo_parts.h"

PartOutcome UndoCrossMoves(const Text& root) {
    const Text cross = JoinPath(root, "Cross");
    const Text crossbak = JoinPath(root, "Crossbak");
    const Text crossend = JoinPath(root, "Crossend");
    bool moved = false;

    // Later runs moved Cross to Crossend; that goes back first, and only to a free name. A Cross
    // made since (the client recreates it) stops the part: the older move cannot go back before it.
    if (IsDirectory(crossend)) {
        if (FileExists(cross))
            return NotBack(texts::kUndoCrossEndBlocked);
        if (!MovePath(crossend, cross))
            return NotBack(texts::kUndoCrossEndMoveFailed);
        RecordChange(root, texts::kRecordUndoPrefix + FillIn(texts::kRecordCrossMovedBack, {"Crossend"}));
        moved = true;
    }

    // The first run moved the client's Cross to Crossbak and put an empty one in its place. That
    // empty folder goes, and only while it is empty: Windows refuses to remove a folder that holds
    // anything, so what the client writes meanwhile stays too. A run killed in between leaves no
    // Cross, and Crossbak simply moves.
    if (!IsDirectory(crossbak))
        return {moved ? PartOutcome::kRestored : PartOutcome::kUntouched, {}};
    if (FileExists(cross)) {
        if (!IsDirectory(cross) || IsLink(cross))
            return NotBack(texts::kUndoCrossIsFile);
        if (!IsEmptyFolder(cross))
            return NotBack(texts::kUndoCrossNotEmpty);
        if (!RemoveEmptyFolder(cross))
            return NotBack(IsEmptyFolder(cross) ? texts::kUndoCrossRemoveFailed : texts::kUndoCrossNotEmpty);
        RecordChange(root, texts::kRecordUndoPrefix + texts::kRecordCrossRemoved);
    }
    if (!MovePath(crossbak, cross))
        return NotBack(texts::kUndoCrossBakMoveFailed);
    RecordChange(root, texts::kRecordUndoPrefix + FillIn(texts::kRecordCrossMovedBack, {"Crossbak"}));
    return {PartOutcome::kRestored, {}};
}
