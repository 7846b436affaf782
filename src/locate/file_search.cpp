// FindFilesRecursive: one listing per directory, hits in the order of a search per pattern.
#include "locate/file_search.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/message_pump.h"
#include "platform/name_pattern.h"

namespace {

// "a|b|c" as patterns. Empty pieces are dropped: an empty pattern names no file.
std::vector<NamePattern> SplitPatterns(const Text& patterns) {
    std::vector<NamePattern> split;
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find('|', start);
        if (end == Text::npos)
            end = patterns.size();
        // "|" is ASCII and never the second byte of a GBK character, so a byte search is safe.
        const std::wstring piece = ToWide(std::string_view(patterns).substr(start, end - start));
        if (!piece.empty())
            split.emplace_back(piece);
        start = end + 1;
    }
    return split;
}

// One search: the patterns, the caller's list and the pump shared by every level.
class TreeWalk {
   public:
    TreeWalk(const Text& patterns, TextList& results)
        : patterns_(SplitPatterns(patterns)), results_(results) {}

    // `wide` and `text` both name the directory and end in one backslash.
    void Walk(const std::wstring& wide, const Text& text);

   private:
    // What one listing leaves to do once it is closed.
    struct Pending {
        std::vector<std::vector<Text>> laterHits;  // per pattern after the first
        std::vector<std::wstring> subdirectories;
    };

    // Kept out of Walk's frame: the listing's find record is large, and a tree as deep as the
    // platform's path length allows must not exhaust the stack.
    [[gnu::noinline]] bool List(const std::wstring& wide, const Text& text, Pending& pending);

    // Appends before pumping, so that a handler run by the pump sees the hit. `results_` is looked
    // up afresh on every append: a nested search may have grown it in the meantime.
    bool AddHit(const Text& hit) {
        results_.push_back(hit);
        return pump_.Poll();
    }

    std::vector<NamePattern> patterns_;
    TextList& results_;
    ThrottledMessagePump pump_;
};

// One listing serves every pattern and the subdirectories. The first pattern's hits go to the
// list at once; the hits of later patterns wait for the listing to end, because a search per
// pattern would only have reached them then. Returns false once a quit was seen.
bool TreeWalk::List(const std::wstring& wide, const Text& text, Pending& pending) {
    pending.laterHits.resize(patterns_.empty() ? 0 : patterns_.size() - 1);
    DirectoryListing listing(wide + L"*");
    for (bool more = listing.Valid(); more; more = listing.Next()) {
        if (listing.IsDirectory()) {
            // A link is never entered: one that points at an ancestor would make the walk endless.
            if (!listing.IsDotOrDotDot() && !listing.IsReparsePoint())
                pending.subdirectories.emplace_back(listing.Name());
        } else {
            for (size_t i = 0; i < patterns_.size(); ++i) {
                if (!patterns_[i].Matches(listing.Name()))
                    continue;
                // A name that GBK cannot hold exactly would give a text naming nothing, or another
                // file: it is no hit.
                const std::optional<Text> name = WideToAnsiExact(listing.Name());
                if (!name)
                    break;
                Text hit = text + *name;
                if (i == 0)
                    results_.push_back(std::move(hit));  // the poll below may run handlers
                else
                    pending.laterHits[i - 1].push_back(std::move(hit));
            }
        }
        // Also inside the listing: one directory may hold enough entries to freeze the window.
        if (!pump_.Poll())
            return false;
    }
    return true;
}

void TreeWalk::Walk(const std::wstring& wide, const Text& text) {
    // The listing is closed before the subdirectories are walked, so that a level holds no open
    // handle while its children are walked.
    Pending pending;
    if (!List(wide, text, pending))
        return;
    for (const std::vector<Text>& hits : pending.laterHits) {
        for (const Text& hit : hits) {
            if (!AddHit(hit))
                return;
        }
    }
    for (const std::wstring& name : pending.subdirectories) {
        // The name's GBK form is joined as the search of an ANSI path would join it; a name that
        // ends in a double-byte character whose second byte is 0x5C still gets its own separator.
        // A folder whose name GBK cannot hold exactly holds no path of ours: it is not entered.
        const std::optional<Text> gbkName = WideToAnsiExact(name);
        if (!gbkName)
            continue;
        Walk(wide + name + L"\\", text + *gbkName + "\\");
        if (!pump_.Poll())
            return;
    }
}

}  // namespace

int FindFilesRecursive(const Text& directory, const Text& patterns, TextList& results) {
    const Text start = WithTrailingBackslash(directory);
    TreeWalk walk(patterns, results);
    walk.Walk(ToWide(start), start);
    return static_cast<int>(results.size());
}
