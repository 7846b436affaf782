// Finding a running program by its executable name, as the launcher guard needs it.
#include "tuning/process_check.h"

#include "platform/processes.h"

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with ASCII letters in lower case. The second byte of a double-byte character is left
// alone: it may fall in the letters' range without being a letter.
Text LowerAscii(Text text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i]))
            ++i;
        else
            text[i] = AsciiLower(text[i]);
    }
    return text;
}

}  // namespace

std::uint32_t FindProcessByName(const Text& name) {
    if (name.empty())
        return 0;
    const Text wanted = LowerAscii(name);
    for (const ProcessEntry& process : RunningProcesses()) {
        if (LowerAscii(process.exeName) == wanted)
            return process.id;
    }
    return 0;
}
