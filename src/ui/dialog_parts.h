// ui/dialog_parts.h — small widgets the settings and properties dialogs build their pages from.
// No state.
#pragma once

#include <QIcon>
#include <QRgb>

class QGroupBox;
class QWidget;

// A 16×12 swatch of `colour` with a black edge, for colour lists and palette buttons.
QIcon SwatchIcon(QRgb colour);

// A group box with `caption` (UTF-8) and a vertical layout.
QGroupBox* Group(QWidget* parent, const char* caption);
