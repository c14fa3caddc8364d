// formula/formula_code.h — formula code: the opcode tables, the code walker, cell operands.
//
// Formula code is a length-prefixed reverse-Polish byte string: byte 0 is the position of the
// end marker 0x03, byte 1 is 0, tokens start at byte 2, and the buffer never exceeds 240 bytes.
// In a cell a cell operand holds the handle of the referenced cell record plus two absolute
// flags; in a file (and in Undo and copy) it holds column and row words relative to the formula's
// own cell. Every pass over code walks it with `CodeWalker`, which never reads past byte 0 or past
// the 240-byte buffer, whatever the bytes say.
// State: none of its own; the conversions read and create cell records of the current sheet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Formula code never reaches position 240: the end marker sits at 239 at the latest.
constexpr int kMaxCodeSize = 240;
constexpr int kCodeStart = 2;
constexpr uint8_t kEndMarker = 0x03;
// The highest opcode with an entry in the name table.
constexpr uint8_t kLastNamedOpcode = 0xBB;
// Name table entries hold at most this many characters.
constexpr size_t kMaxFunctionName = 12;

enum class Op : uint8_t {
#define TALLIVO_OPCODE(code, id, name, cls, precedence) id = code,
#include "formula/opcodes.def"
};

// Opcode classes (the class column of opcodes.def). Classes 10..14 take (class - 10) arguments.
constexpr uint16_t kClassConstant = 0;      // 8-byte double
constexpr uint16_t kClassCell = 1;          // one cell operand
constexpr uint16_t kClassRange = 2;         // two cell operands, ending corner first
constexpr uint16_t kClassEnd = 3;           // end marker
constexpr uint16_t kClassParentheses = 4;   // "(...)" around the preceding subexpression
constexpr uint16_t kClassInteger = 5;       // signed 16-bit integer
constexpr uint16_t kClassString = 6;        // characters and a 0 byte
constexpr uint16_t kClassExternal = 7;      // 8 bytes of corners, then a path and a 0 byte
constexpr uint16_t kClassPrefix = 8;        // unary minus / plus
constexpr uint16_t kClassInfix = 9;         // binary operators
constexpr uint16_t kClassFixed0 = 10;       // functions with 0..4 arguments: 10..14
constexpr uint16_t kClassFixed1 = 11;
constexpr uint16_t kClassFixed2 = 12;
constexpr uint16_t kClassFixed3 = 13;
constexpr uint16_t kClassFixed4 = 14;
constexpr uint16_t kClassVariable = 15;     // function with a count byte
constexpr uint16_t kClassPostfix = 16;      // "%" and "!"
constexpr uint16_t kClassUserFunction = 0xFE;  // index byte into the sheet's user functions

// The class of an opcode (the 256-entry class table). Opcode 0xFF, the named-range call, has
// class 11 here; walkers tell it apart by its opcode.
uint16_t OpcodeClass(uint8_t opcode);
// The binding strength of an operator opcode in the formula compiler (opcodes.def), higher
// binding tighter; 0 for every opcode that is no operator.
int OpcodePrecedence(uint8_t opcode);
// The name table entry of an opcode 0x08..0xBB ("" for the unnamed ones and for every other
// opcode). Functions are named without their "@".
std::string_view OpcodeName(uint8_t opcode);
// Operand bytes after the opcode for classes with a fixed operand size; -1 when the size depends
// on the bytes (strings, external references, the named-range call).
int FixedOperandLength(uint8_t opcode);
// The function opcode whose name equals `upperName` (exact comparison; empty names never
// match), searched from 0x08 to 0xBB; -1 when none.
int FindFunctionOpcode(std::string_view upperName);

// --- little-endian helpers ------------------------------------------------------------------------

