// The NTFS test images that tests/ntfs/make_images.py makes before the tests run: each image
// file and its read-only mount, and an image held in memory for damaging.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "ntfs/byte_source.h"
#include "platform/text.h"

// "mixed" or "fragmented": the image file and the folder it is mounted on (Windows paths).
Text NtfsImage(std::string_view name);
Text NtfsMount(std::string_view name);

// An image's bytes; reads past `limit` fail, as they would past the end of a cut-off volume, and
// so do reads that touch the bytes from `badFrom` to `badTo`, as a bad sector's would.
class MemoryImage : public ntfs::ByteSource {
   public:
    explicit MemoryImage(std::string bytes) : bytes(std::move(bytes)), limit(this->bytes.size()) {}
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        if (offset > limit || size > limit - offset || (offset < badTo && offset + size > badFrom))
            return false;
        std::memcpy(out, bytes.data() + offset, size);
        return true;
    }

    std::string bytes;
    std::size_t limit;
    std::size_t badFrom = 0, badTo = 0;
};

// The file records of a test image as mkntfs lays them out (one run from the boot sector's MFT
// address, 1024-byte records), for damaging them in place. Offsets are into the image's bytes.
struct ImageLayout {
    static constexpr std::size_t kRecord = 1024;
    explicit ImageLayout(const std::string& bytes);

    std::size_t Record(std::size_t number) const { return mft + number * kRecord; }
    std::size_t RecordOf(std::size_t offset) const { return (offset - mft) / kRecord; }
    // The header of the first attribute of `type` in record `number`, or 0.
    std::size_t Attribute(const std::string& bytes, std::size_t number, unsigned type) const;
    // The value of the $FILE_NAME attribute called `name` (in the folder of record `parent` where
    // one is given), or 0.
    std::size_t FileName(const std::string& bytes, std::wstring_view name, std::size_t parent = 0) const;

    std::size_t mft;
    std::size_t records;
};

unsigned Read16(const std::string& bytes, std::size_t at);
void Write16(std::string& bytes, std::size_t at, unsigned value);
void Write64(std::string& bytes, std::size_t at, unsigned long long value);
// A run list of one run: `clusters` clusters from `lcn`, then the end mark.
std::string OneRun(unsigned long long clusters, unsigned long long lcn);

// The image with its MFT described by an attribute list, as a volume whose MFT outgrew record 0
// has it: record 0's $DATA keeps the first 24 records, a resident $ATTRIBUTE_LIST in record 0
// lists both $DATA pieces, and the free record 16 holds the rest of the runs. Offsets are into
// `bytes`.
struct ListedMft {
    static constexpr std::size_t kFirstPart = 24, kExtension = 16;
    explicit ListedMft(std::string image);

    std::string bytes;
    std::size_t list = 0;       // the $ATTRIBUTE_LIST header in record 0
    std::size_t entry = 0;      // its entry for the second $DATA piece
    std::size_t extension = 0;  // record 16
    std::size_t data = 0;       // record 16's $DATA header
};

// Damage that a volume in use or a failing disk shows and that would hide files from the table:
// the record of the folder Games\Other torn (written while it was read), the folders Order and
// Order\Alpha each other's parent, and the folder Games cut off from the root (its parent reference
// names a file).
enum class Damage { kTornFolder, kParentCycle, kFolderCutOff };
std::string Damaged(std::string bytes, Damage damage);
