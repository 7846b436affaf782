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
class RawVolume {
   public:
    // The NTFS volume behind a local drive letter ('A' to 'Z'); nullopt when the drive is not a
    // local NTFS volume or cannot be opened (not elevated, in use, a network or Wine drive).
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
