// files/worksheet_file.h — reading and writing worksheet files (WKS/WK1 with an extension block).
//
// A file is a stream of records: type word, length word, data. The part up to the first EOF
// record is a valid WK1 file; after it, framed by 0x1A bytes, come the extension records that
// carry what WK1 has no room for (cell attributes, pixel widths, graphs' own settings, colours,
// margins, texts, user functions, window layout). Saving never destroys the previous file: the
// new one is written under a temporary name in the same directory and renamed over it when
// complete. Reads and writes: the current worksheet (cells, options, names, graphs, user
// functions, layout, extras); the loader's and saver's settings below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/address.h"
#include "core/worksheets.h"

// Load modes. 0 reads a whole worksheet into the current (empty) sheet; any merge mode takes only
// the cell records into the current sheet (the merge commands give the modes their meaning).
enum LoadMode : uint16_t {
  kLoadWhole = 0,
  kLoadMergeCells = 1,
};

// The merge mode word: kMergeMode plus kind x 4 (1 values: formulas arrive as their stored
// results; 2 formulas) plus the action (1 replace, 2 sum, 3 difference).
constexpr uint16_t kMergeMode = 16;
constexpr uint16_t kMergeValues = 4;
constexpr uint16_t kMergeFormulas = 8;
constexpr uint16_t kMergeActionMask = 3;
constexpr uint16_t kMergeReplace = 1;
constexpr uint16_t kMergeSum = 2;
constexpr uint16_t kMergeDifference = 3;

// The name a worksheet is saved or loaded under: `name` itself when its last path component
// holds a ".", else `name` + ".wks" (".WKS" when the letters of the name are all upper case).
std::string WorksheetFileName(std::string_view name);
// The backup name: the last character replaced by "B", or "b" when it is a lower-case letter
// (or, for a character that is no letter, when the name is not all upper case).
std::string BackupFileName(std::string_view name);

// Whether saving keeps the previous file as a backup (the "BACKUPS=" setting; on by default).
void SetWorksheetBackups(bool on);
bool WorksheetBackups();

// Saves the current worksheet (or only the cells of `range`, without settings records, when
// `range` is given) to `fileName` (completed by WorksheetFileName). Clears the modified flag.
// On failure reports "Unable to WRITE" or "Unable to CLOSE file" through ShowError, removes the
// temporary file and leaves the previous file and its backup as they were; gives false.
bool SaveWorksheet(std::string_view fileName, const CellRange* range = nullptr);

// The bytes SaveWorksheet would write (tests, fuzzing, the clipboard). Leaves the modified flag.
std::vector<uint8_t> WorksheetBytes(const CellRange* range = nullptr);

// Reads `fileName` (completed by WorksheetFileName) into the current worksheet, then converts and
// links the formulas and recalculates (FinishLoadedFormulas). Reports "Unable to Open File",
// "Error at Record: N" (damaged input or memory exhausted; what was read stays) and
// "Invalid Formula at "A1"" through ShowError. Gives false when the file could not be opened or
// reading stopped on an error.
bool LoadWorksheet(std::string_view fileName, uint16_t mode = kLoadWhole);
// Reads a whole file as LoadWorksheet does, but leaves every formula with the value the file
// carries (no recalculation): how linked files are read, possibly in the middle of an
// evaluation of another sheet.
bool LoadWorksheetAsStored(std::string_view fileName);
// The same from bytes in memory (tests, fuzzing, the clipboard).
bool LoadWorksheetBytes(const uint8_t* data, size_t size, uint16_t mode = kLoadWhole);
bool LoadWorksheetBytesAsStored(const uint8_t* data, size_t size);

// Merges the cells of worksheet file `fileName` (taken as given) into the current sheet at
// (row, column), as the reader in merge mode word `mode` produces them. `source` empty takes the
// whole file; a text holding "." is a range of the file; anything else names a range of the
// file (no such name: nothing merged). The block's first cell lands on the target. Only cell
// records are taken: the sheet's names, settings and layout stay. Sum adds the incoming number
// to the number already there (0 for none), difference subtracts it. Cells that the offset
// puts off the grid are skipped with one "Out of Range"; with protection on, locked cells (and
// positions without a cell) keep their content, with one "Protected Cell". Merged formulas are
// converted and linked but not recalculated: the caller recalculates. The progress display
// follows the reader through the file (the caller hides it afterwards). Reports the reader's
// messages; gives false when the file could not be opened or reading stopped on an error.
bool MergeWorksheet(std::string_view fileName, uint16_t mode, uint32_t row, uint32_t column,
                    std::string_view source);
bool MergeWorksheetBytes(const uint8_t* data, size_t size, uint16_t mode, uint32_t row,
                         uint32_t column, std::string_view source);

// The range names a worksheet file defines, in file order (the merge dialog lists them).
struct FileRangeName {
  std::string name;
  CellRange range;
};
std::vector<FileRangeName> WorksheetFileRangeNames(const uint8_t* data, size_t size);
bool ReadWorksheetFileRangeNames(std::string_view fileName, std::vector<FileRangeName>* names);

// Converts every formula of the current sheet still in file form (kind bit 0x10) to the
// in-memory form and links it, then recalculates the sheet. A formula whose code cannot be
// converted (damaged code, memory exhausted) keeps its last value as a number or label and is
// reported as "Invalid Formula at "A1"". Called at the end of every load; `recalculate` false
// leaves every formula with the value the file carries.
void FinishLoadedFormulas(bool recalculate = true);

// Rewrites the relative column words of file-form `code` for a formula in `column` so that the
// low 8 bits are the signed offset (modulo 256), as programs without our extension block write
// them (0x80FF for one column to the left). Offsets written in our 14-bit form read the same.
void MendForeignColumnOffsets(uint8_t* code, size_t size, uint16_t column);

// Loads `fileName` into a new hidden worksheet (an entry of the open-worksheet table without a
// window, marked `linkedOnly`) unless a worksheet of that name is open already; the current
// sheet stays current and the loaded formulas keep the values the file carries. Gives the
// entry, or 0 (silently) when the file does not exist, or 0 after the loader's message when it
// could not be read. The evaluator reads external references from it.
SlotIndex LoadLinkedWorksheet(std::string_view fileName);

// A readable list of the records of a worksheet file: one line per record with its offset,
// type, name and length, and for cell records the address and contents (document texts as
// ` text "…"` with \\, \t, \n and \r escaped). Gives false (and a
// reason in `out`) when the file cannot be opened.
bool ListWorksheetRecords(std::string_view fileName, std::string* out);

// Resets the module state (backups setting). Tests and start-up.
void ResetWorksheetFiles();
