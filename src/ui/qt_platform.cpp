// ui/qt_platform.cpp — the platform seam on Qt: boxes, beep, cursor, gauge, fonts, clock,
// clipboard.
#include "ui/qt_platform.h"

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMimeData>
#include <QSysInfo>
#include <QWidget>
#include <algorithm>
#include <ctime>

#include "ui/cp1252.h"
#include "ui/grid_pane.h"
#include "ui/macro_player.h"

void QtPlatform::Beep() {
  ++beeps;
  QApplication::beep();
}

void QtPlatform::Message(std::string_view caption, std::string_view text) {
  const QString c = FromCp1252(caption);
  const QString t = FromCp1252(text);
  if (scriptedMessages) {
    scriptedMessages(c + " " + t);
    return;
  }
  // The box is modal; a wait cursor must not hide the pointer the user needs to press OK.
  if (waitDepth_ > 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
  // An engine error reads "Error: TEXT" under the program's title; other messages keep their
  // caption as the title.
  const bool error = c == QLatin1String("Error:");
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(error || c.isEmpty() ? QStringLiteral("TALLIVO") : c);
  box.setIcon(error ? QMessageBox::Warning : QMessageBox::Information);
  box.setText(error ? c + " " + t : t);
  box.exec();
  if (waitDepth_ > 0) QApplication::restoreOverrideCursor();
}

Answer QtPlatform::Ask(std::string_view caption, std::string_view text, Buttons buttons) {
  if (scriptedMessages) {
    scriptedMessages(FromCp1252(caption) + " " + FromCp1252(text));
    if (scriptedAnswers.empty()) return Answer::kCancel;
    const Answer a = scriptedAnswers.front();
    scriptedAnswers.pop_front();
    return a;
  }
  QMessageBox::StandardButtons set;
  switch (buttons) {
    case Buttons::kOk: set = QMessageBox::Ok; break;
    case Buttons::kOkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Buttons::kYesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::kYesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
  }
  if (waitDepth_ > 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const QString title = caption.empty() ? QStringLiteral("TALLIVO") : FromCp1252(caption);
  QMessageBox box(QMessageBox::Question, title, FromCp1252(text), set,
                  QApplication::activeWindow());
  if (buttons == Buttons::kYesNo && noByDefault_) box.setDefaultButton(QMessageBox::No);
  const int r = box.exec();
  if (waitDepth_ > 0) QApplication::restoreOverrideCursor();
  switch (r) {
    case QMessageBox::Yes: return Answer::kYes;
    case QMessageBox::No: return Answer::kNo;
    case QMessageBox::Ok: return Answer::kOk;
    default: return Answer::kCancel;
  }
}

Answer QtPlatform::AskNoByDefault(std::string_view caption, std::string_view text) {
  noByDefault_ = true;
  const Answer a = Ask(caption, text, Buttons::kYesNo);
  noByDefault_ = false;
  return a;
}

void QtPlatform::WaitCursor(bool on) {
  if (on) {
    if (waitDepth_++ == 0) {
      modeBeforeWait_ = mode_;
      QApplication::setOverrideCursor(Qt::WaitCursor);
      ShowMode(" WAIT! ");
    }
  } else if (waitDepth_ > 0 && --waitDepth_ == 0) {
    QApplication::restoreOverrideCursor();
    ShowMode(modeBeforeWait_.toStdString());
  }
}

void QtPlatform::ShowMode(std::string_view mode) {
  mode_ = FromCp1252(mode);
  if (onMode) onMode(mode_);
}

void QtPlatform::ShowStatus(std::string_view text) {
  if (onStatus) onStatus(FromCp1252(text));
}

void QtPlatform::Progress(int percent) {
  if (onProgress) onProgress(std::min(percent, 100));
}

void QtPlatform::Repaint() {
  if (onRepaint) onRepaint();
}

PlatformCell QtPlatform::CurrentCell() { return GridPane::ActiveCursor(); }
PlatformBlock QtPlatform::Selection() { return GridPane::ActiveSelection(); }

void QtPlatform::MoveCursor(PlatformCell cell) {
  if (GridPane* grid = GridPane::ActiveGrid()) grid->moveTo(cell.row, cell.column);
}

void QtPlatform::SelectBlock(PlatformBlock block) {
  if (GridPane* grid = GridPane::ActiveGrid()) {
    grid->selectRange(CellRange{block.firstColumn, block.firstRow, block.lastColumn, block.lastRow});
  }
}

bool QtPlatform::PlayKeys(std::string_view keys) {
  return macroPlayer && macroPlayer->PlayKeys(keys);
}

MacroWait QtPlatform::MacroInput(const MacroInputRequest& request, std::string* reply) {
  return macroPlayer ? macroPlayer->MacroInput(request, reply) : MacroWait::kCancelled;
}

MacroWait QtPlatform::MacroDelay(int milliseconds) {
  return macroPlayer ? macroPlayer->Delay(milliseconds) : MacroWait::kDone;
}

MacroWait QtPlatform::Tone(int frequency, int milliseconds) {
  return macroPlayer ? macroPlayer->Tone(frequency, milliseconds) : MacroWait::kDone;
}

MacroWait QtPlatform::StepWait(std::string_view caption) {
  return macroPlayer ? macroPlayer->StepWait(caption) : MacroWait::kDone;
}

bool QtPlatform::ShowGraph(std::string_view name, int milliseconds, MacroWait* wait) {
  if (!onShowGraph || !onShowGraph(name, milliseconds)) return false;
  *wait = milliseconds > 0 ? MacroDelay(milliseconds) : MacroWait::kDone;
  return true;
}

void QtPlatform::ShowBar(WindowBar bar, bool visible) {
  if (onShowBar) onShowBar(bar, visible);
}

void QtPlatform::SetZoom(int percent) {
  if (onZoom) onZoom(percent);
}

namespace {

// The MIME type of the program's own clipboard format: the engine's bytes with a closing NUL.
constexpr char kPrivateClipType[] = "application/x-tallivo32d";

}  // namespace

void QtPlatform::SetClipboard(std::string_view privateText, std::string_view plainText) {
  auto* data = new QMimeData;
  QByteArray own(privateText.data(), qsizetype(privateText.size()));
  own.append('\0');
  data->setData(QString::fromLatin1(kPrivateClipType), own);
  // Other programs get UTF-8 with LF line ends.
  QString text = FromCp1252(plainText);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  data->setText(text);
  QGuiApplication::clipboard()->setMimeData(data);
}

bool QtPlatform::ClipboardText(ClipFormat format, std::string* text) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return false;
  if (format == ClipFormat::kPrivate) {
    if (!data->hasFormat(QString::fromLatin1(kPrivateClipType))) return false;
    const QByteArray own = data->data(QString::fromLatin1(kPrivateClipType));
    text->assign(own.constData(), size_t(own.size()));
    return true;
  }
  if (!data->hasText()) return false;
  *text = ToCp1252(data->text());
  return true;
}

double QtPlatform::ViewSetting(int n) {
  if (n == 0) return GridZoom();
  if (n == 1) return activeWindowSplit && activeWindowSplit() ? 1 : 0;
  return 0;
}

void QtPlatform::PlayWave(std::string_view fileName, int mode) {
  if (macroPlayer) macroPlayer->PlayWave(fileName, mode);
}

ProgramRun QtPlatform::RunProgram(std::string_view commandLine) {
  return macroPlayer ? macroPlayer->RunProgram(commandLine) : ProgramRun::kRefused;
}

std::tm QtPlatform::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm out{};
  localtime_r(&now, &out);
  return out;
}

uint64_t QtPlatform::PhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return 0;
  return uint64_t(pages) * uint64_t(size);
}

std::vector<std::string> QtPlatform::InstalledFonts() {
  std::vector<std::string> out;
  for (const QString& family : QFontDatabase::families()) out.push_back(ToCp1252(family));
  std::sort(out.begin(), out.end());
  return out;
}

std::string QtPlatform::SystemVersion() { return QSysInfo::prettyProductName().toStdString(); }

QtPlatform& TheQtPlatform() {
  static QtPlatform platform;
  return platform;
}

void InstallQtPlatform() { InstallPlatform(&TheQtPlatform()); }
