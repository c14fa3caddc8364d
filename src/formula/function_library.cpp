// formula/function_library.cpp — the user-function library and the current sheet's list.
//
// A sheet entry is one pool block: a 13-byte length-prefixed name, the argument count byte, then
// the definition as a length-prefixed text (block size 15 + text length). Entry i (from 1) lives
// in the current sheet's function table at i - 1.
// Reads and writes: the library (LibraryState below); the current sheet's function table.
#include "formula/function_library.h"
#include "core/text_case.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "core/pool.h"
#include "core/sheet_state.h"
#include "formula/formula_code.h"

namespace {

constexpr size_t kCountOffset = 13;  // after the 13-byte name field
constexpr size_t kTextOffset = 14;

struct LibraryState {
  std::vector<UserFunction> functions;
};

LibraryState& Library() {
  static LibraryState state;
  return state;
}

std::string Upper(std::string_view text) { return UpperCase(text); }
bool SameName(std::string_view a, std::string_view b) { return SameTextIgnoringCase(a, b); }

UserFunction Normalised(std::string_view name, std::string_view text, int argumentCount) {
  UserFunction f;
  f.name = Upper(name.substr(0, kMaxUserFunctionName));
  f.text = std::string(text.substr(0, kMaxUserFunctionText));
  f.argumentCount = uint8_t(std::clamp(argumentCount, 0, kMaxUserFunctionArguments));
  return f;
}

uint32_t EntrySize(const uint8_t* p) { return uint32_t(kTextOffset + 1 + p[kTextOffset]); }

std::string ListItem(std::string_view name, int arguments, bool variable) {
  std::string item(name);
  if (variable) return item + "( var )";
  if (arguments > 0) item += "(" + std::to_string(arguments) + ")";
  return item;
}

std::string EntryName(const uint8_t* p) {
  return std::string(reinterpret_cast<const char*>(p + 1),
                     std::min<size_t>(p[0], kMaxUserFunctionName));
}

}  // namespace

void ClearFunctionLibrary() { Library().functions.clear(); }

bool AddLibraryFunction(std::string_view name, std::string_view text, int argumentCount) {
  auto& functions = Library().functions;
  if (int(functions.size()) >= kMaxUserFunctions) return false;
  functions.push_back(Normalised(name, text, argumentCount));
  return true;
}

int LibraryFunctionCount() { return int(Library().functions.size()); }

const UserFunction& LibraryFunction(int index) { return Library().functions.at(index - 1); }

int FindLibraryFunction(std::string_view name) {
  const auto& functions = Library().functions;
  for (size_t i = 0; i < functions.size(); ++i) {
    if (SameName(functions[i].name, name)) return int(i + 1);
  }
  return 0;
}

int SheetFunctionCount() { return CurrentSheet().functionCount; }

bool SheetFunctionAt(int index, UserFunction* out) {
  if (index < 1 || index > SheetFunctionCount()) return false;
  const uint8_t* p = PoolPtr(CurrentSheet().functionTable[index - 1]);
  if (!p) return false;
  out->name = EntryName(p);
  out->argumentCount = p[kCountOffset];
  out->text = std::string(reinterpret_cast<const char*>(p + kTextOffset + 1), p[kTextOffset]);
  return true;
}

int FindSheetFunction(std::string_view name) {
  const SheetState& sheet = CurrentSheet();
  for (int i = 0; i < sheet.functionCount; ++i) {
    const uint8_t* p = PoolPtr(sheet.functionTable[i]);
    if (p && SameName(EntryName(p), name)) return i + 1;
  }
  return 0;
}

int AddSheetFunction(std::string_view name, std::string_view text, int argumentCount) {
  SheetState& sheet = CurrentSheet();
  if (sheet.functionCount >= kMaxUserFunctions) return 0;
  const UserFunction f = Normalised(name, text, argumentCount);
  const uint32_t size = uint32_t(kTextOffset + 1 + f.text.size());
  PoolHandle block = PoolAlloc(size);
  if (!block) return 0;
  uint8_t* p = PoolPtr(block);
  std::memset(p, 0, size);
  p[0] = uint8_t(f.name.size());
  std::memcpy(p + 1, f.name.data(), f.name.size());
  p[kCountOffset] = f.argumentCount;
  p[kTextOffset] = uint8_t(f.text.size());
  std::memcpy(p + kTextOffset + 1, f.text.data(), f.text.size());
  sheet.functionTable[sheet.functionCount] = block;
  return ++sheet.functionCount;
}

int ResolveUserFunction(std::string_view name) {
  if (int index = FindSheetFunction(name)) return index;
  int libraryIndex = FindLibraryFunction(name);
  if (libraryIndex == 0) return 0;
  const UserFunction& f = LibraryFunction(libraryIndex);
  return AddSheetFunction(f.name, f.text, f.argumentCount);
}

void ResetSheetFunctions() {
  SheetState& sheet = CurrentSheet();
  for (int i = 0; i < sheet.functionCount; ++i) {
    if (const uint8_t* p = PoolPtr(sheet.functionTable[i])) {
      PoolFree(sheet.functionTable[i], EntrySize(p));
    }
    sheet.functionTable[i] = kNoBlock;
  }
  sheet.functionCount = 0;
}

std::vector<std::string> FunctionListItems() {
  std::vector<std::string> items{ListItem("NOT", 1, false)};
  for (int op = int(Op::kNa); op <= kLastNamedOpcode; ++op) {
    std::string_view name = OpcodeName(uint8_t(op));
    if (name.empty()) continue;
    const uint16_t cls = OpcodeClass(uint8_t(op));
    items.push_back(ListItem(name, cls - kClassFixed0, cls == kClassVariable));
  }
  std::sort(items.begin(), items.end());
  items.push_back("--External--");
  for (const UserFunction& f : Library().functions) {
    items.push_back(ListItem(f.name, f.argumentCount, false));
  }
  return items;
}
