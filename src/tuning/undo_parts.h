// The parts of "撤销全部优化", each putting back one kind of change from what is on the disk, so
// that it works after any earlier run, a killed one included, and a second time without harm.
#pragma once

#include "platform/access_grant.h"
#include "platform/text.h"

struct PartOutcome {
    enum Kind {
        kRestored,   // the change was put back
        kUntouched,  // there was nothing to put back
        kNotBack,    // something stays changed; `sentence` says what and why
    };
    Kind kind = kUntouched;
    Text sentence;

    bool CameBack() const { return kind != kNotBack; }
};

inline PartOutcome NotBack(const Text& sentence) {
    return {PartOutcome::kNotBack, sentence};
}

// DX11BetaTest in [General] of game.cfg gets its value from game.cfg.bak back, or goes where the
// backup has none; every other line stays as it is now.
PartOutcome UndoDx11Key(const Text& root);

// Game\Config gets the access list it had before the grant wrote one, while it still has the one
// the grant wrote; the former list is the one the record keeps.
PartOutcome UndoFolderGrant(const Text& root);

// Records the lists before and after a grant that wrote, for the undo to find.
void RecordGrant(const Text& root, const GrantResult& grant);

// Crossend and Crossbak go back to Cross, newest first, never over a Cross that holds anything.
PartOutcome UndoCrossMoves(const Text& root);

// system.yaml gets the bytes of system.yaml.bak back while it is one of the tool's two documents.
PartOutcome UndoHomePage(const Text& root);
