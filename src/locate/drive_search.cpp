// FindFilesOnDrive: the NTFS file table when it can be read, the walk otherwise.
#include "locate/drive_search.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "locate/file_search.h"
#include "locate/volume_bytes.h"
#include "ntfs/file_table.h"
#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/message_pump.h"
#include "platform/name_pattern.h"
#include "platform/raw_volume.h"

namespace {

// The table knows nothing of access rights, and Windows lists no folder whose path is too long
// for it: a hit counts only where the walk could have listed every folder above it and the file
// itself. That also drops a name that was deleted while the table was read.
class WalkCheck {
   public:
    explicit WalkCheck(std::wstring root) : root_(std::move(root)) {}

    bool Listable(const std::wstring& relative) {
        for (std::size_t end = 0;; ++end) {
            end = relative.find(L'\\', end);
            if (end == std::wstring::npos)
                break;
            if (!FolderListable(relative.substr(0, end + 1)))
                return false;
        }
        if (!FolderListable(std::wstring()))
            return false;
        const std::wstring name = relative.substr(relative.rfind(L'\\') + 1);
        DirectoryListing listing(root_ + relative);
        for (bool more = listing.Valid(); more; more = listing.Next()) {
            if (!listing.IsDirectory() && listing.Name() == name)
                return true;
        }
        return false;
    }

   private:
    bool FolderListable(const std::wstring& folder) {
        if (listable_.count(folder))
            return true;
        if (!DirectoryListing(root_ + folder + L"*").Valid())
            return false;
        listable_.insert(folder);
        return true;
    }

    std::wstring root_;
    std::set<std::wstring> listable_;
};

// The hit text as the walk forms it: each folder's GBK name and a backslash, then the file's. A
// name that GBK cannot hold exactly the walk neither lists nor enters: no text.
std::optional<Text> HitText(const Text& start, const std::wstring& relative) {
    Text text = start;
    std::size_t from = 0;
    for (std::size_t end = relative.find(L'\\');; end = relative.find(L'\\', from)) {
        const std::optional<Text> name =
            WideToAnsiExact(std::wstring_view(relative).substr(from, end - from));
        if (!name)
            return std::nullopt;
        text += *name;
        if (end == std::wstring::npos)
            return text;
        text += "\\";
        from = end + 1;
    }
}

}  // namespace

DriveSearch FindFilesOnDrive(const Text& drive, const Text& pattern, TextList& results) {
    std::optional<RawVolume> volume;
    if (drive.size() == 1)
        volume = RawVolume::OpenNtfs(drive[0]);
    // The window was closed while the volume was opened: the search ends as the walk ends then.
    if (!volume && QuitRequested())
        return {static_cast<int>(results.size()), false};
    if (!volume)
        return FindFilesOnDrive(drive, pattern, results, nullptr);
    VolumeBytes bytes(*volume);
    return FindFilesOnDrive(drive, pattern, results, &bytes);
}

DriveSearch FindFilesOnDrive(const Text& drive, const Text& pattern, TextList& results,
                             ntfs::ByteSource* volume) {
    const Text start = drive + ":\\";
    if (volume && !pattern.empty() && pattern.find('|') == Text::npos) {
        const NamePattern match(ToWide(pattern));
        ThrottledMessagePump pump;
        std::vector<std::wstring> hits;
        const ntfs::Outcome outcome = ntfs::ListMatchingFiles(
            *volume, [&](std::wstring_view name) { return match.Matches(name); }, [&] { return pump.Poll(); },
            hits);
        if (outcome == ntfs::Outcome::kStopped)
            return {static_cast<int>(results.size()), true};
        if (outcome == ntfs::Outcome::kListed) {
            WalkCheck check(ToWide(start));
            for (const std::wstring& hit : hits) {
                std::optional<Text> text = HitText(start, hit);
                if (text && check.Listable(hit))
                    results.push_back(std::move(*text));
            }
            return {static_cast<int>(results.size()), true};
        }
    }
    return {FindFilesRecursive(start, pattern, results), false};
}
