// ui/button_icons.h — the icons of the quick buttons.
//
// Each quick button (by its object name, ui/commands.def) shows the desktop theme's icon where a
// standard freedesktop icon name fits its action, otherwise, and as the fallback on a desktop
// without such an icon, TALLIVO's own icon: small SVG drawings in the resources (:/icons/), one
// style for all, drawn on a 22-unit grid with their thin lines on half units so that they stay
// sharp at 1x and 2x. No state.
#pragma once

#include <QIcon>
#include <QString>

// The freedesktop icon name for the button, or "" when none fits.
QString ButtonThemeIconName(const QString& objectName);
// The resource path of the button's own icon, or "" for a button without one.
QString ButtonOwnIconPath(const QString& objectName);
// The icon the button shows: the theme's, else its own, else `fallback` (null when an icon cannot
// be drawn, as without the SVG image plugin).
QIcon QuickButtonIcon(const QString& objectName, const QIcon& fallback);
