// Directory enumeration through FindFirstFileExW.
#include "platform/directory.h"

DirectoryListing::DirectoryListing(const std::wstring& searchPath) {
    // Basic information skips the short names; a large fetch cuts the number of kernel calls.
    find_.Reset(FindFirstFileExW(searchPath.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH));
}

bool DirectoryListing::Next() {
    if (!find_.Valid())
        return false;
    if (FindNextFileW(find_.Get(), &data_))
        return true;
    find_.Reset();
    return false;
}
