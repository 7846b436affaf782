// A real temporary folder per test, with helpers to lay out and read files in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

// Creates a fresh folder under the system's temporary folder and removes it, with all it holds,
// when the object goes away.
class TempTree {
   public:
    TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    ~TempTree();

    // The folder's path in GBK, without a trailing backslash.
    const Text& Path() const { return path_; }
    // `relative` (GBK, backslashes) below the folder.
    Text operator/(std::string_view relative) const;

    // Writes `bytes` to the file `relative`, creating the folders above it.
    Text File(std::string_view relative, std::string_view bytes = {}) const;
    // Creates the folder `relative` and the folders above it.
    Text Folder(std::string_view relative) const;

   private:
    Text path_;
};

// Whole-file reads and writes on GBK paths; failures fail the running test.
std::string ReadBytes(std::string_view path);
void WriteBytes(std::string_view path, std::string_view bytes);
bool PathExists(std::string_view path);
bool IsFolder(std::string_view path);
void CreateFolders(std::string_view path);
// Removes a file or a whole folder; links are removed, never followed.
void RemoveTree(std::string_view path);
// Sets or clears attributes such as FILE_ATTRIBUTE_READONLY.
void SetAttributes(std::string_view path, unsigned long attributes);
// Creates the empty file `relative` (UTF-16, folders included) below `folder`: for names GBK
// cannot hold.
void WideFile(const Text& folder, const std::wstring& relative);
// The names in `folder`, "." and ".." left out, in sorted order.
std::vector<std::wstring> FolderEntries(const Text& folder);
