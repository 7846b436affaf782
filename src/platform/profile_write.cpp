// Setting one key of an INI file whole: Windows' INI writer works on a copy beside the file.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/file_leftovers.h"
#include "platform/file_placement.h"
#include "platform/file_write.h"
#include "platform/seam.h"
#include "platform/write_beside.h"

namespace {

using namespace file_write;

// Windows' INI writer opens the file by its name, and a scanner may hold the copy just closed:
// its refusals are waited out as the placement's are. No value removes the key.
bool WriteProfileString(const std::wstring& section, const std::wstring& key, const wchar_t* value,
                        const std::wstring& file) {
    const FileWriteCalls& calls = InstalledCalls<FileWriteCalls>();
    return RetryRefusals([&] {
        if (calls.writeProfileString)
            return calls.writeProfileString(section.c_str(), key.c_str(), value, file.c_str()) != FALSE;
        return WritePrivateProfileStringW(section.c_str(), key.c_str(), value, file.c_str()) != FALSE;
    });
}

// Opens the copy again for the flush, waiting out a scanner that took it after the INI writer.
bool Reopen(const std::wstring& path, DWORD access, UniqueFile& file) {
    return RetryRefusals([&] {
        file.Reset(CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return file.Valid();
    });
}

// Puts the mark back in front of what the INI writer left in `path`.
bool PrependUtf8Mark(const std::wstring& path, UniqueFile& file) {
    LARGE_INTEGER size;
    if (!Reopen(path, GENERIC_READ | GENERIC_WRITE, file) || !GetFileSizeEx(file.Get(), &size))
        return false;
    if (size.QuadPart > (1ll << 30)) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    std::string content(kUtf8Mark);
    content.resize(kUtf8Mark.size() + static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), content.data() + kUtf8Mark.size(), static_cast<DWORD>(size.QuadPart), &read,
                  nullptr) ||
        read != size.QuadPart)
        return false;
    return SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           WriteAll(file.Get(), content.data(), content.size());
}

// Sets the key to `value`, or removes it when there is none. A missing file is created holding the
// section and key alone, and stays missing when there is no key to remove.
SysResult SetProfileEntryWhole(std::string_view section, std::string_view key,
                               const std::optional<std::string_view>& value, std::string_view file) {
    const std::wstring target = ToWide(file);
    if (target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    SettleLeftoversOf(target);
    const bool exists = Exists(target);
    if (!exists && !value)
        return SysResult::Success();
    if (!WritableTarget(target))
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    const std::wstring wideValue = value ? ToWide(*value) : std::wstring();
    // Windows' INI writer takes a UTF-8 mark for part of the first line, so the section there is not
    // found and a second one is added; Wine's knows the mark. The writer works on the content
    // without it, on both alike, and the mark goes back in front afterwards.
    bool marked = false;
    return WriteBeside(
        target,
        [&](UniqueFile& copy, const std::wstring& name) {
            if (exists && !CopyContent(copy.Get(), target, &marked))
                return false;
            // The INI writer opens the copy by its name; it is closed meanwhile and opened again
            // for the flush.
            copy.Reset();
            if (!WriteProfileString(ToWide(section), ToWide(key), value ? wideValue.c_str() : nullptr, name))
                return false;
            if (marked)
                return PrependUtf8Mark(name, copy);
            return Reopen(name, GENERIC_WRITE, copy);
        },
        [&](const std::wstring& temporary) { return ReplaceTarget(temporary, target); });
}

}  // namespace

SysResult WriteProfileStringWhole(std::string_view section, std::string_view key, std::string_view value,
                                  std::string_view file) {
    return SetProfileEntryWhole(section, key, value, file);
}

SysResult RemoveProfileKeyWhole(std::string_view section, std::string_view key, std::string_view file) {
    return SetProfileEntryWhole(section, key, std::nullopt, file);
}
