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
