// Real processes under chosen executable names, for the tests of the launcher check.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/text.h"

// Held by every test whose outcome depends on whether a process named wegame.exe runs, so that
// test programs running side by side do not see each other's stand-in launcher. The lock is a file
// in the prefix's temporary folder held open without sharing; a crashed holder releases it by
// ending. (A named mutex was tried first: under Wine 8, after the tests had started Unix programs,
// creating it failed with ERROR_INVALID_HANDLE.)
class LauncherNameLock {
   public:
    LauncherNameLock();
    LauncherNameLock(const LauncherNameLock&) = delete;
    LauncherNameLock& operator=(const LauncherNameLock&) = delete;
    ~LauncherNameLock();

   private:
    UniqueFile file_;
};

// A copy of the idle helper program saved as `folder`\`exeName` and started from there; it is
// ended when the object goes away.
class StandInProcess {
   public:
    StandInProcess(const Text& folder, const Text& exeName);
    StandInProcess(const StandInProcess&) = delete;
    StandInProcess& operator=(const StandInProcess&) = delete;
    ~StandInProcess();

    // The process id; 0 when it could not be started.
    std::uint32_t Id() const { return id_; }

   private:
    UniqueKernel process_;
    std::uint32_t id_ = 0;
};
