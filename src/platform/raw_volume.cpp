// \\.\X: opened for reading, checked to be a local NTFS volume first.
#include "platform/raw_volume.h"

#include <windows.h>

#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/message_pump.h"

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
    // After a quit the thread outlives this call: it owns the table of calls and its answer.
    auto opened = std::make_shared<std::optional<RawVolume>>();
    if (!RunWhileAnswering(
            [opened, letter, calls = InstalledCalls<VolumeCalls>()] { *opened = Open(letter, calls); }))
        return std::nullopt;
    return std::move(*opened);
}

std::optional<RawVolume> RawVolume::Open(char letter, const VolumeCalls& calls) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
        return std::nullopt;
    wchar_t fileSystem[MAX_PATH + 1] = L"";
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) ||
        std::wcscmp(fileSystem, L"NTFS") != 0)
        return std::nullopt;
    const wchar_t device[] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(letter), L':', L'\0'};
    // Sharing read and write: the volume stays in use by everything else while it is read. Write
    // access is only for the flush, which needs it: the file system keeps its metadata in the
    // cache until its lazy writer gets to it, and reads of the volume bypass that cache, so an
    // unflushed table can miss a client installed or moved seconds ago.
    // Noncached, as CreateFile's page recommends for a volume (Microsoft's file systems open one
    // noncached whatever is asked); Read meets the alignment that asks for.
    const DWORD access = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD flags = FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN;
    UniqueFile file(calls.createFile
                        ? calls.createFile(device, access, share, nullptr, OPEN_EXISTING, flags, nullptr)
                        : CreateFileW(device, access, share, nullptr, OPEN_EXISTING, flags, nullptr));
    if (!file.Valid())
        return std::nullopt;
    if (!(calls.flushFileBuffers ? calls.flushFileBuffers(file.Get()) : FlushFileBuffers(file.Get())))
        return std::nullopt;
    // Reads go in 4 KB units, so the last one can reach past the end the file system knows of (NTFS
    // keeps the last sector, its boot sector's copy, outside its size); without this call that read
    // is refused, and a file table reaching the volume's end would send the search to the walk.
    // Its failure is not fatal: every read is still checked, and one the bounds refuse fails, so
    // the search only walks where it would have walked without the call.
    DWORD returned = 0;
    if (calls.deviceIoControl)
        calls.deviceIoControl(file.Get(), FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, &returned,
                              nullptr);
    else
        DeviceIoControl(file.Get(), FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, &returned, nullptr);
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
        const VolumeCalls& calls = InstalledCalls<VolumeCalls>();
        const BOOL read =
            calls.readFile ? calls.readFile(file_.Get(), buffer_.get(), static_cast<DWORD>(span), &got, &at)
                           : ReadFile(file_.Get(), buffer_.get(), static_cast<DWORD>(span), &got, &at);
        if (!read)
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
