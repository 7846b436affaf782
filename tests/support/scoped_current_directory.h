// Switches the process's current directory for one scope and switches it back afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "platform/encoding.h"
#include "platform/text.h"

// Tests that check what an empty path would touch use this to make the current drive the one the
// temporary folders live on (the Wine prefix's C:) rather than the host's root that Z: maps.
class ScopedCurrentDirectory {
   public:
    explicit ScopedCurrentDirectory(const Text& folder) {
        wchar_t previous[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        changed_ = SetCurrentDirectoryW(ToWide(folder).c_str()) != 0;
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
    ~ScopedCurrentDirectory() { SetCurrentDirectoryW(previous_.c_str()); }

    bool Changed() const { return changed_; }

   private:
    std::wstring previous_;
    bool changed_ = false;
};
