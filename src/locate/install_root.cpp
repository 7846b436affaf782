// OnDriveChosen: the chosen drive's client install root, found by a search of the whole drive.
#include "locate/install_root.h"

#include <algorithm>
#include <string_view>

#include "locate/drive_search.h"
#include "platform/message_pump.h"

namespace {

constexpr std::string_view kClientFile = "system.yaml";
// With its backslash: only a folder whose name begins with "LeagueClient" marks the client, so
// "X:\OldLeagueClient\system.yaml" (another program's folder) cannot blank the root.
constexpr std::string_view kClientFolder = "\\LeagueClient";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool SameAsciiIgnoringCase(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

// The drive's recycle bin holds deleted files, and NTFS lists it before the folders of the drive;
// a deleted old install in it is no client to tune. `rest` is the hit after the drive root. A
// byte 0x5C inside a double-byte character may end the first name early, but then that name holds
// a byte of 0x80 or above and matches neither ASCII name anyway.
bool InRecycleBin(std::string_view rest) {
    const std::string_view top = rest.substr(0, rest.find('\\'));
    return SameAsciiIgnoringCase(top, "$Recycle.Bin") || SameAsciiIgnoringCase(top, "RECYCLER");
}

}  // namespace

void OnDriveChosen(ProgramState& state, ControlPort& ui) {
    const Text drive = ui.CurrentDrive();
    const Text start = drive + ":\\";
    // SearchResults keeps every hit of the run, but this choice answers for its own drive only:
    // what earlier choices found, and what a nested search of another drive adds in the middle of
    // this one, is passed over.
    const size_t firstOwn = state.SearchResults.size();
    const size_t end =
        static_cast<size_t>(FindFilesOnDrive(drive, Text(kClientFile), state.SearchResults).count);
    // The window was closed while the drive was searched: its controls are gone.
    if (QuitRequested())
        return;
    for (size_t i = firstOwn; i < end && i < state.SearchResults.size(); ++i) {
        const Text& entry = state.SearchResults[i];
        if (!StartsWith(entry, start) || InRecycleBin(std::string_view(entry).substr(start.size())) ||
            FindText(entry, kClientFolder) < 1)
            continue;
        state.InstallRoot = TextBefore(entry, kClientFolder);
        ui.SetCaption(Control::标签3, state.InstallRoot);
        return;
    }
}
