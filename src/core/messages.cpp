// core/messages.cpp — error reporting through the platform seam, and the installed engine layers.
#include "core/messages.h"

#include <cstdio>
#include <cstdlib>

#include "core/engine_layers.h"
#include "platform/platform.h"

namespace {

struct MessagesState {
  EngineLayers* layers = nullptr;
  ErrorTrap errorTrap = nullptr;
};

MessagesState& TheMessagesState() {
  static MessagesState state;
  return state;
}

}  // namespace

void SetErrorTrap(ErrorTrap trap) { TheMessagesState().errorTrap = trap; }

void ShowError(std::string_view text) {
  const ErrorTrap trap = TheMessagesState().errorTrap;
  if (trap && trap(text)) return;
  ThePlatform().Beep();
  ThePlatform().Message("Error:", text);
}

EngineLayers& TheEngineLayers() {
  EngineLayers* layers = TheMessagesState().layers;
  if (!layers) {
    std::fputs("tallivo: the engine was used before StartEngine or ResetEngineState\n", stderr);
    std::abort();
  }
  return *layers;
}

void InstallEngineLayers(EngineLayers* layers) { TheMessagesState().layers = layers; }
