// Runs the NTFS reader natively on an image: prints its hits (one UTF-8 path a line) or writes
// the blocks it read as a fuzzing seed. When the reader gives up, says why and exits with 1.
//   ntfs_tool list IMAGE [NAME]      hits for NAME (default system.yaml, any letter case)
//   ntfs_tool stats IMAGE            what the reader found in the table
//   ntfs_tool seed IMAGE OUT         OUT holds every non-zero block the reader read
// An IMAGE whose name ends in .seed is read as the fuzzer reads its inputs.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "ntfs/file_table.h"
#include "sparse_image.h"

namespace {

class FileSource : public ntfs::ByteSource {
   public:
    explicit FileSource(const char* path) : file_(path, std::ios::binary) {}
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
        file_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size));
        if (!file_ || static_cast<std::size_t>(file_.gcount()) != size)
            return false;
        for (std::size_t i = 0; i < size; i += kSparseBlock)
            read_[(offset + i) / kSparseBlock].assign(out + i, out + i + kSparseBlock);
        return true;
    }
    const std::map<std::uint64_t, std::vector<std::uint8_t>>& Blocks() const { return read_; }

   private:
    std::ifstream file_;
    std::map<std::uint64_t, std::vector<std::uint8_t>> read_;
};

std::string Utf8(const ntfs::Name& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        std::uint32_t c = name[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < name.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool SameIgnoringAsciiCase(ntfs::NameView a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](std::uint32_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
        if (fold(a[i]) != fold(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// A block of $UpCase where letters map to themselves: left out of seeds, where it would only
// give the fuzzer more bytes to mutate for nothing (missing blocks read as zeros).
bool IsPlainUpCase(const std::vector<std::uint8_t>& block) {
    int identity = 0;
    const unsigned first = block[0] | block[1] << 8;
    for (unsigned i = 0; i < block.size() / 2; ++i)
        identity += (block[2 * i] | block[2 * i + 1] << 8) == ((first + i) & 0xFFFF);
    return identity > 200;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string command = argv[1];
    const std::string pattern = argc > 3 && command == "list" ? argv[3] : "system.yaml";
    FileSource file(argv[2]);
    const std::string path = argv[2];
    std::vector<std::uint8_t> input;
    if (path.ends_with(".seed")) {
        std::ifstream in(path, std::ios::binary);
        input.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    SparseImage sparse(input.data(), input.size());
    ntfs::ByteSource& source = path.ends_with(".seed") ? static_cast<ntfs::ByteSource&>(sparse) : file;
    std::vector<ntfs::Name> hits;
    ntfs::ReadStats stats;
    const ntfs::Outcome outcome = ntfs::ListMatchingFiles(
        source, [&](ntfs::NameView name) { return pattern == "*" || SameIgnoringAsciiCase(name, pattern); },
        [] { return true; }, hits, &stats);
    if (outcome != ntfs::Outcome::kListed) {
        std::fprintf(stderr, "gave up: %s\n", ntfs::Describe(stats.gaveUp).c_str());
        return 1;
    }
    if (command == "list") {
        for (const ntfs::Name& hit : hits)
            std::printf("%s\n", Utf8(hit).c_str());
    } else if (command == "stats") {
        std::printf(
            "records %llu names %llu extension-names %llu mft-runs %zu mft-attribute-list %d table-bytes "
            "%zu\n",
            static_cast<unsigned long long>(stats.records), static_cast<unsigned long long>(stats.names),
            static_cast<unsigned long long>(stats.extensionNames), stats.mftRuns,
            stats.mftAttributeList ? 1 : 0, stats.peakTableBytes);
    } else if (command == "seed" && argc > 3) {
        std::vector<std::uint8_t> seed;
        for (const auto& [index, block] : file.Blocks()) {
            // The last block is kept whatever it holds: it is where the seed's image ends, and a
            // read past the end fails where the volume's would not.
            const bool last = index == file.Blocks().rbegin()->first;
            if (last || !IsPlainUpCase(block))
                AppendSparseBlock(seed, index, block.data(), last);
        }
        std::ofstream(argv[3], std::ios::binary)
            .write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
    }
    return 0;
}
