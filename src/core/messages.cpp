// core/messages.cpp — error reporting through the platform seam.
#include "core/messages.h"

#include "core/engine_hooks.h"
#include "platform/platform.h"

namespace {
ErrorTrap errorTrap = nullptr;
}  // namespace

void SetErrorTrap(ErrorTrap trap) { errorTrap = trap; }

void ShowError(std::string_view text) {
  if (errorTrap && errorTrap(text)) return;
  ThePlatform().Beep();
  if (Hooks().stopMacro) Hooks().stopMacro();
  ThePlatform().Message("Error:", text);
}

EngineHooks& Hooks() {
  static EngineHooks hooks;
  return hooks;
}
