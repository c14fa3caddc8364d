// files/macro_button.cpp — decoding and encoding the description of a worksheet's macro button.
#include "files/macro_button.h"

#include "core/address.h"

namespace {

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void PutWord(std::vector<uint8_t>* out, uint16_t value) {
  out->push_back(uint8_t(value));
  out->push_back(uint8_t(value >> 8));
}

bool FieldsValid(const MacroButton& b) {
  return b.column < kColumnCount && b.row < kRowCount && b.width >= 1 &&
         b.width <= kMacroButtonMaxSize && b.height >= 1 && b.height <= kMacroButtonMaxSize &&
         !b.macro.empty() && b.macro.size() <= kMacroButtonMaxMacro;
}

}  // namespace

std::optional<MacroButton> DecodeMacroButton(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 10 || size > kMacroButtonMaxRecord) return std::nullopt;
  MacroButton b;
  b.column = Word(data);
  b.row = Word(data + 2);
  b.width = Word(data + 4);
  b.height = Word(data + 6);
  size_t at = 8;
  const size_t captionLength = data[at++];
  if (captionLength > size - at - 1) return std::nullopt;  // room for the macro's length byte
  b.caption.assign(reinterpret_cast<const char*>(data + at), captionLength);
  at += captionLength;
  const size_t macroLength = data[at++];
  if (macroLength != size - at) return std::nullopt;
  b.macro.assign(reinterpret_cast<const char*>(data + at), macroLength);
  if (!FieldsValid(b)) return std::nullopt;
  return b;
}

std::optional<std::vector<uint8_t>> EncodeMacroButton(const MacroButton& button) {
  if (!FieldsValid(button)) return std::nullopt;
  const std::string caption = button.caption.substr(0, 255);
  std::vector<uint8_t> out;
  out.reserve(10 + caption.size() + button.macro.size());
  PutWord(&out, button.column);
  PutWord(&out, button.row);
  PutWord(&out, button.width);
  PutWord(&out, button.height);
  out.push_back(uint8_t(caption.size()));
  out.insert(out.end(), caption.begin(), caption.end());
  out.push_back(uint8_t(button.macro.size()));
  out.insert(out.end(), button.macro.begin(), button.macro.end());
  return out;
}
