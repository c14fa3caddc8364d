// ui/button_icons.cpp — theme names and own icons of the quick buttons.
#include "ui/button_icons.h"

#include <QFile>

namespace {

struct ButtonIcon {
  const char* objectName;
  const char* themeName;  // "" when no freedesktop name fits
  const char* ownIcon;    // file name under :/icons/
};

constexpr ButtonIcon kIcons[] = {
    {"openButton", "document-open", "open.svg"},
    {"saveButton", "document-save", "save.svg"},
    {"printButton", "document-print", "print.svg"},
    {"cutButton", "edit-cut", "cut.svg"},
    {"copyButton", "edit-copy", "copy.svg"},
    {"pasteButton", "edit-paste", "paste.svg"},
    {"eraseButton", "edit-clear", "erase.svg"},
    {"undoButton", "edit-undo", "undo.svg"},
    {"rowsButton", "", "rows.svg"},
    {"columnsButton", "", "columns.svg"},
    {"moveUpButton", "go-up", "move-up.svg"},
    {"moveDownButton", "go-down", "move-down.svg"},
    {"speedFillButton", "", "speed-fill.svg"},
    {"speedSumButton", "", "speed-sum.svg"},
    {"sortButton", "", "sort.svg"},
    {"functionPickButton", "", "function-pick.svg"},
    {"macroPickButton", "", "macro-pick.svg"},
    {"alignLeftButton", "format-justify-left", "align-left.svg"},
    {"alignCentreButton", "format-justify-center", "align-centre.svg"},
    {"alignRightButton", "format-justify-right", "align-right.svg"},
    {"wrapButton", "", "wrap.svg"},
    {"leftEllipsesButton", "", "left-ellipses.svg"},
    {"rightEllipsesButton", "", "right-ellipses.svg"},
    {"runMacroButton", "media-playback-start", "run-macro.svg"},
    {"stepMacroButton", "", "step-macro.svg"},
    {"stopMacroButton", "media-playback-stop", "stop-macro.svg"},
    {"quickGraphButton", "", "quick-graph.svg"},
    {"textProcessorButton", "accessories-text-editor", "text-processor.svg"},
    {"findButton", "edit-find-replace", "find.svg"},
    {"protectionButton", "", "protection.svg"},
    {"properButton", "", "proper.svg"},
};

const ButtonIcon* Find(const QString& objectName) {
  for (const ButtonIcon& icon : kIcons) {
    if (objectName == QLatin1String(icon.objectName)) return &icon;
  }
  return nullptr;
}

}  // namespace

// The resources of a static library are registered by hand, outside any namespace.
static void InitIconResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)done;
}

QString ButtonThemeIconName(const QString& objectName) {
  const ButtonIcon* icon = Find(objectName);
  return icon ? QString::fromLatin1(icon->themeName) : QString();
}

QString ButtonOwnIconPath(const QString& objectName) {
  const ButtonIcon* icon = Find(objectName);
  return icon ? QStringLiteral(":/icons/") + QLatin1String(icon->ownIcon) : QString();
}

QIcon QuickButtonIcon(const QString& objectName, const QIcon& fallback) {
  InitIconResources();
  QIcon own = fallback;
  const QString path = ButtonOwnIconPath(objectName);
  if (!path.isEmpty() && QFile::exists(path)) {
    const QIcon drawn(path);
    // Without the SVG image plugin the icon has no pixmap; the fallback stays.
    if (!drawn.pixmap(22, 22).isNull()) own = drawn;
  }
  const QString theme = ButtonThemeIconName(objectName);
  if (!theme.isEmpty() && QIcon::hasThemeIcon(theme)) return QIcon::fromTheme(theme);
  return own;
}
