// An opened volume as the NTFS reader's byte source.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ntfs/byte_source.h"
#include "platform/raw_volume.h"

class VolumeBytes : public ntfs::ByteSource {
   public:
    explicit VolumeBytes(RawVolume& volume) : volume_(volume) {}
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        return volume_.Read(offset, out, size).Ok();
    }

   private:
    RawVolume& volume_;
};
