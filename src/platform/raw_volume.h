// Reading a whole volume's bytes (\\.\X:), which Windows allows administrators only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/handles.h"
#include "platform/result.h"

// A volume opened for reading its sectors. Reads may start and end anywhere: they go through an
// aligned buffer, because the device accepts only whole sectors at sector-aligned offsets.
// The calls of OpenNtfs that Windows refuses in ways Wine does not show; a test makes one of them
// fail with the error code of its choice while the object lives.
enum class VolumeCall { kOpenForWriting, kFlush };
class ScopedVolumeCallFailure {
   public:
    ScopedVolumeCallFailure(VolumeCall call, DWORD error);
    ScopedVolumeCallFailure(const ScopedVolumeCallFailure&) = delete;
    ScopedVolumeCallFailure& operator=(const ScopedVolumeCallFailure&) = delete;
    ~ScopedVolumeCallFailure();
};

class RawVolume {
   public:
    // The NTFS volume behind a local drive letter ('A' to 'Z'), flushed first so that its file
    // table on the disk is current; nullopt when the drive is not a local NTFS volume, cannot be
    // opened for writing (not elevated, locked, write-protected, a network or Wine drive) or the
    // flush fails. Nothing is ever written through the handle.
    static std::optional<RawVolume> OpenNtfs(char letter);

    SysResult Read(std::uint64_t offset, std::uint8_t* out, std::size_t size);

   private:
    explicit RawVolume(UniqueFile file);

    // Whole 4 KB units cover every sector size in use (512 and 4096 bytes).
    static constexpr std::size_t kUnit = 4096;
    static constexpr std::size_t kBufferSize = 1 << 20;

    struct VirtualFree {
        void operator()(void* p) const;
    };

    UniqueFile file_;
    std::unique_ptr<std::uint8_t, VirtualFree> buffer_;
};
