// ui/macro_player.cpp — MacroPlayer: slices, key playback, and the macro's questions.
#include "ui/macro_player.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include "macros/vocabulary.h"
#include "ui/cp1252.h"
#include "ui/macro_sound.h"
#include "ui/qt_platform.h"

namespace {

const QEvent::Type kKeysConsumed = QEvent::Type(QEvent::User + 611);

struct PlayedKey {
  int key = 0;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  QString text;
};

PlayedKey KeyFor(uint8_t byte) {
  if (byte >= 0x20) {
    const QString text = FromCp1252(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    const QChar c = text.isEmpty() ? QChar(' ') : text[0];
    const bool upper = c.isLetter() && c.isUpper();
    return {int(c.toUpper().unicode()), upper ? Qt::ShiftModifier : Qt::NoModifier, text};
  }
  switch (MacroKey(byte)) {
    case MacroKey::kEnter: return {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")};
    case MacroKey::kAbs: return {Qt::Key_F4, Qt::NoModifier, {}};
    case MacroKey::kAlt: return {Qt::Key_Alt, Qt::NoModifier, {}};
    case MacroKey::kBackspace: return {Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")};
    case MacroKey::kCalc: return {Qt::Key_F9, Qt::NoModifier, {}};
    case MacroKey::kDelete: return {Qt::Key_Delete, Qt::NoModifier, {}};
    case MacroKey::kDown: return {Qt::Key_Down, Qt::NoModifier, {}};
    case MacroKey::kEdit: return {Qt::Key_F2, Qt::NoModifier, {}};
    case MacroKey::kEnd: return {Qt::Key_End, Qt::NoModifier, {}};
    case MacroKey::kEscape: return {Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")};
    case MacroKey::kHelp: return {Qt::Key_F1, Qt::NoModifier, {}};
    case MacroKey::kHome: return {Qt::Key_Home, Qt::NoModifier, {}};
    case MacroKey::kInsert: return {Qt::Key_Insert, Qt::NoModifier, {}};
    case MacroKey::kLeft: return {Qt::Key_Left, Qt::NoModifier, {}};
    case MacroKey::kName: return {Qt::Key_F3, Qt::NoModifier, {}};
    case MacroKey::kPageDown: return {Qt::Key_PageDown, Qt::NoModifier, {}};
    case MacroKey::kPageLeft: return {Qt::Key_Left, Qt::ControlModifier, {}};
    case MacroKey::kPageRight: return {Qt::Key_Right, Qt::ControlModifier, {}};
    case MacroKey::kPageUp: return {Qt::Key_PageUp, Qt::NoModifier, {}};
    case MacroKey::kRight: return {Qt::Key_Right, Qt::NoModifier, {}};
    case MacroKey::kUp: return {Qt::Key_Up, Qt::NoModifier, {}};
    case MacroKey::kWindow: return {Qt::Key_F6, Qt::NoModifier, {}};
    case MacroKey::kNone: break;
  }
  return {};
}

}  // namespace

MacroPlayer::MacroPlayer(QObject* parent) : QObject(parent), sound_(new MacroSound(this)) {}

void MacroPlayer::WatchKeys() {
  // The newest filter of the application sees a key first: the user's key is the macro's
  // before any window acts on it.
  qApp->removeEventFilter(this);
  qApp->installEventFilter(this);
}

MacroPlayer::~MacroPlayer() {
  if (qApp) qApp->removeEventFilter(this);
}

bool MacroPlayer::IsPlayed(const QKeyEvent* event) {
  return event->nativeScanCode() == kPlayedKeyMark;
}

void MacroPlayer::Start(uint16_t column, uint16_t row) {
  keys_.clear();
  waiting_ = Waiting::kNothing;
  After(RunMacroAt(column, row, kSliceMs));
}

void MacroPlayer::StartIn(SlotIndex sheet, uint16_t column, uint16_t row) {
  keys_.clear();
  waiting_ = Waiting::kNothing;
  After(RunMacroIn(sheet, column, row, kSliceMs));
}

void MacroPlayer::StartText(const std::string& text) {
  keys_.clear();
  waiting_ = Waiting::kNothing;
  After(RunMacroText(text, kSliceMs));
}

void MacroPlayer::Break() {
  if (!MacroRunning()) return;
  if (waiting_ == Waiting::kEntry || waiting_ == Waiting::kKey) {
    Cancel();
    return;
  }
  RequestMacroBreak();
  if (waiting_ == Waiting::kStep) {
    waiting_ = Waiting::kNothing;
    Resume();
  }
}

void MacroPlayer::Step() {
  if (waiting_ != Waiting::kStep) return;
  waiting_ = Waiting::kNothing;
  if (onCaption) onCaption(QString());
  Resume();
}

void MacroPlayer::After(MacroProgress progress) {
  if (progress == MacroProgress::kSliced) {
    QTimer::singleShot(0, this, [this] { Resume(); });
  } else if (progress == MacroProgress::kEnded) {
    keys_.clear();
    waiting_ = Waiting::kNothing;
    if (onCaption) onCaption(QString());
    if (onEnded) onEnded();
  }
}

void MacroPlayer::Resume() { After(ContinueMacro(kSliceMs)); }

bool MacroPlayer::PlayKeys(std::string_view keys) {
  keys_.assign(keys);
  nextKey_ = 0;
  PostNextKey();
  return true;
}

void MacroPlayer::PostNextKey() {
  if (nextKey_ >= keys_.size() || !MacroRunning()) {
    keys_.clear();
    QTimer::singleShot(0, this, [this] { Resume(); });
    return;
  }
  const PlayedKey k = KeyFor(uint8_t(keys_[nextKey_++]));
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  if (!target) target = dialogParent;
  if (target && k.key != 0) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, k.key, k.modifiers,
                                                      kPlayedKeyMark, 0, 0, k.text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, k.key, k.modifiers,
                                                      kPlayedKeyMark, 0, 0, k.text));
  }
  QCoreApplication::postEvent(this, new QEvent(kKeysConsumed));
}

bool MacroPlayer::event(QEvent* e) {
  if (e->type() == kKeysConsumed) {
    PostNextKey();
    return true;
  }
  return QObject::event(e);
}

bool MacroPlayer::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::KeyPress || !MacroRunning()) return QObject::eventFilter(watched, e);
  auto* key = static_cast<QKeyEvent*>(e);
  if (IsPlayed(key) || key->isAutoRepeat()) return QObject::eventFilter(watched, e);
  switch (waiting_) {
    case Waiting::kKey:
      if (key->key() == Qt::Key_Escape) {
        Cancel();
        return true;
      }
      if (key->text().isEmpty()) return QObject::eventFilter(watched, e);
      Reply(ToCp1252(key->text().left(1)));
      return true;
    case Waiting::kEntry:
      if (key->key() == Qt::Key_Escape) {
        Cancel();
      } else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // The entry is committed by the widgets first; the macro goes on afterwards.
        QTimer::singleShot(0, this, [this] {
          if (waiting_ == Waiting::kEntry) Reply(std::string());
        });
      }
      return QObject::eventFilter(watched, e);
    case Waiting::kStep:
      if (key->key() == Qt::Key_Escape) {
        Break();
      } else {
        Step();
      }
      return true;
    default:
      return QObject::eventFilter(watched, e);
  }
}

