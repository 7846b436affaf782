// Where the NTFS reader gets its bytes: a volume on Windows, an image file or a buffer in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace ntfs {

// The UTF-16 unit of names: wchar_t where it is 16 bits wide (Windows), so that names go to the
// platform's calls without a copy, and char16_t elsewhere (the Linux fuzzing build).
using NameChar = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char16_t>;

class ByteSource {
   public:
    virtual ~ByteSource() = default;
    // Fills `out` with the `size` bytes at `offset`; false when any of them cannot be read. The
    // reader asks only for whole 512-byte blocks at offsets that are multiples of 512.
    virtual bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) = 0;
};

}  // namespace ntfs
