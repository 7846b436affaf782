// Temporary folders for tests, through the same explicit GBK conversion the tool uses.
#include "support/temp_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/handles.h"
#include "support/wine_host.h"

namespace {

void RemoveTreeWide(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        DirectoryListing listing(path + L"\\*");
        for (bool more = listing.Valid(); more; more = listing.Next()) {
            if (!listing.IsDotOrDotDot())
                RemoveTreeWide(path + L"\\" + std::wstring(listing.Name()));
        }
    }
    if (RemoveDirectoryW(path.c_str()) || DeleteFileW(path.c_str()))
        return;
    // Wine 8 can make directory links but not remove them; the host can.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        RemoveDirectoryLink(WideToAnsi(path));
}

}  // namespace

TempTree::TempTree() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (;;) {
        const std::wstring candidate = std::wstring(base) + L"tellwick-test-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(counter++);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = WideToAnsi(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create a temporary folder";
            return;
        }
    }
}

TempTree::~TempTree() {
    if (!path_.empty())
        RemoveTree(path_);
}

Text TempTree::operator/(std::string_view relative) const {
    return JoinPath(path_, relative);
}

Text TempTree::File(std::string_view relative, std::string_view bytes) const {
    const Text path = *this / relative;
    const std::wstring wide = ToWide(path);
    CreateFolders(WideToAnsi(wide.substr(0, wide.rfind(L'\\'))));
    WriteBytes(path, bytes);
    return path;
}

Text TempTree::Folder(std::string_view relative) const {
    const Text path = *this / relative;
    CreateFolders(path);
    return path;
}

std::string ReadBytes(std::string_view path) {
    const UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        ADD_FAILURE() << "cannot open for reading: " << path;
        return {};
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void WriteBytes(std::string_view path, std::string_view bytes) {
    const UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ADD_FAILURE() << "cannot open for writing: " << path;
        return;
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        ADD_FAILURE() << "cannot write: " << path;
}

bool PathExists(std::string_view path) {
    return GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolders(std::string_view path) {
    const std::wstring wide = ToWide(path);
    for (size_t i = 3; i <= wide.size(); ++i) {
        if (i == wide.size() || wide[i] == L'\\')
            CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
    }
}

void RemoveTree(std::string_view path) {
    RemoveTreeWide(ToWide(path));
}

void SetAttributes(std::string_view path, unsigned long attributes) {
    SetFileAttributesW(ToWide(path).c_str(), attributes);
}

void WideFile(const Text& folder, const std::wstring& relative) {
    const std::wstring path = ToWide(folder) + L"\\" + relative;
    for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1))
        CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(file.Valid());
}

std::vector<std::wstring> FolderEntries(const Text& folder) {
    std::vector<std::wstring> names;
    DirectoryListing listing(ToWide(JoinPath(folder, "*")));
    for (bool more = listing.Valid(); more; more = listing.Next()) {
        if (!listing.IsDotOrDotDot())
            names.emplace_back(listing.Name());
    }
    std::sort(names.begin(), names.end());
    return names;
}
