// One enumeration of a directory's entries, closed on every path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/handles.h"

// Lists the entries that match `searchPath` (a directory followed by a pattern such as "*"), in the
// order the file system reports them. Short (8.3) names are not asked for.
class DirectoryListing {
   public:
    explicit DirectoryListing(const std::wstring& searchPath);

    // False when the listing could not be started (missing or unreadable directory, no match).
    bool Valid() const { return find_.Valid(); }
    // Moves to the next entry; false when there is none (the listing is then closed).
    bool Next();

    std::wstring_view Name() const { return data_.cFileName; }
    DWORD Attributes() const { return data_.dwFileAttributes; }
    std::uint64_t Size() const {
        return (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    }
    bool IsDirectory() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // Junctions and directory symbolic links; walks never follow them.
    bool IsReparsePoint() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool IsDotOrDotDot() const {
        const std::wstring_view name = Name();
        return name == L"." || name == L"..";
    }

   private:
    UniqueFind find_;
    WIN32_FIND_DATAW data_{};
};
