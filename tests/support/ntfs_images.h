// The NTFS test images that tests/ntfs/make_images.py makes before the tests run: each image
// file and its read-only mount, and an image held in memory for damaging.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "ntfs/byte_source.h"
#include "platform/text.h"

// "mixed" or "fragmented": the image file and the folder it is mounted on (Windows paths).
Text NtfsImage(std::string_view name);
Text NtfsMount(std::string_view name);

// An image's bytes; reads past `limit` fail, as they would past the end of a cut-off volume.
class MemoryImage : public ntfs::ByteSource {
   public:
    explicit MemoryImage(std::string bytes) : bytes(std::move(bytes)), limit(this->bytes.size()) {}
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        if (offset > limit || size > limit - offset)
            return false;
        std::memcpy(out, bytes.data() + offset, size);
        return true;
    }

    std::string bytes;
    std::size_t limit;
};
