// Times the drive search from the NTFS file table against the walk of the same tree, in one
// process: the tree as an NTFS image that Wine opens as the device of drive P (\\.\P:), and the
// same image mounted through ntfs-3g as P's folder.
//   reader  FindFilesOnDrive("P", "system.yaml"), which reads the image's file table;
//   walk    FindFilesRecursive("P:\", "system.yaml") over the mount.
// usage: ntfs_bench.exe [RUNS]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "locate/drive_search.h"
#include "locate/file_search.h"
#include "locate/volume_bytes.h"
#include "ntfs/file_table.h"
#include "platform/encoding.h"
#include "platform/name_pattern.h"
#include "platform/raw_volume.h"

namespace {

const Text kPattern = "system.yaml";

double Megabytes(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

std::size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    auto reader = [](TextList& results) { return FindFilesOnDrive("P", kPattern, results).readTable; };
    auto walk = [](TextList& results) { FindFilesRecursive("P:\\", kPattern, results); };

    // The table alone, once, for its size and its process's memory high-water mark (taken before
    // any walk has run in this process).
    const std::size_t before = PeakWorkingSet();
    std::optional<RawVolume> volume = RawVolume::OpenNtfs('P');
    if (!volume) {
        std::printf("cannot open \\\\.\\P: as an NTFS volume\n");
        return 1;
    }
    VolumeBytes bytes(*volume);
    const NamePattern pattern(L"system.yaml");
    std::vector<std::wstring> hits;
    ntfs::ReadStats stats;
    if (ntfs::ListMatchingFiles(
            bytes, [&](std::wstring_view name) { return pattern.Matches(name); }, [] { return true; }, hits,
            &stats) != ntfs::Outcome::kListed) {
        std::printf("the reader gave up on the image\n");
        return 1;
    }
    const std::size_t peak = PeakWorkingSet();
    std::printf("file table: %llu records, %llu names, MFT in %zu runs\n",
                static_cast<unsigned long long>(stats.records), static_cast<unsigned long long>(stats.names),
                stats.mftRuns);
    std::printf("table memory at its largest: %.1f MB (%.0f bytes a name, %.0f MB for a million)\n",
                Megabytes(stats.peakTableBytes), static_cast<double>(stats.peakTableBytes) / stats.names,
                static_cast<double>(stats.peakTableBytes) / stats.names * 1e6 / (1024.0 * 1024.0));
    std::printf("process peak working set: %.1f MB before, %.1f MB after reading the table\n",
                Megabytes(before), Megabytes(peak));

    // One untimed pass each fills the host's caches and gives the hits to compare.
    TextList read, walked;
    if (!reader(read)) {
        std::printf("the search walked instead of reading the table\n");
        return 1;
    }
    walk(walked);
    std::printf("%zu hits\n", read.size());
    for (const Text& hit : read)
        std::printf("  %s\n", Utf8(hit).c_str());
    // ntfs-3g lists a large folder in the order of its index blocks, Windows in collation order:
    // the same hits are required, and the order is reported.
    if (std::multiset<Text>(read.begin(), read.end()) != std::multiset<Text>(walked.begin(), walked.end())) {
        std::printf("MISMATCH: the reader and the walk disagree (%zu and %zu hits)\n", read.size(),
                    walked.size());
        return 1;
    }
    std::printf("same hits as the walk, %s\n", read == walked ? "in the same order" : "in another order");

    std::vector<double> r, w;
    TextList scratch;
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that a slow phase of the machine does not land on one side only.
        if (i % 2 == 0) {
            r.push_back(Time(reader, scratch));
            w.push_back(Time(walk, scratch));
        } else {
            w.push_back(Time(walk, scratch));
            r.push_back(Time(reader, scratch));
        }
        std::printf("run %d: reader %.3f s  walk %.3f s\n", i + 1, r.back(), w.back());
        std::fflush(stdout);
    }
    const double mr = Median(r), mw = Median(w);
    std::printf("\nmedians of %d runs: reader %.3f s  walk %.3f s\n", runs, mr, mw);
    std::printf("reader/walk = %.3f\n", mr / mw);
    return 0;
}
