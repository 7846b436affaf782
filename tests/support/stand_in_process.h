// Real processes under chosen executable names, for the tests of the launcher check.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/text.h"

// Held by every test whose outcome depends on whether a process named wegame.exe runs, so that
// test programs running side by side do not see each other's stand-in launcher. The lock is a
// named mutex of the Wine prefix; a crashed holder releases it by ending.
class LauncherNameLock {
   public:
    LauncherNameLock();
    LauncherNameLock(const LauncherNameLock&) = delete;
    LauncherNameLock& operator=(const LauncherNameLock&) = delete;
    ~LauncherNameLock();

   private:
    UniqueKernel mutex_;
    bool owned_ = false;
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
