// The NTFS reader on damaged copies of a real image: it ends, and it either gives up or lists
// only names the volume really holds.
#include "ntfs/file_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

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

unsigned Read16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

// The image's file records as laid out by mkntfs: one run from the boot sector's MFT address.
struct Layout {
    std::size_t mft;
    std::size_t records;
    static constexpr std::size_t kRecord = 1024;

    explicit Layout(const std::string& b) {
        const std::size_t cluster = Read16(b, 11) * static_cast<unsigned char>(b[13]);
        mft = cluster * (Read16(b, 0x30) | Read16(b, 0x32) << 16);
        records = (b.size() - mft) / kRecord;
    }
    // The offset of the $FILE_NAME value called `name` (in the record's bytes as stored), or 0.
    std::size_t FileName(const std::string& b, std::wstring_view name) const {
        for (std::size_t r = 0; r < records; ++r) {
            const std::size_t record = mft + r * kRecord;
            if (b.compare(record, 4, "FILE") != 0)
                continue;
            for (std::size_t at = record + Read16(b, record + 20); at + 24 < record + kRecord;) {
                const unsigned type = Read16(b, at), length = Read16(b, at + 4);
                if (type == 0xFFFF || length < 24)
                    break;
                const std::size_t value = at + Read16(b, at + 20);
                if (type == 0x30 && static_cast<unsigned char>(b[value + 64]) == name.size()) {
                    bool same = true;
                    for (std::size_t i = 0; i < name.size(); ++i)
                        same = same && Read16(b, value + 66 + 2 * i) == name[i];
                    if (same)
                        return value;
                }
                at += length;
            }
        }
        return 0;
    }
    std::size_t RecordOf(std::size_t offset) const { return (offset - mft) / kRecord; }
};

TEST(NtfsReaderTest, ReadsTheStructuresOfTheImages) {
    MemoryImage mixed(ReadBytes(NtfsImage("mixed")));
    const Listing all = ListAll(mixed);
    ASSERT_EQ(all.outcome, ntfs::Outcome::kListed);
    EXPECT_GT(all.stats.extensionNames, 0u) << "a file's names overflow into an attribute list";
    MemoryImage fragmented(ReadBytes(NtfsImage("fragmented")));
    const Listing many = ListAll(fragmented);
    ASSERT_EQ(many.outcome, ntfs::Outcome::kListed);
    EXPECT_GT(many.stats.mftRuns, 1u) << "the MFT lies in several pieces";
    EXPECT_GT(many.paths.size(), 2000u);
}

TEST(NtfsReaderTest, ADamagedVolumeGivesUpOrListsOnlyItsRealNames) {
    const std::string bytes = ReadBytes(NtfsImage("mixed"));
    ASSERT_FALSE(bytes.empty());
    const Layout layout(bytes);
    MemoryImage pristine(bytes);
    const Listing original = ListAll(pristine);
    ASSERT_EQ(original.outcome, ntfs::Outcome::kListed);

    {  // Cut off before the end of the file table.
        MemoryImage cut(bytes);
        cut.limit = layout.mft + 20 * Layout::kRecord;
        EXPECT_EQ(ListAll(cut).outcome, ntfs::Outcome::kGaveUp);
    }
    {  // The MFT's runs point past the end of the volume.
        MemoryImage image(bytes);
        const std::size_t zero = layout.mft;
        std::size_t at = zero + Read16(bytes, zero + 20);
        while (Read16(image.bytes, at) != 0x80)
            at += Read16(image.bytes, at + 4);
        const std::string pastTheEnd("\x31\x10\x00\x00\x7F\x00", 6);
        image.bytes.replace(at + Read16(image.bytes, at + 32), pastTheEnd.size(), pastTheEnd);
        EXPECT_EQ(ListAll(image).outcome, ntfs::Outcome::kGaveUp);
    }
    {  // A torn record (its update sequence does not match): the folder and all below it are gone.
        MemoryImage image(bytes);
        const std::size_t record =
            layout.mft + layout.RecordOf(layout.FileName(bytes, L"Other")) * Layout::kRecord;
        image.bytes[record + 510] = static_cast<char>(~image.bytes[record + 510]);
        const Listing listing = ListAll(image);
        EXPECT_EQ(listing.outcome, ntfs::Outcome::kListed);
        EXPECT_EQ(listing.paths, Without(original.paths, L"Games\\Other\\"));
    }
    {  // A name with a backslash in it would name another path: the folder is not listed.
        MemoryImage image(bytes);
        const std::size_t value = layout.FileName(bytes, L"Alpha");
        ASSERT_NE(value, 0u);
        image.bytes[value + 66 + 2] = '\\';
        const Listing listing = ListAll(image);
        EXPECT_EQ(listing.outcome, ntfs::Outcome::kListed);
        EXPECT_EQ(listing.paths, Without(original.paths, L"Order\\Alpha\\"));
    }
    {  // Two folders each other's parent: the reading ends, and neither is reached from the root.
        MemoryImage image(bytes);
        const std::size_t order = layout.FileName(bytes, L"Order"), alpha = layout.FileName(bytes, L"Alpha");
        ASSERT_TRUE(order && alpha);
        const std::size_t alphaRecord = layout.RecordOf(alpha);
        const std::string parent = {static_cast<char>(alphaRecord),
                                    static_cast<char>(alphaRecord >> 8),
                                    0,
                                    0,
                                    0,
                                    0,
                                    image.bytes[layout.mft + alphaRecord * Layout::kRecord + 16],
                                    image.bytes[layout.mft + alphaRecord * Layout::kRecord + 17]};
        image.bytes.replace(order, 8, parent);
        const Listing listing = ListAll(image);
        EXPECT_EQ(listing.outcome, ntfs::Outcome::kListed);
        EXPECT_EQ(listing.paths, Without(original.paths, L"Order\\"));
    }
    // Random bytes of the file table changed: every reading ends, and lists only usable paths.
    std::mt19937 random(13);
    std::uniform_int_distribution<std::size_t> where(layout.mft, layout.mft + 400 * Layout::kRecord - 1);
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

}  // namespace
