// files/macro_button.h — the stored description of a macro button placed on a worksheet.
//
// A worksheet keeps its buttons as extension records 0x50, one record a button, held raw with
// the sheet (core/sheet_extras.h macroButtons) so that a load followed by a save gives them
// back byte for byte. The description, little-endian:
//   0  2  anchor column (0..255): the button's top-left corner is the cell's top-left corner
//   2  2  anchor row (0..8191)
//   4  2  width in pixels at zoom 100 (1..2048)
//   6  2  height in pixels at zoom 100 (1..2048)
//   8  1  caption length c (0..255), then c bytes of caption (Windows-1252)
//   .  1  macro length m (1..32), then m bytes: the range name (or range text) whose first cell
//         starts the macro
// A record of any other length, or with a field out of its range, describes no button: it is
// kept for saving and not shown. The longest description is 297 bytes.
// State: none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr size_t kMacroButtonMaxRecord = 297;
constexpr size_t kMacroButtonMaxMacro = 32;
constexpr uint16_t kMacroButtonMaxSize = 2048;

struct MacroButton {
  uint16_t column = 0;   // anchor cell
  uint16_t row = 0;
  uint16_t width = 0;    // pixels at zoom 100
  uint16_t height = 0;
  std::string caption;   // at most 255 bytes
  std::string macro;     // range name or range text, 1..32 bytes
};

// Reads a description; nothing when the bytes describe no button (see above).
std::optional<MacroButton> DecodeMacroButton(const uint8_t* data, size_t size);
inline std::optional<MacroButton> DecodeMacroButton(const std::vector<uint8_t>& bytes) {
  return DecodeMacroButton(bytes.data(), bytes.size());
}
// Writes a description; the caption is cut to 255 bytes. Nothing when the button's fields are
// out of range (an invalid anchor or size, an empty or too long macro).
std::optional<std::vector<uint8_t>> EncodeMacroButton(const MacroButton& button);