inline uint16_t ReadWord(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void WriteWord(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline uint32_t ReadLong(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteLong(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
double ReadDouble(const uint8_t* p);
void WriteDouble(uint8_t* p, double v);

// --- cell operands, in-memory form ---------------------------------------------------------------

constexpr uint32_t kOperandAbsoluteRow = 0x80000000u;
constexpr uint32_t kOperandAbsoluteColumn = 0x40000000u;
constexpr uint32_t kOperandHandleMask = 0x3FFFFFFFu;

// The handle part of an in-memory operand; 0 is a reference to nothing.
inline uint32_t OperandHandle(uint32_t operand) { return operand & kOperandHandleMask; }

// --- walking ------------------------------------------------------------------------------------

struct CodeToken {
  uint8_t opcode = 0;
  uint16_t cls = 0;   // OpcodeClass(opcode)
  int position = 0;   // of the opcode byte
  int operand = 0;    // position of the first operand byte
  int length = 0;     // operand bytes
};

// Walks the tokens of a code buffer from byte 2 up to the end marker or position byte 0. Reads
// only bytes 0..min(byte 0, 239, size - 1), so hostile code can neither lead it past the buffer
// nor past byte 0. A token whose operand would run past that limit ends the walk as broken.
class CodeWalker {
 public:
  // `code` holds at least `size` readable bytes (a cell's text block holds byte 0 + 1).
  CodeWalker(const uint8_t* code, size_t size);
  // Gives the next token; false at the end marker, at position byte 0, or on a broken token.
  bool Next(CodeToken* token);
  // True when the walk stopped on an end marker opcode.
  bool SawEndMarker() const { return sawEnd_; }
  // True when the walk stopped on a token that does not fit.
  bool Broken() const { return broken_; }
  // The position the walk has reached.
  int Position() const { return position_; }

 private:
  const uint8_t* code_;
  int limit_;  // no operand byte at or beyond this position
  int position_ = kCodeStart;
  bool sawEnd_ = false;
  bool broken_ = false;
};

// Bytes of a code buffer that the walker may read: byte 0 + 1, at most 240.
inline size_t CodeBufferSize(const uint8_t* code) {
  return code[0] < kMaxCodeSize ? size_t(code[0]) + 1 : size_t(kMaxCodeSize);
}

// True when byte 0 is below 240 and the byte it names is the end marker (valid for turning into
// text and for evaluation).
bool CodeIsValid(const uint8_t* code, size_t size);

// --- conversion between the in-memory and the file form ----------------------------------------------

// Copies code (byte 0 + 1 bytes, at most 240) into `out` and converts its cell operands to file
// form relative to (row, column). Reads the referenced cell records; a zero operand becomes a
// reference that reads back as nothing. Gives false on code that does not walk to its end.
bool CodeToFileForm(const uint8_t* code, uint16_t row, uint16_t column, uint8_t* out);
// Converts the cell operands of file-form code in place to the in-memory form for a formula at
// (row, column), finding or creating each referenced cell. A column of 256 or more gives a
// reference to nothing. Gives false, leaving the code unchanged, on code that does not walk to its
// end or when a cell record cannot be had.
bool CodeToCellForm(uint8_t* code, uint16_t row, uint16_t column);

// One file-form operand (column word, row word) for a position and absolute flags.
void EncodeFileOperand(uint16_t targetRow, uint16_t targetColumn, bool absoluteRow,
                       bool absoluteColumn, uint16_t baseRow, uint16_t baseColumn, uint8_t* out);
// The position a file-form operand names from (baseRow, baseColumn); the column may be 256 or
// more (a reference to nothing).
void DecodeFileOperand(const uint8_t* operand, uint16_t baseRow, uint16_t baseColumn,
                       uint16_t* row, uint16_t* column, bool* absoluteRow, bool* absoluteColumn);

// Calls `visit` with the address of every 4-byte cell operand of the code (cell and range operands
// and the operand inside a named-range call), in either form. Gives false when the walk breaks or
// a call of `visit` gives false (the walk goes on to the end either way).
bool VisitCellOperands(uint8_t* code, size_t size, const std::function<bool(uint8_t*)>& visit);

// True when the code calls a user function (opcode 0xFE).
bool CallsUserFunction(const uint8_t* code, size_t size);

// --- stack effect ----------------------------------------------------------------------------------

// Values a token takes off the evaluation stack; every token but the end marker leaves one value.
// For 0xFE the declared count of the sheet's function (0 for an index not in the list), for 0xFF
// the number of columns of its range. Reads the referenced cell records of in-memory operands.
int TokenArgumentCount(const uint8_t* code, const CodeToken& token);
// True when the code walks to its end marker and its tokens, run in order, never take more values
// than there are and leave exactly one.
bool CodeIsBalanced(const uint8_t* code, size_t size);

// --- dumps --------------------------------------------------------------------------------------

enum class CodeForm : uint8_t { kCell, kFile };

// A readable dump of the tokens, e.g. "RangeRef A3 A1, Integer 5, @SUM/2, End". Cell-form
// operands print the referenced cell ("ERR" for nothing); file-form operands their two words in
// hex ("BFFF:8002"). A broken token prints as "<broken at N>", a missing end as "<no end>".
std::string DumpCode(const uint8_t* code, size_t size, CodeForm form);
inline std::string DumpCode(std::string_view code, CodeForm form) {
  return code.empty() ? std::string("<empty>")
                      : DumpCode(reinterpret_cast<const uint8_t*>(code.data()), code.size(), form);
}