void MacroPlayer::Reply(const std::string& reply) {
  waiting_ = Waiting::kNothing;
  MacroInputAnswered(reply);
  Resume();
}

void MacroPlayer::Cancel() {
  waiting_ = Waiting::kNothing;
  MacroInputCancelled();
  Resume();
}

MacroWait MacroPlayer::MacroInput(const MacroInputRequest& request, std::string*) {
  switch (request.kind) {
    case MacroInputKind::kEntry:
      WatchKeys();
      waiting_ = Waiting::kEntry;
      return MacroWait::kPending;
    case MacroInputKind::kKey:
      WatchKeys();
      waiting_ = Waiting::kKey;
      return MacroWait::kPending;
    case MacroInputKind::kLabel:
    case MacroInputKind::kValue: {
      auto* dialog = new QInputDialog(dialogParent);
      dialog->setAttribute(Qt::WA_DeleteOnClose);
      dialog->setObjectName(QStringLiteral("macroInputDialog"));
      dialog->setWindowTitle(QStringLiteral("TALLIVO"));
      dialog->setLabelText(FromCp1252(request.prompt));
      connect(dialog, &QInputDialog::textValueSelected, this,
              [this](const QString& text) { Reply(ToCp1252(text)); });
      connect(dialog, &QDialog::rejected, this, [this] { Cancel(); });
      waiting_ = Waiting::kDialog;
      dialog->open();
      return MacroWait::kPending;
    }
    case MacroInputKind::kMenu: {
      auto* menu = new QMenu(dialogParent);
      menu->setObjectName(QStringLiteral("macroMenu"));
      menu->setAttribute(Qt::WA_DeleteOnClose);
      auto chosen = std::make_shared<bool>(false);
      for (size_t i = 0; i < request.items.size(); ++i) {
        QAction* a = menu->addAction(FromCp1252(request.items[i]));
        if (i < request.descriptions.size()) a->setStatusTip(FromCp1252(request.descriptions[i]));
        connect(a, &QAction::triggered, this, [this, chosen, i] {
          *chosen = true;
          Reply(std::to_string(i + 1));
        });
      }
      connect(menu, &QMenu::aboutToHide, this, [this, chosen] {
        QTimer::singleShot(0, this, [this, chosen] {
          if (!*chosen && waiting_ == Waiting::kDialog) Cancel();
        });
      });
      waiting_ = Waiting::kDialog;
      menu->popup(QCursor::pos());
      return MacroWait::kPending;
    }
    case MacroInputKind::kFile: {
      const QFileInfo offered(FromCp1252(request.fileName));
      auto* dialog = new QFileDialog(dialogParent, QStringLiteral("FILEPICK"), offered.path(),
                                     FromCp1252(request.filter));
      dialog->setObjectName(QStringLiteral("macroFileDialog"));
      dialog->setAttribute(Qt::WA_DeleteOnClose);
      dialog->selectFile(offered.fileName());
      connect(dialog, &QFileDialog::fileSelected, this,
              [this](const QString& name) { Reply(ToCp1252(name)); });
      connect(dialog, &QDialog::rejected, this, [this] { Cancel(); });
      waiting_ = Waiting::kDialog;
      dialog->open();
      return MacroWait::kPending;
    }
  }
  return MacroWait::kCancelled;
}

