// The order of names in an NTFS directory index: upper-cased through the volume's $UpCase table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ntfs/byte_source.h"

namespace ntfs {

class Collation {
   public:
    // From the raw $UpCase data: 65536 little-endian units. nullopt for any other size.
    static std::optional<Collation> FromUpCase(std::span<const std::uint8_t> bytes);

    // True when `a` sorts before `b`: unit by unit upper-cased, a prefix before the longer name,
    // and names equal but for case (possible in the POSIX namespace) by their raw units.
    bool Less(const NameChar* a, std::size_t aLength, const NameChar* b, std::size_t bLength) const;

   private:
    std::vector<std::uint16_t> upper_;
};

}  // namespace ntfs
