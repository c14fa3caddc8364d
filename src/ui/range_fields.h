// ui/range_fields.h — range text in the fields of the dialogs that ask for ranges.
//
// A dialog field holds range text ("A1..B5") or a range name, read in the worksheet the dialog
// was opened for. Double-clicking such a field lets the user point at the range on the main
// window's range prompt (RangePointer). No state.
#pragma once

#include <QString>
#include <functional>

#include "core/address.h"
#include "core/worksheets.h"

class QLineEdit;

// Asks for a range on the range prompt with `caption`, starting from `start`; `done` gets the
// accepted range (not called when the prompt is cancelled); `closed` is called after, in both
// cases. The main window provides it.
using RangePointer =
    std::function<void(const QString& caption, const CellRange& start,
                       std::function<void(const CellRange&)> done, std::function<void()> closed)>;

// Reads `text` as a range of worksheet `slot`. Empty text gives the undefined range when
// `emptyAllowed`. False for text that does not read or a range outside the grid.
bool ReadRangeText(SlotIndex slot, const QString& text, bool emptyAllowed, CellRange* out);

// Reads a dialog field as ReadRangeText does; when it does not read, beeps, puts the focus on the
// field with its text selected and gives false.
bool ReadRangeField(SlotIndex slot, QLineEdit* field, bool emptyAllowed, CellRange* out);

// The text a field shows for `range` of worksheet `slot` ("" for the undefined range).
QString RangeFieldText(SlotIndex slot, const CellRange& range);
