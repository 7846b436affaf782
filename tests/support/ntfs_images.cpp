// Where the NTFS test images are: the folder CTest names in TELLWICK_NTFS_IMAGES.
#include "support/ntfs_images.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/wine_host.h"

namespace {

Text ImagesFolder() {
    char folder[MAX_PATH * 2] = "";
    if (!GetEnvironmentVariableA("TELLWICK_NTFS_IMAGES", folder, sizeof folder)) {
        ADD_FAILURE() << "TELLWICK_NTFS_IMAGES is not set: CTest makes the images before this test";
        return {};
    }
    return WindowsPathOf(folder);
}

}  // namespace

Text NtfsImage(std::string_view name) {
    return ImagesFolder() + "\\" + Text(name) + ".img";
}

Text NtfsMount(std::string_view name) {
    return ImagesFolder() + "\\" + Text(name) + ".mnt";
}

unsigned Read16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

void Write16(std::string& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Write64(std::string& bytes, std::size_t at, unsigned long long value) {
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

std::string OneRun(unsigned long long clusters, unsigned long long lcn) {
    // Little-endian in as few bytes as hold the value; the offset is signed, so a set top bit
    // needs one byte more.
    auto bytesOf = [](unsigned long long value) {
        std::string out;
        do {
            out += static_cast<char>(value);
            value >>= 8;
        } while (value != 0);
        if (static_cast<unsigned char>(out.back()) & 0x80)
            out += '\0';
        return out;
    };
    const std::string length = bytesOf(clusters), offset = bytesOf(lcn);
    return static_cast<char>(offset.size() << 4 | length.size()) + length + offset + '\0';
}

ImageLayout::ImageLayout(const std::string& b) {
    const std::size_t cluster = Read16(b, 11) * static_cast<std::size_t>(static_cast<unsigned char>(b[13]));
    mft = cluster * (Read16(b, 0x30) | Read16(b, 0x32) << 16);
    records = (b.size() - mft) / kRecord;
}

std::size_t ImageLayout::Attribute(const std::string& b, std::size_t number, unsigned type) const {
    const std::size_t record = Record(number);
    if (b.compare(record, 4, "FILE") != 0)
        return 0;
    for (std::size_t at = record + Read16(b, record + 20); at + 24 < record + kRecord;) {
        const unsigned found = Read16(b, at), length = Read16(b, at + 4);
        if (found == 0xFFFF || length < 24)
            return 0;
        if (found == type)
            return at;
        at += length;
    }
    return 0;
}

std::size_t ImageLayout::FileName(const std::string& b, std::wstring_view name, std::size_t parent) const {
    for (std::size_t r = 0; r < records; ++r) {
        const std::size_t record = Record(r);
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
                if (same && (parent == 0 || (Read16(b, value) | Read16(b, value + 2) << 16) == parent))
                    return value;
            }
            at += length;
        }
    }
    return 0;
}

std::string Damaged(std::string bytes, Damage damage) {
    const ImageLayout layout(bytes);
    // A parent reference: the record number and, in the top two bytes, the sequence number.
    auto reference = [&](std::size_t record) {
        return record | static_cast<unsigned long long>(Read16(bytes, layout.Record(record) + 16)) << 48;
    };
    switch (damage) {
        case Damage::kTornFolder: {
            const std::size_t record = layout.Record(layout.RecordOf(layout.FileName(bytes, L"Other")));
            bytes[record + 510] = static_cast<char>(~bytes[record + 510]);
            break;
        }
        case Damage::kParentCycle: {
            const std::size_t order = layout.FileName(bytes, L"Order");
            Write64(bytes, order, reference(layout.RecordOf(layout.FileName(bytes, L"Alpha"))));
            break;
        }
        case Damage::kFolderCutOff:
            Write64(bytes, layout.FileName(bytes, L"Games"), reference(3));
            break;
    }
    return bytes;
}

namespace {

constexpr std::size_t kStride = 512;

// Puts the bytes the update sequence stands in for back at each stride's end, so that a record
// can be edited as one piece.
void Unfix(std::string& b, std::size_t record) {
    const std::size_t usa = record + Read16(b, record + 4);
    for (std::size_t i = 1; i < Read16(b, record + 6); ++i)
        Write16(b, record + i * kStride - 2, Read16(b, usa + 2 * i));
}

void Fix(std::string& b, std::size_t record) {
    const std::size_t usa = record + Read16(b, record + 4);
    for (std::size_t i = 1; i < Read16(b, record + 6); ++i) {
        Write16(b, usa + 2 * i, Read16(b, record + i * kStride - 2));
        Write16(b, record + i * kStride - 2, Read16(b, usa));
    }
}

void Write32(std::string& b, std::size_t at, unsigned value) {
    Write16(b, at, value & 0xFFFF);
    Write16(b, at + 2, value >> 16);
}

unsigned long long Reference(const std::string& b, const ImageLayout& layout, std::size_t record) {
    return record | static_cast<unsigned long long>(Read16(b, layout.Record(record) + 16)) << 48;
}

}  // namespace

