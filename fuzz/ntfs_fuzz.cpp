// libFuzzer target: the NTFS reader on a damaged or forged volume must end, without a crash and
// without reading outside what it was given (AddressSanitizer and UBSan watch the rest).
#include <cstddef>
#include <cstdint>

#include "ntfs/file_table.h"
#include "sparse_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SparseImage image(data, size);
    std::vector<ntfs::Name> hits;
    int calls = 0;
    const ntfs::Outcome outcome = ntfs::ListMatchingFiles(
        image, [](ntfs::NameView name) { return name.size() > 0 && name[0] != 'x'; },
        [&] { return ++calls < 100000; }, hits);
    if (outcome != ntfs::Outcome::kListed && !hits.empty())
        __builtin_trap();
    // Every hit is a path of usable names.
    for (const ntfs::Name& hit : hits) {
        if (hit.empty() || hit.front() == '\\' || hit.back() == '\\' || hit.find(u'\0') != ntfs::Name::npos ||
            hit.find(u"\\\\") != ntfs::Name::npos)
            __builtin_trap();
    }
    return 0;
}
