// Switching the game's DX11 test mode on and off in Game\Config\game.cfg.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

#include <optional>

// Where the switch lives in game.cfg.
inline constexpr char kDx11Section[] = "General";
inline constexpr char kDx11Key[] = "DX11BetaTest";

// What the switch-on tells the optimize command: nothing when the key was written, otherwise the
// message that says what was not done.
struct Dx11Outcome {
    const Text* failure = nullptr;
    explicit operator bool() const { return failure == nullptr; }
};

// The DX11 step of the optimize command; shows nothing itself.
Dx11Outcome EnableDx11TestMode(const ProgramState& state);

// Handler of 超级按钮1 "点我恢复".
void DisableDx11TestMode(const ProgramState& state, ControlPort& ui);

// Records a change of the key under `root` from `before` to `after` (nothing: the key is absent),
// the words led by `lead`; a value that did not change is no change.
void RecordDx11Change(const Text& root, const std::optional<Text>& before, const std::optional<Text>& after,
                      const Text& lead = {});
