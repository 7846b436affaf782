// The NTFS reader on damaged copies of a real image: it ends, and it either gives up or lists
// only names the volume really holds.
#include "ntfs/file_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ntfs/records.h"
#include "support/ntfs_images.h"
#include "support/temp_tree.h"

namespace {

struct Listing {
    ntfs::Outcome outcome;
    std::vector<std::wstring> paths;
    ntfs::ReadStats stats;
};

// Every file on the volume.
Listing ListAll(ntfs::ByteSource& image) {
    Listing listing;
    listing.outcome = ntfs::ListMatchingFiles(
        image, [](std::wstring_view) { return true; }, [] { return true; }, listing.paths, &listing.stats);
    return listing;
}

std::vector<std::wstring> Without(std::vector<std::wstring> paths, std::wstring_view prefix) {
    std::erase_if(paths, [&](const std::wstring& p) { return p.starts_with(prefix); });
    return paths;
}

TEST(NtfsReaderTest, ReadsTheStructuresOfTheImages) {
    const std::string mixedBytes = ReadBytes(NtfsImage("mixed"));
    MemoryImage mixed(mixedBytes);
    const Listing all = ListAll(mixed);
    ASSERT_EQ(all.outcome, ntfs::Outcome::kListed);
    EXPECT_GT(all.stats.extensionNames, 0u) << "a file's names overflow into an attribute list";
    for (const std::wstring& path : all.paths)
        EXPECT_TRUE(path[0] != L'$' || path.starts_with(L"$Recycle.Bin\\")) << "a metadata file listed";
    for (const std::wstring& path : all.paths)
        EXPECT_FALSE(path.starts_with(L"Deleted\\") || path.find(L"Gone") != std::wstring::npos)
            << "a deleted file";
    MemoryImage listed(ListedMft(mixedBytes).bytes);
    const Listing same = ListAll(listed);
    ASSERT_EQ(same.outcome, ntfs::Outcome::kListed) << ntfs::Describe(same.stats.gaveUp);
    EXPECT_TRUE(same.stats.mftAttributeList);
    EXPECT_EQ(same.stats.mftRuns, all.stats.mftRuns + 1);
    EXPECT_EQ(same.paths, all.paths) << "the MFT described by an attribute list";
    EXPECT_EQ(same.stats.records, all.stats.records);
    EXPECT_EQ(same.stats.names, all.stats.names);
    EXPECT_EQ(same.stats.extensionNames, all.stats.extensionNames);
    MemoryImage fragmented(ReadBytes(NtfsImage("fragmented")));
    const Listing many = ListAll(fragmented);
    ASSERT_EQ(many.outcome, ntfs::Outcome::kListed);
    EXPECT_GT(many.stats.mftRuns, 1u) << "the MFT lies in several pieces";
    EXPECT_GT(many.paths.size(), 2000u);
}

// A boot sector, MFT or table field out of its limits, damage that would hide files, and damage
// that hides nothing: each ends with the reason the reader gives, or the listing it still gives.
TEST(NtfsReaderTest, ADamagedVolumeGivesUpOrListsOnlyItsRealNames) {
    const std::string bytes = ReadBytes(NtfsImage("mixed"));
    ASSERT_FALSE(bytes.empty());
    const ImageLayout layout(bytes);
    MemoryImage pristine(bytes);
    const Listing original = ListAll(pristine);
    ASSERT_EQ(original.outcome, ntfs::Outcome::kListed);
    const std::uint64_t totalSectors = Read16(bytes, 0x28) | Read16(bytes, 0x2A) << 16;
    const std::uint64_t totalClusters = totalSectors / static_cast<unsigned char>(bytes[13]);
    using ntfs::Structure;
    using Change = std::function<void(std::string&)>;
    auto field = [](std::size_t at, unsigned value) {
        return [=](std::string& b) { b[at] = static_cast<char>(value); };
    };
    auto word = [](std::size_t at, unsigned value) { return [=](std::string& b) { Write16(b, at, value); }; };
    auto quad = [](std::size_t at, unsigned long long value) {
        return [=](std::string& b) { Write64(b, at, value); };
    };
    auto both = [](Change a, Change b) { return [=](std::string& x) { a(x), b(x); }; };
    auto damage = [](Damage d) { return [=](std::string& b) { b = Damaged(b, d); }; };
    const std::size_t zero = layout.Record(0), upCase = layout.Record(10);
    const std::size_t mftData = layout.Attribute(bytes, 0, 0x80),
                      upCaseData = layout.Attribute(bytes, 10, 0x80);
    const std::size_t alpha = layout.FileName(bytes, L"Alpha");
    const std::size_t alphaRecord = layout.Record(layout.RecordOf(alpha));
    const std::size_t alphaName = layout.Attribute(bytes, layout.RecordOf(alpha), 0x30);
    ASSERT_TRUE(mftData && upCaseData && alpha);
    // The MFT's run list made one run of its own length at `lcn`, given in `offsetBytes >> 4` bytes.
    const std::size_t mftPairs = mftData + Read16(bytes, mftData + 32);
    auto pairs = [&](unsigned offsetBytes, std::size_t lcn) {
        return [=](std::string& b) {
            const unsigned lengthBytes = static_cast<unsigned char>(b[mftPairs]) & 0x0F;
            b[mftPairs] = static_cast<char>(offsetBytes | lengthBytes);
            for (unsigned i = 0; i < offsetBytes >> 4; ++i)
                b[mftPairs + 1 + lengthBytes + i] = static_cast<char>(lcn >> (8 * i));
            b[mftPairs + 1 + lengthBytes + (offsetBytes >> 4)] = 0;
        };
    };
    // Damage to the MFT's own attribute list and its extension record, done to the listed copy.
    const ListedMft listed(bytes);
    auto inListed = [base = &listed.bytes](Change c) {
        return [=](std::string& b) {
            b = *base;
            c(b);
        };
    };
    const std::size_t list = listed.list, entry = listed.entry, extension = listed.extension,
                      extensionData = listed.data;
    // The list made non-resident: `size` bytes in one run of `clusters` at `lcn`, from VCN `vcn`.
    auto listRuns = [&](unsigned long long vcn, unsigned long long clusters, unsigned long long lcn,
                        unsigned long long size) {
        return inListed([=](std::string& b) {
            b.replace(list + 8, 56, std::string(56, '\0'));
            b[list + 8] = 1;
            Write64(b, list + 16, vcn);
            Write64(b, list + 24, vcn + clusters - 1);
            Write16(b, list + 32, 64);
            Write64(b, list + 48, size);
            const std::string runs = OneRun(clusters, lcn);
            b.replace(list + 64, runs.size(), runs);
        });
    };
    auto extensionRuns = [&](std::string runs) {
        return inListed([=](std::string& b) { b.replace(extensionData + 64, runs.size(), runs); });
    };
    const std::size_t restLengthBytes = static_cast<unsigned char>(listed.bytes[extensionData + 64]) & 0x0F;
    const struct {
        const char* what;
        Change change;
        Structure structure;
        const char* field;
        const char* limit;
    } givesUp[] = {
        {"OEM name", field(3, 'X'), Structure::kBootSector, "signature", ""},
        {"end mark", field(510, 0), Structure::kBootSector, "signature", ""},
        {"sector size", word(11, 3000), Structure::kBootSector, "bytes per sector", ""},
        {"8192-byte sectors", word(11, 8192), Structure::kBootSector, "bytes per sector", ""},
        {"128-byte sectors", word(11, 128), Structure::kBootSector, "bytes per sector", ""},
        {"256-byte clusters", both(word(11, 256), field(13, 1)), Structure::kBootSector, "bytes per cluster",
         "a power of two"},
        // Clusters smaller than sectors once made the sector count in clusters a division by zero.
        {"4096-byte sectors, 512-byte clusters", both(word(11, 4096), field(13, 0xF7)),
         Structure::kBootSector, "bytes per cluster", "at least bytes per sector"},
        {"three sectors a cluster", field(13, 3), Structure::kBootSector, "bytes per cluster",
         "a power of two"},
        {"4 GB clusters", field(13, 0xE0), Structure::kBootSector, "sectors per cluster", ""},
        {"2^32-byte records", field(0x40, 0xE0), Structure::kBootSector, "clusters per file record", ""},
        {"2-byte records", field(0x40, 0xFF), Structure::kBootSector, "bytes per file record", ""},
        {"8-cluster records", field(0x40, 8), Structure::kBootSector, "bytes per file record", ""},
        {"3-cluster records", field(0x40, 3), Structure::kBootSector, "bytes per file record", ""},
        {"no sectors", quad(0x28, 0), Structure::kBootSector, "clusters in the volume", ""},
        {"2^45 sectors", quad(0x28, 1ull << 45), Structure::kBootSector, "clusters in the volume", ""},
        {"MFT past the end", quad(0x30, totalSectors), Structure::kBootSector, "MFT cluster", ""},
        {"MFT in the last 512-byte cluster",
         both(both(field(13, 1), field(0x40, 0xF6)), quad(0x30, totalSectors - 1)), Structure::kBootSector,
         "MFT cluster", ""},
        {"record 0 signature", field(zero, 'X'), Structure::kFileRecord, "signature", ""},
        {"record 0 update sequence count", word(zero + 6, 5), Structure::kFileRecord, "update sequence count",
         ""},
        {"record 0 update sequence offset", word(zero + 4, 49), Structure::kFileRecord,
         "update sequence offset", ""},
        {"record 0 update sequence before the header's end", word(zero + 4, 40), Structure::kFileRecord,
         "update sequence offset", ""},
        {"record 0 update sequence past the end", word(zero + 4, 1020), Structure::kFileRecord,
         "update sequence offset", ""},
        {"record 0 torn", field(zero + 1022, 0x77), Structure::kFileRecord, "end of stride", ""},
        {"record 0 bytes in use", word(zero + 24, 5000), Structure::kFileRecord, "bytes in use", ""},
        {"record 0 first attribute", word(zero + 20, 8), Structure::kFileRecord, "first attribute", ""},
        {"record 0 first attribute past the bytes in use", word(zero + 20, 1016), Structure::kFileRecord,
         "first attribute", ""},
        {"record 0 free", field(zero + 22, 0), Structure::kMft, "record 0 flags", ""},
        {"MFT without $DATA", field(mftData, 0x81), Structure::kMft, "record 0 $DATA pieces", ""},
        {"MFT in two pieces", field(layout.Attribute(bytes, 0, 0xB0), 0x80), Structure::kMft,
         "record 0 $DATA pieces", ""},
        {"MFT resident", field(mftData + 8, 0), Structure::kMft, "record 0 $DATA pieces", ""},
        {"MFT from VCN 1", both(quad(mftData + 16, 1), quad(mftData + 24, Read16(bytes, mftData + 24) + 1)),
         Structure::kMft, "record 0 $DATA pieces", ""},
        {"MFT without runs", both(quad(mftData + 24, ~0ull), field(mftData + Read16(bytes, mftData + 32), 0)),
         Structure::kMft, "record 0 $DATA runs", ""},
        {"MFT runs before its attribute's header ends", word(mftData + 32, 0x30), Structure::kMft,
         "record 0 $DATA pieces", ""},
        {"MFT runs past its attribute", word(mftData + 32, 0x100), Structure::kMft, "record 0 $DATA pieces",
         ""},
        {"MFT runs short of its last VCN", quad(mftData + 24, Read16(bytes, mftData + 24) + 5),
         Structure::kMft, "record 0 $DATA runs", ""},
        // The MFT's one run kept its length but starts past the volume's end, or runs over it.
        {"MFT runs past the end", pairs(0x30, totalClusters + 1), Structure::kMft, "record 0 $DATA runs", ""},
        {"MFT runs over the end", pairs(0x20, totalClusters - 1), Structure::kMft, "record 0 $DATA runs", ""},
        {"MFT with a hole",
         [&](std::string& b) {
             // The first run's length kept, its offset dropped: a sparse run, and the list ends.
             const std::size_t pairs = mftData + Read16(b, mftData + 32);
             const unsigned lengthBytes = static_cast<unsigned char>(b[pairs]) & 0x0F;
             b[pairs] = static_cast<char>(lengthBytes);
             b[pairs + 1 + lengthBytes] = 0;
         },
         Structure::kMft, "record 0 $DATA runs", ""},
        {"MFT larger than its runs", quad(mftData + 48, 1ull << 30), Structure::kMft, "$DATA size", ""},
        {"MFT of 8 records", quad(mftData + 48, 8 * ImageLayout::kRecord), Structure::kMft, "records", ""},
        {"$UpCase free", field(upCase + 22, 0), Structure::kUpCase, "flags", ""},
        {"$UpCase in two pieces", field(layout.Attribute(bytes, 10, 0x30), 0x80), Structure::kUpCase,
         "$DATA pieces", ""},
        {"$UpCase from VCN 1",
         both(quad(upCaseData + 16, 1), quad(upCaseData + 24, Read16(bytes, upCaseData + 24) + 1)),
         Structure::kUpCase, "$DATA runs", "from VCN 0"},
        {"$UpCase too large", quad(upCaseData + 48, 1 << 20), Structure::kUpCase, "$DATA size", "within"},
        {"$UpCase too small", quad(upCaseData + 48, 1000), Structure::kUpCase, "$DATA size", "131072"},
        {"the root folder free", field(layout.Record(5) + 22, 0), Structure::kFolderTree, "root folder flags",
         ""},
        {"a folder torn", damage(Damage::kTornFolder), Structure::kFileRecord, "end of stride", ""},
        {"two folders each other's parent", damage(Damage::kParentCycle), Structure::kFolderTree,
         "parent references", ""},
        {"a folder cut off from the root", damage(Damage::kFolderCutOff), Structure::kFolderTree,
         "parent of folder", ""},
        {"a folder its own parent",
         quad(alpha, layout.RecordOf(alpha) | static_cast<unsigned long long>(Read16(bytes, alphaRecord + 16))
                                                  << 48),
         Structure::kFolderTree, "parent of folder", ""},
        {"a parent past the MFT", quad(alpha, 0xFFFFFF), Structure::kFileRecord, "$FILE_NAME parent", ""},
        {"a name longer than its attribute", field(alpha + 64, 0xFF), Structure::kFileRecord,
         "$FILE_NAME length", ""},
        {"a name of no units", field(alpha + 64, 0), Structure::kFileRecord, "$FILE_NAME length", ""},
        {"a named $FILE_NAME whose name lies outside it", field(alphaName + 9, 0x40), Structure::kFileRecord,
         "attributes", ""},
        {"a value past its attribute", word(alphaName + 16, 0x1000), Structure::kFileRecord, "attributes",
         ""},
        {"an attribute's length not a multiple of 8",
         [&](std::string& b) {
             // The empty file's resident $DATA made 28 bytes long, with an end marker right after.
             const std::size_t record = layout.Record(layout.RecordOf(layout.FileName(b, L"SYSTEM.YAML")));
             const std::size_t data = layout.Attribute(b, layout.RecordOf(record), 0x80);
             Write16(b, data + 4, 28);
             Write64(b, data + 28, 0xFFFFFFFF);
             Write16(b, record + 24, Read16(b, record + 24) + 8);
         },
         Structure::kFileRecord, "attributes", ""},
        {"an attribute's length", word(alphaName + 4, 12), Structure::kFileRecord, "attributes", ""},
        // Within the record's bytes in use, but not within those left after the attribute's start.
        {"MFT $DATA past the bytes in use",
         [&](std::string& b) {
             Write16(b, mftData + 4, (Read16(b, zero + 24) - (mftData - zero)) / 8 * 8 + 8);
         },
         Structure::kMft, "record 0 $DATA pieces", ""},
        {"a base record past the MFT", quad(alphaRecord + 32, 0xFFFFFF), Structure::kFileRecord,
         "base record", ""},
        {"MFT list runs past the end", listRuns(0, 1, totalClusters, 64), Structure::kAttributeList, "runs",
         "inside the volume"},
        {"MFT list over 256 KB", listRuns(0, 1, 1, 256 * 1024 + 1), Structure::kAttributeList, "size", ""},
        {"MFT list longer than its runs", listRuns(0, 1, 1, 4096), Structure::kAttributeList, "runs",
         "readable"},
        {"MFT list from VCN 1", listRuns(1, 1, 1, 64), Structure::kAttributeList, "runs", "readable"},
        {"MFT list entry of 24 bytes", inListed(word(entry + 4, 24)), Structure::kAttributeList,
         "entry length", ""},
        {"MFT list entry of 28 bytes", inListed(word(entry + 4, 28)), Structure::kAttributeList,
         "entry length", ""},
        {"MFT list entry past the list", inListed(word(entry + 4, 40)), Structure::kAttributeList,
         "entry length", ""},
        {"MFT pieces out of order", inListed(quad(entry + 8, ListedMft::kFirstPart + 1)),
         Structure::kAttributeList, "entry lowest VCN", ""},
        {"MFT extension past the records known", inListed(quad(entry + 16, ListedMft::kFirstPart)),
         Structure::kAttributeList, "record number", ""},
        {"MFT extension torn", inListed(field(extension + 510, ~listed.bytes[extension + 510])),
         Structure::kAttributeList, "end of stride", ""},
        {"MFT extension free", inListed(field(extension + 22, 0)), Structure::kAttributeList,
         "extension record", ""},
        {"MFT extension of another file", inListed(quad(extension + 32, 5)), Structure::kAttributeList,
         "extension record", ""},
        {"MFT extension without $DATA", inListed(field(extensionData, 0x81)), Structure::kAttributeList,
         "extension $DATA pieces", ""},
        {"MFT extension with two $DATA pieces", inListed([=](std::string& b) {
             const std::size_t length = Read16(b, extensionData + 4);
             b.replace(extensionData + length, length, b.substr(extensionData, length));
             Write64(b, extensionData + 2 * length, 0xFFFFFFFF);
             Write16(b, extension + 24, Read16(b, extension + 24) + length);
         }),
         Structure::kAttributeList, "extension $DATA pieces", ""},
        {"MFT extension $DATA from another VCN",
         inListed(quad(extensionData + 16, ListedMft::kFirstPart + 1)), Structure::kAttributeList,
         "extension $DATA pieces", ""},
        {"MFT extension runs past the end", extensionRuns(OneRun(1, totalClusters)),
         Structure::kAttributeList, "extension $DATA runs", ""},
        {"MFT extension with a hole",
         both(inListed(field(extensionData + 64, restLengthBytes)),
              field(extensionData + 65 + restLengthBytes, 0)),
         Structure::kAttributeList, "extension $DATA runs", ""},
        {"MFT list without its second piece", inListed(field(entry, 0x30)), Structure::kMft, "$DATA size",
         ""},
    };
    for (const auto& c : givesUp) {
        MemoryImage image(bytes);
        c.change(image.bytes);
        const Listing listing = ListAll(image);
        EXPECT_EQ(listing.outcome, ntfs::Outcome::kGaveUp) << c.what;
        EXPECT_TRUE(listing.paths.empty()) << c.what;
        const std::string why = ntfs::Describe(listing.stats.gaveUp);
        EXPECT_EQ(listing.stats.gaveUp.structure, c.structure) << c.what << ": " << why;
        EXPECT_EQ(std::string(listing.stats.gaveUp.field), c.field) << c.what << ": " << why;
        EXPECT_NE(std::string(listing.stats.gaveUp.limit).find(c.limit), std::string::npos)
            << c.what << ": " << why;
    }
    // A bad sector in record 0, in $UpCase's data, and further on in the file table.
    const std::size_t upCaseBytes = [&] {
        const std::size_t pairs = upCaseData + Read16(bytes, upCaseData + 32);
        const unsigned header = static_cast<unsigned char>(bytes[pairs]);
        std::size_t lcn = 0;
        for (unsigned i = 0; i < header >> 4; ++i)
            lcn |= std::size_t{static_cast<unsigned char>(bytes[pairs + 1 + (header & 0x0F) + i])} << (8 * i);
        return lcn * Read16(bytes, 11) * static_cast<unsigned char>(bytes[13]);
    }();
    const struct {
        std::size_t at;
        Structure structure;
        const char* field;
    } badSectors[] = {{layout.Record(0), Structure::kVolume, "read at byte"},
                      {upCaseBytes, Structure::kUpCase, "$DATA runs"},
                      {layout.Record(20), Structure::kVolume, "read of MFT records from"}};
    for (const auto& c : badSectors) {
        MemoryImage bad(bytes);
        bad.badFrom = c.at;
        bad.badTo = c.at + 512;
        const Listing listing = ListAll(bad);
        EXPECT_EQ(listing.outcome, ntfs::Outcome::kGaveUp) << c.field;
        EXPECT_EQ(listing.stats.gaveUp.structure, c.structure) << c.field;
        EXPECT_EQ(std::string(listing.stats.gaveUp.field), c.field);
    }

    // A file whose folder is gone, as one deleted while open is once its folder is deleted too, is
    // in no listing; and a name with a backslash in it would name another path. Either is passed
    // over, and the rest is listed.
    const std::size_t other = layout.RecordOf(layout.FileName(bytes, L"Other"));
    const std::size_t orphan = layout.FileName(bytes, L"system.yaml", other);
    const std::size_t alphaStandard = layout.Attribute(bytes, layout.RecordOf(alpha), 0x10);
    ASSERT_TRUE(orphan && alphaStandard);
    const std::size_t alphaInfo = alphaStandard + Read16(bytes, alphaStandard + 20);
    const struct {
        const char* what;
        Change change;
        std::wstring_view missing;
    } passedOver[] = {
        {"a file whose parent was reused", word(orphan + 6, Read16(bytes, orphan + 6) + 1),
         L"Games\\Other\\system.yaml"},
        {"a file whose record is free", field(layout.Record(layout.RecordOf(orphan)) + 22, 0),
         L"Games\\Other\\system.yaml"},
        {"a file under a file",
         quad(orphan, 3 | static_cast<unsigned long long>(Read16(bytes, layout.Record(3) + 16)) << 48),
         L"Games\\Other\\system.yaml"},
        {"a folder named with a backslash", field(alpha + 66 + 2, '\\'), L"Order\\Alpha\\"},
        {"a folder named with a slash", field(alpha + 66 + 2, '/'), L"Order\\Alpha\\"},
        {"a folder named with a NUL", field(alpha + 66 + 2, 0), L"Order\\Alpha\\"},
        {"a folder named .", both(field(alpha + 64, 1), field(alpha + 66, '.')), L"Order\\Alpha\\"},
        {"a folder named ..",
         both(both(field(alpha + 64, 2), field(alpha + 66, '.')), field(alpha + 68, '.')), L"Order\\Alpha\\"},
        // The walk does not follow a junction; the table does not enter one either.
        {"a folder that is a reparse point", field(alphaInfo + 32 + 1, bytes[alphaInfo + 33] | 0x04),
         L"Order\\Alpha\\"},
    };
    for (const auto& c : passedOver) {
        MemoryImage image(bytes);
        c.change(image.bytes);
        const Listing listing = ListAll(image);
        EXPECT_EQ(listing.outcome, ntfs::Outcome::kListed)
            << c.what << ": " << ntfs::Describe(listing.stats.gaveUp);
        EXPECT_EQ(listing.paths, Without(original.paths, c.missing)) << c.what;
    }
    // Random bytes of the file table changed: every reading ends, and lists only usable paths.
    std::mt19937 random(13);
    std::uniform_int_distribution<std::size_t> where(layout.mft, layout.mft + 400 * ImageLayout::kRecord - 1);
    for (int copy = 0; copy < 150; ++copy) {
        MemoryImage image(bytes);
        for (int flip = 0; flip < 12; ++flip)
            image.bytes[where(random)] ^= static_cast<char>(1 + random() % 255);
        const Listing listing = ListAll(image);
        if (listing.outcome != ntfs::Outcome::kListed)
            continue;
        for (const std::wstring& path : listing.paths) {
            EXPECT_TRUE(!path.empty() && path.front() != L'\\' && path.back() != L'\\' &&
                        path.find(L"\\\\") == std::wstring::npos && path.find(L'\0') == std::wstring::npos)
                << "copy " << copy;
        }
    }
}

// A run's offset is signed and counts from the run before: a run that lies before the one ahead of
// it, as a file that grew into an earlier gap has, is a negative offset in as few bytes as hold
// it. Its top bit alone marks it negative (0x9C is -100, 0x8000 is -32768).
TEST(NtfsReaderTest, RunOffsetsAreSignedAndCountFromTheRunBefore) {
    const struct {
        const char* what;
        std::vector<std::uint8_t> pairs;
        std::vector<std::uint64_t> lcns;  // of the two runs of 16 and 8 clusters
    } cases[] = {
        {"back in one byte", {0x21, 16, 0x00, 0x10, 0x11, 8, 0x9C, 0}, {0x1000, 0x1000 - 100}},
        {"back in two bytes", {0x31, 16, 0x00, 0x90, 0x00, 0x21, 8, 0x00, 0x80, 0}, {0x9000, 0x1000}},
    };
    for (const auto& c : cases) {
        ntfs::Attribute data{};
        data.highestVcn = 16 + 8 - 1;
        data.mappingPairs = c.pairs;
        const std::optional<std::vector<ntfs::Run>> runs = ntfs::DecodeRuns(data, 1 << 20);
        ASSERT_TRUE(runs && runs->size() == 2) << c.what;
        EXPECT_EQ((std::vector<std::uint64_t>{(*runs)[0].lcn, (*runs)[1].lcn}), c.lcns) << c.what;
    }
}

}  // namespace
