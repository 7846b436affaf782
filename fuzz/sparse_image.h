// The fuzzing input: an image as a list of 512-byte blocks, each after its block number (four
// bytes, little-endian); blocks not given read as zeros, and nothing past the highest one exists.
// Mutations then land in the few blocks the reader looks at instead of megabytes of zeros.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "ntfs/byte_source.h"

inline constexpr std::size_t kSparseBlock = 512;
// Keeps a forged block number from describing an image larger than the fuzzer can afford to read.
inline constexpr std::uint32_t kSparseMaxBlocks = 1u << 17;

// A block of zeros is left out unless `keep`: it reads as zeros anyway.
inline void AppendSparseBlock(std::vector<std::uint8_t>& out, std::uint64_t index, const std::uint8_t* block,
                              bool keep = false) {
    if (!keep && std::all_of(block, block + kSparseBlock, [](std::uint8_t b) { return b == 0; }))
        return;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(index >> (8 * i)));
    out.insert(out.end(), block, block + kSparseBlock);
}

class SparseImage : public ntfs::ByteSource {
   public:
    SparseImage(const std::uint8_t* data, std::size_t size) {
        for (std::size_t at = 0; at + 4 + kSparseBlock <= size; at += 4 + kSparseBlock) {
            const std::uint32_t index = static_cast<std::uint32_t>(data[at] | data[at + 1] << 8 |
                                                                   data[at + 2] << 16 | data[at + 3] << 24) %
                                        kSparseMaxBlocks;
            blocks_[index] = data + at + 4;
            end_ = std::max<std::uint64_t>(end_, (index + 1ull) * kSparseBlock);
        }
    }
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        // The reader promises whole blocks; anything else is a fault worth a crash here.
        if (offset % kSparseBlock != 0 || size % kSparseBlock != 0)
            __builtin_trap();
        if (offset > end_ || size > end_ - offset)
            return false;
        for (std::size_t i = 0; i < size; i += kSparseBlock) {
            auto block = blocks_.find((offset + i) / kSparseBlock);
            if (block == blocks_.end())
                std::fill(out + i, out + i + kSparseBlock, std::uint8_t{0});
            else
                std::copy(block->second, block->second + kSparseBlock, out + i);
        }
        return true;
    }

   private:
    std::map<std::uint64_t, const std::uint8_t*> blocks_;
    std::uint64_t end_ = 0;
};