MacroWait MacroPlayer::Delay(int milliseconds) {
  QTimer::singleShot(milliseconds, this, [this] { Resume(); });
  return MacroWait::kPending;
}

MacroWait MacroPlayer::Tone(int frequency, int milliseconds) {
  // Without an audio output the tone is the warning beep; the macro still waits its duration
  // (a frequency below 10 is silence of that length).
  if (frequency >= 10 && !sound_->PlayTone(frequency, milliseconds)) TheQtPlatform().Beep();
  return Delay(milliseconds);
}

void MacroPlayer::PlayWave(std::string_view fileName, int) {
  sound_->PlayWave(FromCp1252(fileName));
}

MacroWait MacroPlayer::StepWait(std::string_view caption) {
  if (onCaption) onCaption(FromCp1252(caption));
  WatchKeys();
  waiting_ = Waiting::kStep;
  return MacroWait::kPending;
}

ProgramRun MacroPlayer::RunProgram(std::string_view commandLine) {
  const QString command = FromCp1252(commandLine);
  if (TheQtPlatform().AskNoByDefault("TALLIVO", "Run program: " + std::string(commandLine) + "?") !=
      ::Answer::kYes) {
    return ProgramRun::kRefused;
  }
  QStringList words = QProcess::splitCommand(command);
  if (words.isEmpty()) return ProgramRun::kFailed;
  const QString program = words.takeFirst();
  return QProcess::startDetached(program, words) ? ProgramRun::kStarted : ProgramRun::kFailed;
}
