// What the tests need from the Linux host that Wine runs on: drive letters mapped to test folders,
// directory links, and the paths of the built programs.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

// Maps a drive letter to a folder for the object's lifetime: a symbolic link in the prefix's
// dosdevices folder, as a user's mapped drive would be. File calls see the drive at once. Wine's
// drive list (and a drive's label) is read when its mount manager starts, so scripts/test.sh makes
// the test letters P to Y exist beforehand; a test only points its letter elsewhere.
class TestDrive {
   public:
    TestDrive(char letter, std::string_view folder);
    // For a folder the test cannot write to (a read-only mount): `probe`, a path relative to the
    // folder that exists there, tells it apart from what the letter pointed at before.
    TestDrive(char letter, std::string_view folder, std::string_view probe);
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;
    ~TestDrive();

    // "X", and the drive root "X:\".
    Text Letter() const { return Text(1, letter_); }
    Text Root() const { return Letter() + ":\\"; }
    bool Ready() const { return ready_; }

   private:
    char letter_;
    std::string linkPath_;
    bool ready_ = false;
};

// Makes `image` (a file) the device behind drive `letter` for the object's lifetime, as Wine's
// "x::" entry in dosdevices names a drive's device: \\.\X: then opens and reads the image.
class TestVolumeDevice {
   public:
    TestVolumeDevice(char letter, std::string_view image);
    TestVolumeDevice(const TestVolumeDevice&) = delete;
    TestVolumeDevice& operator=(const TestVolumeDevice&) = delete;
    ~TestVolumeDevice();
    bool Ready() const { return ready_; }

   private:
    std::string linkPath_;
    std::wstring device_;
    bool ready_ = false;
};

// Creates a directory symbolic link `link` that points at `target` (both Windows paths). Wine
// reports such a link with FILE_ATTRIBUTE_REPARSE_POINT, as Windows does a junction.
bool MakeDirectoryLink(std::string_view link, std::string_view target);
// Removes such a link, never what it points at (Wine 8 cannot remove it itself).
bool RemoveDirectoryLink(std::string_view link);

// The Unix permissions of a file or folder, as chmod takes and stat prints them ("755"): set, and
// read back. Empty when the host did not answer.
bool SetUnixMode(std::string_view windowsPath, std::string_view mode);
std::string UnixModeOf(std::string_view windowsPath);

// Gives a file or folder the Unix permissions `mode` for the object's lifetime, and its own back
// afterwards, so that the test's tree can be removed whatever failed.
class ScopedUnixMode {
   public:
    ScopedUnixMode(std::string_view windowsPath, std::string_view mode);
    ScopedUnixMode(const ScopedUnixMode&) = delete;
    ScopedUnixMode& operator=(const ScopedUnixMode&) = delete;
    ~ScopedUnixMode();
    bool Ready() const { return ready_; }

   private:
    std::string path_;
    std::string former_;
    bool ready_ = false;
};

// Whether the file system's permissions hold for this process: Wine running as an ordinary user
// enforces them, Wine as root does not. Tests of a denial skip themselves where it is false; they
// run for real in the CTest entries "..._unprivileged" (tests/run_unprivileged.sh).
bool PermissionsEnforced();
// Whether the run was started to have them hold (TELLWICK_PERMISSIONS_ENFORCED=1): then a test of a
// denial fails rather than skips where they do not.
bool PermissionsExpected();
// Skips the running test where permissions do not hold, and says where it runs instead.
#define SKIP_UNLESS_PERMISSIONS_ENFORCED()                                                            \
    do {                                                                                              \
        if (!PermissionsEnforced()) {                                                                 \
            if (PermissionsExpected())                                                                \
                FAIL() << "this run was to enforce the file system's permissions, and does not";      \
            GTEST_SKIP() << "runs as an ordinary user only, in the CTest entry <test>_unprivileged: " \
                            "Wine as root passes every permission check";                             \
        }                                                                                             \
    } while (0)

// The Unix path behind a Windows path, and the Windows path of a Unix path.
std::string UnixPathOf(std::string_view windowsPath);
Text WindowsPathOf(std::string_view unixPath);

// Built programs, from the environment CTest sets: Tellwick.exe, and the folder of the small
// helper programs of the test suite.
Text TellwickExePath();
Text TestHelpersFolder();
