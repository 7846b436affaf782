// Reaches the Unix side through Wine's own exports and by starting Unix programs, which Wine
// runs natively (without a handle to wait on, hence the polling).
#include "support/wine_host.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "platform/encoding.h"
#include "platform/handles.h"

namespace {

using UnixNameFn = char*(CDECL*)(LPCWSTR);
using DosNameFn = WCHAR*(CDECL*)(LPCSTR);

template <typename Fn>
Fn WineExport(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

std::string ShellQuote(std::string_view s) {
    std::string quoted = "'";
    for (char c : s) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// Starts /bin/sh -c `command` on the host.
bool RunOnHost(const std::string& command) {
    std::wstring line = L"Z:\\bin\\sh -c \"" + ToWide(command) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // Wine hands back no real handles for a Unix program: a null process handle and the
    // current-process pseudo-handle as the thread. Closing those would close whatever handle of
    // ours happens to answer to them, so only real handles are closed.
    for (HANDLE handle : {process.hProcess, process.hThread}) {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    return true;
}

template <typename Condition>
bool WaitFor(Condition condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        Sleep(10);
    }
    return condition();
}

DWORD AttributesOf(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

// Without a device entry Wine opens \\.\X: as the drive's folder, which cannot be read.
bool DeviceReadable(const std::wstring& device) {
    HANDLE file = CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char sector[512];
    DWORD got = 0;
    const bool read = ReadFile(file, sector, sizeof sector, &got, nullptr) && got == sizeof sector;
    CloseHandle(file);
    return read;
}

}  // namespace

std::string UnixPathOf(std::string_view windowsPath) {
    auto toUnix = WineExport<UnixNameFn>("wine_get_unix_file_name");
    if (!toUnix)
        return {};
    char* unixPath = toUnix(ToWide(windowsPath).c_str());
    if (!unixPath)
        return {};
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

Text WindowsPathOf(std::string_view unixPath) {
    auto toDos = WineExport<DosNameFn>("wine_get_dos_file_name");
    if (!toDos)
        return {};
    WCHAR* dosPath = toDos(std::string(unixPath).c_str());
    if (!dosPath)
        return {};
    Text result = WideToAnsi(dosPath);
    HeapFree(GetProcessHeap(), 0, dosPath);
    return result;
}

bool MakeDirectoryLink(std::string_view link, std::string_view target) {
    const std::string unixLink = UnixPathOf(link);
    const std::string unixTarget = UnixPathOf(target);
    if (unixLink.empty() || unixTarget.empty())
        return false;
    if (!RunOnHost("ln -s " + ShellQuote(unixTarget) + " " + ShellQuote(unixLink)))
        return false;
    const std::wstring wideLink = ToWide(link);
    return WaitFor([&] { return AttributesOf(wideLink) != INVALID_FILE_ATTRIBUTES; });
}

bool RemoveDirectoryLink(std::string_view link) {
    // Wine 8 refuses both RemoveDirectoryW (it looks into the target) and DeleteFileW on such a
    // link, so the host removes it.
    const std::string unixLink = UnixPathOf(link);
    if (unixLink.empty() || !RunOnHost("rm -f " + ShellQuote(unixLink)))
        return false;
    const std::wstring wideLink = ToWide(link);
    return WaitFor([&] { return AttributesOf(wideLink) == INVALID_FILE_ATTRIBUTES; });
}

namespace {

// The prefix's dosdevices entry `name` ("p:", "p::"); empty (and a failed test) without a prefix.
std::string DosDevicesEntry(const std::string& name) {
    char prefix[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) {
        ADD_FAILURE() << "WINEPREFIX is not set: tests run in the project's own Wine prefix";
        return {};
    }
    return std::string(prefix) + "/dosdevices/" + name;
}

}  // namespace

TestDrive::TestDrive(char letter, std::string_view folder, std::string_view probe) : letter_(letter) {
    linkPath_ = DosDevicesEntry(std::string(1, static_cast<char>(letter | 0x20)) + ":");
    if (linkPath_.empty())
        return;
    const std::wstring probePath = ToWide(Root() + Text(probe));
    ready_ = RunOnHost("ln -sfn " + ShellQuote(UnixPathOf(folder)) + " " + ShellQuote(linkPath_)) &&
             WaitFor([&] { return AttributesOf(probePath) != INVALID_FILE_ATTRIBUTES; });
    if (!ready_)
        ADD_FAILURE() << "cannot map drive " << letter;
}

TestVolumeDevice::TestVolumeDevice(char letter, std::string_view image) {
    linkPath_ = DosDevicesEntry(std::string(1, static_cast<char>(letter | 0x20)) + "::");
    if (linkPath_.empty())
        return;
    device_ = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter) + L":";
    ready_ = RunOnHost("ln -sfn " + ShellQuote(UnixPathOf(image)) + " " + ShellQuote(linkPath_)) &&
             WaitFor([&] { return DeviceReadable(device_); });
    if (!ready_)
        ADD_FAILURE() << "cannot make " << image << " the device of drive " << letter;
}

TestVolumeDevice::~TestVolumeDevice() {
    if (linkPath_.empty())
        return;
    RunOnHost("rm -f " + ShellQuote(linkPath_));
    WaitFor([&] { return !DeviceReadable(device_); });
}

TestDrive::TestDrive(char letter, std::string_view folder) : letter_(letter) {
    const char lower = static_cast<char>(letter | 0x20);
    linkPath_ = DosDevicesEntry(std::string(1, lower) + ":");
    if (linkPath_.empty())
        return;
    const std::string target = UnixPathOf(folder);
    const std::string command = "ln -sfn " + ShellQuote(target) + " " + ShellQuote(linkPath_);
    const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
    // The marker tells this folder apart from whatever the letter pointed at before.
    const std::wstring marker = ToWide(JoinPath(folder, ".tellwick-drive"));
    CreateDirectoryW(marker.c_str(), nullptr);
    ready_ = RunOnHost(command) &&
             WaitFor([&] { return AttributesOf(root + L".tellwick-drive") != INVALID_FILE_ATTRIBUTES; });
    RemoveDirectoryW(marker.c_str());
    if (!ready_)
        ADD_FAILURE() << "cannot map drive " << letter;
}

TestDrive::~TestDrive() {
    if (linkPath_.empty())
        return;
    const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter_)) + L":\\";
    RunOnHost("rm -f " + ShellQuote(linkPath_));
    WaitFor([&] { return AttributesOf(root) == INVALID_FILE_ATTRIBUTES; });
}

namespace {

Text HostEnvironmentPath(const char* variable) {
    char value[MAX_PATH * 2] = "";
    if (!GetEnvironmentVariableA(variable, value, sizeof value))
        return {};
    return WindowsPathOf(value);
}

}  // namespace

Text TellwickExePath() {
    return HostEnvironmentPath("TELLWICK_EXE");
}

Text TestHelpersFolder() {
    return HostEnvironmentPath("TELLWICK_TEST_HELPERS");
}

namespace {

// Runs `command` on the host and waits for its end: its output lands in a file under a temporary
// name first and is renamed when the command is done, so the file's appearance is the end.
std::string HostOutput(const std::string& command) {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring done = std::wstring(base) + L"tellwick-host-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    const std::string unixDone = UnixPathOf(WideToAnsi(done));
    if (unixDone.empty())
        return {};
    const std::string part = ShellQuote(unixDone + ".part");
    if (!RunOnHost("(" + command + ") >" + part + " 2>&1; mv " + part + " " + ShellQuote(unixDone)) ||
        !WaitFor([&] { return AttributesOf(done) != INVALID_FILE_ATTRIBUTES; }))
        return {};
    std::string output;
    {
        const UniqueFile file(
            CreateFileW(done.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        char buffer[4096];
        DWORD read = 0;
        while (file && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            output.append(buffer, read);
    }
    DeleteFileW(done.c_str());
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

}  // namespace

bool SetUnixMode(std::string_view windowsPath, std::string_view mode) {
    const std::string unixPath = UnixPathOf(windowsPath);
    return !unixPath.empty() &&
           HostOutput("chmod " + std::string(mode) + " " + ShellQuote(unixPath) + " && echo done") == "done";
}

std::string UnixModeOf(std::string_view windowsPath) {
    const std::string unixPath = UnixPathOf(windowsPath);
    return unixPath.empty() ? std::string() : HostOutput("stat -c %a " + ShellQuote(unixPath));
}

ScopedUnixMode::ScopedUnixMode(std::string_view windowsPath, std::string_view mode)
    : path_(windowsPath), former_(UnixModeOf(windowsPath)) {
    ready_ = !former_.empty() && SetUnixMode(path_, mode);
    if (!ready_)
        ADD_FAILURE() << "cannot set the Unix mode " << mode << " of " << path_;
}

ScopedUnixMode::~ScopedUnixMode() {
    if (!former_.empty())
        SetUnixMode(path_, former_);
}

bool PermissionsEnforced() {
    // A folder closed to writing, asked to take a file.
    static const bool enforced = [] {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        const std::wstring folder =
            std::wstring(base) + L"tellwick-probe-" + std::to_wstring(GetCurrentProcessId());
        if (!CreateDirectoryW(folder.c_str(), nullptr))
            return false;
        const Text ansiFolder = WideToAnsi(folder);
        bool refused = false;
        if (SetUnixMode(ansiFolder, "555")) {
            const std::wstring file = folder + L"\\probe";
            const UniqueFile created(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
            refused = !created.Valid() && GetLastError() == ERROR_ACCESS_DENIED;
            SetUnixMode(ansiFolder, "755");
        }
        RemoveDirectoryW(folder.c_str());
        return refused;
    }();
    return enforced;
}

bool PermissionsExpected() {
    char value[8] = "";
    return GetEnvironmentVariableA("TELLWICK_PERMISSIONS_ENFORCED", value, sizeof value) == 1 &&
           value[0] == '1';
}
