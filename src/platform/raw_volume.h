// Reading a whole volume's bytes (\\.\X:), which Windows allows administrators only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/handles.h"
#include "platform/result.h"
#include "platform/seam.h"

// The volume calls whose answers only Windows gives: the refusals of a volume that is not
// elevated, locked or write-protected, a flush that takes seconds, and reads of a volume larger
// than any test's image. Each member takes its call's arguments and gives its answer: CreateFileW
// (for the volume), FlushFileBuffers, DeviceIoControl and ReadFile. A test installs stand-ins with
// ScopedVolumeCalls (seam.h); the open's thread uses the table in force when OpenNtfs was called.
struct VolumeCalls {
    std::function<HANDLE(const wchar_t* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                         DWORD disposition, DWORD flags, HANDLE templateFile)>
        createFile;
    std::function<BOOL(HANDLE file)> flushFileBuffers;
    std::function<BOOL(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned, OVERLAPPED* overlapped)>
        deviceIoControl;
    std::function<BOOL(HANDLE file, void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped)> readFile;
};
using ScopedVolumeCalls = ScopedCalls<VolumeCalls>;

// A volume opened for reading its sectors. Reads may start and end anywhere: they go through an
// aligned buffer, because the device accepts only whole sectors at sector-aligned offsets.
class RawVolume {
   public:
    // The NTFS volume behind a local drive letter ('A' to 'Z'), flushed first so that its file
    // table on the disk is current; nullopt when the drive is not a local NTFS volume, cannot be
    // opened for writing (not elevated, locked, write-protected, a network or Wine drive) or the
    // flush fails. Nothing is ever written through the handle. The checks, the open and the flush
    // can each block for seconds, so they run on a thread of their own while the calling thread
    // answers its messages (RunWhileAnswering); nullopt too when a quit came meanwhile, which
    // stays queued.
    static std::optional<RawVolume> OpenNtfs(char letter);

    SysResult Read(std::uint64_t offset, std::uint8_t* out, std::size_t size);

   private:
    explicit RawVolume(UniqueFile file);
    static std::optional<RawVolume> Open(char letter, const VolumeCalls& calls);

    // Whole 4 KB units cover every sector size in use (512 and 4096 bytes): every read starts at a
    // multiple of the sector size, spans whole sectors and lands in a page-aligned buffer, as a
    // noncached handle requires.
    static constexpr std::size_t kUnit = 4096;
    static constexpr std::size_t kBufferSize = 1 << 20;

    struct VirtualFree {
        void operator()(void* p) const;
    };

    UniqueFile file_;
    std::unique_ptr<std::uint8_t, VirtualFree> buffer_;
};
