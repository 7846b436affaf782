// ListMatchingFiles: the volume's geometry, its MFT and $UpCase, then the table scanned and listed.
#include "ntfs/file_table.h"

#include <optional>
#include <utility>

#include "ntfs/collation.h"
#include "ntfs/record_table.h"
#include "ntfs/volume.h"

namespace ntfs {

namespace {

constexpr std::uint32_t kUpCase = 10;

}  // namespace

Outcome ListMatchingFiles(ByteSource& source, const std::function<bool(NameView)>& matches,
                          const std::function<bool()>& keepGoing, std::vector<Name>& hits, ReadStats* stats) {
    ReadStats local;
    ReadStats& s = stats ? *stats : local;
    const std::optional<Geometry> geometry = ReadGeometry(source, s.gaveUp);
    if (!geometry)
        return Outcome::kGaveUp;
    const std::optional<Mft> mft = Mft::Open(source, *geometry, s.gaveUp);
    if (!mft)
        return Outcome::kGaveUp;
    s.mftRuns = mft->Runs().size();
    s.mftAttributeList = mft->UsedAttributeList();
    const std::optional<std::vector<std::uint8_t>> upCase =
        mft->ReadSystemFile(source, kUpCase, std::size_t{2} * 65536, s.gaveUp);
    if (!upCase)
        return Outcome::kGaveUp;
    const std::optional<Collation> collation = Collation::FromUpCase(*upCase);
    if (!collation) {
        s.gaveUp = {Structure::kUpCase, kUpCase, "$DATA size", upCase->size(), "131072"};
        return Outcome::kGaveUp;
    }
    std::vector<Name> found;
    Outcome outcome = Outcome::kListed;
    {
        RecordTable table(source, *mft, keepGoing);
        outcome = table.Scan(s);
        if (outcome == Outcome::kListed)
            outcome = table.List(*collation, matches, found);
        s.names = table.ListedNames();
        s.peakTableBytes = table.Bytes();
        if (outcome == Outcome::kGaveUp)
            s.gaveUp = table.Why();
    }
    if (outcome != Outcome::kListed)
        return outcome;
    for (Name& hit : found)
        hits.push_back(std::move(hit));
    return Outcome::kListed;
}

}  // namespace ntfs
