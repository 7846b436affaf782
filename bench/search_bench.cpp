// Times the drive search three ways on one tree, in one process:
//   a  FindFilesRecursive as the tool ships it;
//   b  the literal walk: one platform search per pattern and one "*.*" listing per folder, with a
//      full queue drain after every hit and every subfolder;
//   c  the floor: one listing per folder, the same name test, no message pump at all.
// usage: search_bench.exe ROOT [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "locate/file_search.h"
#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/message_pump.h"
#include "platform/name_pattern.h"

namespace {

const Text kPatterns = "system.yaml";

// b: what a straightforward reading of the walk does, through the W functions.
void LiteralWalk(const Text& directory, TextList& results) {
    const Text folder = WithTrailingBackslash(directory);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(ToWide(folder + kPatterns).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                results.push_back(folder + WideToAnsi(data.cFileName));
                PumpPendingMessages();
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    find = FindFirstFileW(ToWide(folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring_view name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
            LiteralWalk(folder + WideToAnsi(name), results);
            PumpPendingMessages();
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// c: one listing per folder and nothing else.
void BareWalk(const std::wstring& folder, const Text& text, const NamePattern& pattern, TextList& results) {
    std::vector<std::wstring> subfolders;
    {
        DirectoryListing listing(folder + L"*");
        for (bool more = listing.Valid(); more; more = listing.Next()) {
            if (!listing.IsDirectory()) {
                if (pattern.Matches(listing.Name()))
                    results.push_back(text + WideToAnsi(listing.Name()));
            } else if (!listing.IsDotOrDotDot() && !listing.IsReparsePoint()) {
                subfolders.emplace_back(listing.Name());
            }
        }
    }
    for (const std::wstring& name : subfolders)
        BareWalk(folder + name + L"\\", text + WideToAnsi(name) + "\\", pattern, results);
}

// The window a real search keeps alive; its timer measures how long the walk leaves the queue alone.
struct Window {
    static constexpr UINT_PTR kTimer = 1;
    static inline ULONGLONG lastTick = 0;
    static inline ULONGLONG longestGap = 0;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER) {
            const ULONGLONG now = GetTickCount64();
            if (lastTick)
                longestGap = std::max(longestGap, now - lastTick);
            lastTick = now;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    Window() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TellwickSearchBench";
        RegisterClassW(&windowClass);
        handle = CreateWindowExW(0, windowClass.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~Window() { DestroyWindow(handle); }

    HWND handle = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: search_bench ROOT [RUNS]\n");
        return 2;
    }
    const Text root = WideToAnsi(argv[1]);
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    Window window;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);

    const NamePattern pattern(L"system.yaml");
    auto shipped = [&](TextList& results) { FindFilesRecursive(root, kPatterns, results); };
    auto literal = [&](TextList& results) { LiteralWalk(root, results); };
    auto bare = [&](TextList& results) {
        const Text start = WithTrailingBackslash(root);
        BareWalk(ToWide(start), start, pattern, results);
    };

    // One untimed pass each fills the host's caches and gives the hits to compare.
    TextList hitsA, hitsB, hitsC;
    Time(shipped, hitsA);
    Time(literal, hitsB);
    Time(bare, hitsC);
    std::printf("tree %s: %zu hits\n", root.c_str(), hitsA.size());
    for (const Text& hit : hitsA)
        std::printf("  %s\n", Utf8(hit).c_str());
    if (hitsA != hitsB || hitsA.size() != hitsC.size()) {
        std::printf("MISMATCH: the walks disagree (a %zu, b %zu, c %zu hits)\n", hitsA.size(), hitsB.size(),
                    hitsC.size());
        return 1;
    }

    std::vector<double> a, b, c;
    TextList scratch;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, in a rotating order, so that a slow phase of the machine (or of the host's
        // caches) does not land on one variant only.
        for (int k = 0; k < 3; ++k) {
            switch ((i + k) % 3) {
                case 0:
                    a.push_back(Time(shipped, scratch));
                    break;
                case 1:
                    b.push_back(Time(literal, scratch));
                    break;
                default:
                    c.push_back(Time(bare, scratch));
                    break;
            }
        }
        std::printf("run %d: a %.3f s  b %.3f s  c %.3f s\n", i + 1, a.back(), b.back(), c.back());
        std::fflush(stdout);
    }

    // Responsiveness of the shipped walk: a 10 ms timer, and the longest time between two of its
    // messages being handled.
    SetTimer(window.handle, Window::kTimer, USER_TIMER_MINIMUM, nullptr);
    Window::lastTick = 0;
    Time(shipped, scratch);
    KillTimer(window.handle, Window::kTimer);

    const double ma = Median(a), mb = Median(b), mc = Median(c);
    std::printf("\nmedians of %d runs: a %.3f s  b %.3f s  c %.3f s\n", runs, ma, mb, mc);
    std::printf("a/b = %.3f (target <= 0.6)   a/c = %.3f (target <= 1.15)\n", ma / mb, ma / mc);
    // The three walks of one run are minutes apart at most; the ratios within a run are less
    // exposed to the machine's slow and fast phases than the ratio of the medians.
    std::vector<double> ab, ac;
    for (int i = 0; i < runs; ++i) {
        ab.push_back(a[i] / b[i]);
        ac.push_back(a[i] / c[i]);
    }
    std::printf("median of the per-run ratios: a/b = %.3f   a/c = %.3f\n", Median(ab), Median(ac));
    std::printf("longest wait for a message during a: %llu ms (10 ms timer)\n",
                static_cast<unsigned long long>(Window::longestGap));
    return 0;
}
