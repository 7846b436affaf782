// The one form every seam of the platform layer takes: a table of the calls a unit makes where
// Windows answers in ways Wine does not show, and a guard that installs other answers for a scope.
//
// A table is a struct of std::function members, each named after the call it stands for and
// taking that call's arguments and answer; an empty member keeps the platform's own call. A test
// installs stand-ins that act on real files and answer as Microsoft documents:
//
//     const ScopedFileWriteCalls standIns({AnswerUnableToRemove, {}, {}});
//
// and the unit reads the table in force with InstalledCalls<FileWriteCalls>().
#pragma once

#include <utility>

template <typename Calls>
Calls& InstalledCalls() {
    static Calls calls;
    return calls;
}

// Installs `calls` while it lives; the table in force before comes back when it ends, so guards
// nest.
template <typename Calls>
class ScopedCalls {
   public:
    explicit ScopedCalls(Calls calls) : previous_(std::exchange(InstalledCalls<Calls>(), std::move(calls))) {}
    ScopedCalls(const ScopedCalls&) = delete;
    ScopedCalls& operator=(const ScopedCalls&) = delete;
    ~ScopedCalls() { InstalledCalls<Calls>() = std::move(previous_); }

   private:
    Calls previous_;
};
