// DLLs that someone put beside Tellwick.exe under the names of system DLLs are never loaded: the
// tool imports only Windows' KnownDLLs and loads the others from the system folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>

#include "platform/encoding.h"
#include "support/tellwick_process.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"

namespace {

template <typename T>
bool ReadAt(const std::string& image, size_t offset, T& value) {
    if (offset > image.size() || image.size() - offset < sizeof value)
        return false;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return true;
}

// The names in a 64-bit PE file's import table, lower case.
std::vector<std::string> ImportedDlls(const std::string& image) {
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS64 nt{};
    if (!ReadAt(image, 0, dos) || !ReadAt(image, static_cast<size_t>(dos.e_lfanew), nt))
        return {};
    const size_t sections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader;
    const auto fileOffset = [&](DWORD rva) -> size_t {
        IMAGE_SECTION_HEADER section{};
        for (size_t i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            if (ReadAt(image, sections + i * sizeof section, section) && rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.SizeOfRawData)
                return section.PointerToRawData + (rva - section.VirtualAddress);
        }
        return image.size();
    };
    std::vector<std::string> names;
    const DWORD table = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    IMAGE_IMPORT_DESCRIPTOR entry{};
    for (size_t at = fileOffset(table); ReadAt(image, at, entry) && entry.Name != 0; at += sizeof entry) {
        const size_t name = fileOffset(entry.Name);
        std::string dll(image.c_str() + std::min(name, image.size()));
        std::transform(dll.begin(), dll.end(), dll.begin(), [](char c) { return std::tolower(c); });
        names.push_back(dll);
    }
    return names;
}

// The KnownDLLs, from scripts/known-dlls.txt (the build passes them on, separated by commas).
std::set<std::string> KnownDlls() {
    std::set<std::string> known;
    const char* list = std::getenv("TELLWICK_KNOWN_DLLS");
    std::istringstream names(list ? list : "");
    for (std::string name; std::getline(names, name, ',');)
        known.insert(name);
    return known;
}

// Makes Wine prefer a DLL file over its own builtin copy for one program, as Windows always does.
// WINEDLLOVERRIDES does this for UxTheme and COMCTL32 (CTest sets it: Wine reads it from the host
// environment a process starts with); other names are only known here, so they go to the registry.
class ScopedNativeFirst {
   public:
    ScopedNativeFirst(const std::wstring& program, const std::set<std::string>& dlls) : dlls_(dlls) {
        const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
        if (dlls_.empty() || RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key_, nullptr) != ERROR_SUCCESS)
            return;
        for (const std::string& dll : dlls_) {
            static constexpr wchar_t kOrder[] = L"native,builtin";
            RegSetValueExW(key_, ModuleName(dll).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                           sizeof kOrder);
        }
    }
    ScopedNativeFirst(const ScopedNativeFirst&) = delete;
    ScopedNativeFirst& operator=(const ScopedNativeFirst&) = delete;
    ~ScopedNativeFirst() {
        if (!key_)
            return;
        for (const std::string& dll : dlls_)
            RegDeleteValueW(key_, ModuleName(dll).c_str());
        RegCloseKey(key_);
    }

   private:
    // Wine names a module without its extension.
    static std::wstring ModuleName(const std::string& dll) { return ToWide(dll.substr(0, dll.rfind('.'))); }

    std::set<std::string> dlls_;
    HKEY key_ = nullptr;
};

TEST(PlantedDllTest, DllsBesideTheExecutableAreNeverLoaded) {
    const std::string image = ReadBytes(TellwickExePath());
    const std::vector<std::string> imports = ImportedDlls(image);
    ASSERT_FALSE(imports.empty()) << "no import table found in " << TellwickExePath();
    const std::set<std::string> known = KnownDlls();
    ASSERT_TRUE(known.count("kernel32.dll")) << "TELLWICK_KNOWN_DLLS is not set";

    // The two DLLs the window needs, and whatever else the executable imports from outside the list.
    std::set<std::string> planted{"uxtheme.dll", "comctl32.dll"};
    for (const std::string& dll : imports) {
        if (!known.count(dll))
            planted.insert(dll);
    }
    TempTree folder;
    const Text exe = folder / "Tellwick.exe";
    ASSERT_TRUE(CopyFileW(ToWide(TellwickExePath()).c_str(), ToWide(exe).c_str(), FALSE));
    for (const std::string& dll : planted) {
        ASSERT_TRUE(CopyFileW(ToWide(TestHelpersFolder() + "\\marker_dll.dll").c_str(),
                              ToWide(folder / dll).c_str(), FALSE))
            << dll;
    }
    std::set<std::string> others = planted;
    others.erase("uxtheme.dll");
    others.erase("comctl32.dll");
    {
        ScopedNativeFirst nativeFirst(L"Tellwick.exe", others);
        TellwickProcess tool(exe, folder.Path());
        EXPECT_TRUE(tool.Started());
        if (tool.Started()) {
            tool.Close();
            EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
        }
    }
    for (const std::string& dll : planted)
        EXPECT_FALSE(PathExists(folder / (dll + ".loaded"))) << "the planted " << dll << " was loaded";
}

}  // namespace
