// ui/range_fields.cpp — range text in dialog fields.
#include "ui/range_fields.h"

#include <QLineEdit>

#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/cp1252.h"

bool ReadRangeText(SlotIndex slot, const QString& text, bool emptyAllowed, CellRange* out) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) {
    if (!emptyAllowed) return false;
    *out = CellRange{};
    return true;
  }
  SheetScope scope(slot);
  ClearError();
  const CellRange r = ParseRange(ToCp1252(trimmed));
  const bool ok = !ErrorRaised() && RangeIsValid(r) && IsValidCell(r.firstRow, r.firstColumn) &&
                  IsValidCell(r.lastRow, r.lastColumn);
  ClearError();
  if (ok) *out = r;
  return ok;
}

bool ReadRangeField(SlotIndex slot, QLineEdit* field, bool emptyAllowed, CellRange* out) {
  if (ReadRangeText(slot, field->text(), emptyAllowed, out)) return true;
  ThePlatform().Beep();
  field->setFocus();
  field->selectAll();
  return false;
}

QString RangeFieldText(SlotIndex slot, const CellRange& range) {
  if (!RangeIsValid(range)) return QString();
  SheetScope scope(slot);
  return FromCp1252(RangeText(range));
}
