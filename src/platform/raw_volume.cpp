// \\.\X: opened for reading, checked to be a local NTFS volume first.
#include "platform/raw_volume.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

void RawVolume::VirtualFree::operator()(void* p) const {
    ::VirtualFree(p, 0, MEM_RELEASE);
}

RawVolume::RawVolume(UniqueFile file)
    : file_(std::move(file)),
      // Page-aligned, as unbuffered device reads want their buffers.
      buffer_(static_cast<std::uint8_t*>(
          VirtualAlloc(nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}

std::optional<RawVolume> RawVolume::OpenNtfs(char letter) {
    if (letter < 'A' || letter > 'Z')
        return std::nullopt;
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
        return std::nullopt;
    wchar_t fileSystem[MAX_PATH + 1] = L"";
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) ||
        std::wcscmp(fileSystem, L"NTFS") != 0)
        return std::nullopt;
    const wchar_t device[] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(letter), L':', L'\0'};
    // Sharing read and write: the volume stays in use by everything else while it is read.
    UniqueFile file(CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid())
        return std::nullopt;
    RawVolume volume(std::move(file));
    if (!volume.buffer_)
        return std::nullopt;
    return volume;
}

SysResult RawVolume::Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) {
    while (size > 0) {
        const std::uint64_t start = offset / kUnit * kUnit;
        const std::size_t skip = static_cast<std::size_t>(offset - start);
        const std::size_t wanted = std::min(size, kBufferSize - skip);
        const std::size_t span = (skip + wanted + kUnit - 1) / kUnit * kUnit;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(start);
        at.OffsetHigh = static_cast<DWORD>(start >> 32);
        DWORD got = 0;
        // The volume's last unit may be partial; what lies past its end is never asked for.
        if (!ReadFile(file_.Get(), buffer_.get(), static_cast<DWORD>(span), &got, &at))
            return SysResult::LastError();
        if (got < skip + wanted)
            return SysResult::Failure(ERROR_HANDLE_EOF);
        std::memcpy(out, buffer_.get() + skip, wanted);
        out += wanted;
        offset += wanted;
        size -= wanted;
    }
    return SysResult::Success();
}
