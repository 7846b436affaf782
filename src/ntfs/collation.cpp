// Name collation by the volume's own upper-case table, as its directory indexes are sorted.
#include "ntfs/collation.h"

#include <algorithm>

namespace ntfs {

std::optional<Collation> Collation::FromUpCase(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != std::size_t{2} * 65536)
        return std::nullopt;
    Collation collation;
    collation.upper_.resize(65536);
    for (std::size_t i = 0; i < collation.upper_.size(); ++i)
        collation.upper_[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return collation;
}

bool Collation::Less(const NameChar* a, std::size_t aLength, const NameChar* b, std::size_t bLength) const {
    const std::size_t common = std::min(aLength, bLength);
    for (std::size_t i = 0; i < common; ++i) {
        const std::uint16_t ua = upper_[static_cast<std::uint16_t>(a[i])];
        const std::uint16_t ub = upper_[static_cast<std::uint16_t>(b[i])];
        if (ua != ub)
            return ua < ub;
    }
    if (aLength != bLength)
        return aLength < bLength;
    for (std::size_t i = 0; i < common; ++i) {
        const auto ra = static_cast<std::uint16_t>(a[i]), rb = static_cast<std::uint16_t>(b[i]);
        if (ra != rb)
            return ra < rb;
    }
    return false;
}

}  // namespace ntfs