ListedMft::ListedMft(std::string image) : bytes(std::move(image)) {
    std::string& b = bytes;
    const ImageLayout layout(b);
    const std::size_t zero = layout.Record(0);
    extension = layout.Record(kExtension);
    // mkntfs lays the MFT out in one run and leaves records 16 to 23 free.
    const std::size_t mftData = layout.Attribute(b, 0, 0x80);
    const std::size_t pairs = mftData + Read16(b, mftData + 32);
    const unsigned header = static_cast<unsigned char>(b[pairs]);
    unsigned long long clusters = 0, lcn = 0;
    for (unsigned i = 0; i < (header & 0x0F); ++i)
        clusters |= static_cast<unsigned long long>(static_cast<unsigned char>(b[pairs + 1 + i])) << (8 * i);
    for (unsigned i = 0; i < header >> 4; ++i)
        lcn |= static_cast<unsigned long long>(static_cast<unsigned char>(b[pairs + 1 + (header & 0x0F) + i]))
               << (8 * i);
    const std::size_t cluster = Read16(b, 11) * static_cast<std::size_t>(static_cast<unsigned char>(b[13]));
    const unsigned long long first = kFirstPart * ImageLayout::kRecord / cluster;
    if (b[pairs + 1 + (header & 0x0F) + (header >> 4)] != 0 || clusters <= first ||
        Read16(b, extension + 22) != 0) {
        ADD_FAILURE() << "the image's MFT is not one run with record 16 free";
        return;
    }

    Unfix(b, zero);
    Write64(b, mftData + 24, first - 1);
    const std::string firstRuns = OneRun(first, lcn);
    b.replace(pairs, firstRuns.size(), firstRuns);
    // Two entries of 32 bytes, each naming a $DATA piece by its first VCN and its record.
    std::string value(64, '\0');
    const unsigned pieceIds[] = {Read16(b, mftData + 14), 0};
    const unsigned long long pieceVcns[] = {0, first};
    const unsigned long long pieceRecords[] = {Reference(b, layout, 0), Reference(b, layout, kExtension)};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t at = 32 * i;
        Write32(value, at, 0x80);
        Write16(value, at + 4, 32);
        value[at + 7] = 0x1A;
        Write64(value, at + 8, pieceVcns[i]);
        Write64(value, at + 16, pieceRecords[i]);
        Write16(value, at + 24, pieceIds[i]);
    }
    std::string attribute(24, '\0');
    Write32(attribute, 0, 0x20);
    Write32(attribute, 4, static_cast<unsigned>(24 + value.size()));
    attribute[10] = 0x18;
    Write16(attribute, 14, Read16(b, zero + 40));
    Write32(attribute, 16, static_cast<unsigned>(value.size()));
    Write16(attribute, 20, 24);
    attribute += value;
    // Attributes stay in type order: the list goes before $FILE_NAME, and the record's unused
    // tail gives up the room.
    list = layout.Attribute(b, 0, 0x30);
    b.insert(list, attribute);
    b.erase(zero + ImageLayout::kRecord, attribute.size());
    Write16(b, zero + 24, static_cast<unsigned>(Read16(b, zero + 24) + attribute.size()));
    Write16(b, zero + 40, Read16(b, zero + 40) + 1);
    Fix(b, zero);
    entry = list + 24 + 32;

    Unfix(b, extension);
    Write16(b, extension + 22, 1);
    Write64(b, extension + 32, Reference(b, layout, 0));
    data = extension + Read16(b, extension + 20);
    const std::string restRuns = OneRun(clusters - first, lcn + first);
    const std::size_t length = (64 + restRuns.size() + 7) / 8 * 8;
    b.replace(data, length + 8, std::string(length + 8, '\0'));
    Write32(b, data, 0x80);
    Write32(b, data + 4, static_cast<unsigned>(length));
    b[data + 8] = 1;
    b[data + 10] = 0x40;
    Write64(b, data + 16, first);
    Write64(b, data + 24, clusters - 1);
    Write16(b, data + 32, 64);
    b.replace(data + 64, restRuns.size(), restRuns);
    Write32(b, data + length, 0xFFFFFFFF);
    Write32(b, extension + 24, static_cast<unsigned>(data + length + 8 - extension));
    Write16(b, extension + 40, 1);
    Fix(b, extension);
}
