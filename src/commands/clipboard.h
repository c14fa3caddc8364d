// commands/clipboard.h — Cut, Copy and Paste of cell blocks through the platform clipboard.
//
// Copy puts a block on the clipboard in two formats at once: the program's own, which carries
// each cell's entry text and its attributes, and plain text for other programs, which carries
// each cell's displayed text. Both are one line per row ending in CR LF, cells separated by one
// TAB, Windows-1252 bytes. Paste takes the program's own format when the clipboard has it,
// otherwise plain text, and enters every field through cell entry.
// Reads and writes: the current worksheet's cells (through cell entry), the clipboard (platform),
// entry's message suppression and, for the duration of a paste, the manual-recalculation byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/commands.h"
#include "core/address.h"
#include "platform/platform.h"

// A copy stops after the cell that takes either text past this many bytes.
constexpr size_t kClipTextLimit = 63000;

// The two texts of a block as Copy hands them over.
struct ClipTexts {
  std::string privateText;
  std::string plainText;
  bool complete = true;  // false: cut short after the cell at (stopRow, stopColumn)
  uint16_t stopRow = 0;
  uint16_t stopColumn = 0;
};

// Builds both texts of `block` (rows ascending, columns ascending within a row). A locked cell
// while protection is on gives an empty field in both. A number's entry text is the shortest text
// that reads back to the same number. Reads the current sheet only.
ClipTexts BuildClipTexts(const CellRange& block);

// Copies `block` to the clipboard in both formats. When a text passes kClipTextLimit, the part up
// to that cell is still handed over and " Clip Buffer Exceeded!", a line break, "Cell: " and the
// cell's reference are shown; the result is kFailed. With `cut`, a block copied whole then has its
// contents erased (locked cells under protection keep theirs) as one undo step; a block cut short
// is not erased, so nothing is lost that is not on the clipboard.
CommandResult CopyToClipboard(const CellRange& block, bool cut);

// Pastes the clipboard with its top-left field at (row, column): the private format when present,
// otherwise plain text; an empty clipboard pastes nothing. One undo step.
CommandResult PasteFromClipboard(uint32_t row, uint32_t column);

// Pastes `text` as PasteFromClipboard does with a clipboard holding it in `format`. The text is
// untrusted and may have any size: lines end at CR, LF or CR LF (a final line end starts no
// further line); fields are split at TAB; a NUL ends the text. Each field is entered through cell
// entry; a field that does not compile is stored as a label with its text. In the private format
// a field's attribute list starts at its last ";F" followed by a digit; items whose value is out
// of range (a byte outside 0..255, a font the sheet does not have) are ignored. Lines and fields
// beyond the grid are dropped. A refusal (a locked cell, memory) stops the paste with its message.
CommandResult PasteText(std::string_view text, ClipFormat format, uint32_t row, uint32_t column);
