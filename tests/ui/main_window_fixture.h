// tests/ui/main_window_fixture.h — a started main window on a fresh engine for the Qt tests.
#pragma once

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "commands/engine_start.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/pool.h"
#include "core/sheet_scope.h"
#include "core/worksheets.h"
#include "core/sheet_extras.h"
#include "formula/recalc.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/worksheet_window.h"

inline double NumberAt(SlotIndex slot, int row, int column) {
  SheetScope scope(slot);
  const CellHandle h = GetCell(uint32_t(row), uint32_t(column));
  return h ? CellNumber(CellAt(h)) : -1e300;
}

inline uint8_t KindAt(SlotIndex slot, int row, int column) {
  SheetScope scope(slot);
  return KindOf(GetCell(uint32_t(row), uint32_t(column)));
}

class MainWindowFixture {
 protected:
  QTemporaryDir home_;
  QStringList messages_;
  std::unique_ptr<MainWindow> frame_;

  // A fresh engine and a started frame on a temporary program directory; `preOpen` decides
  // whether the frame opens an empty sheet when shown.
  MainWindow& Start(bool preOpen = true, const QStringList& arguments = {},
                const QByteArray& settings = {}) {
    frame_.reset();
    messages_.clear();
    qputenv("TALLIVO_HOME", home_.path().toLocal8Bit());
    QFile::remove(home_.filePath("TALLIVO.INI"));
    if (!preOpen || !settings.isEmpty()) {
      QFile ini(home_.filePath("TALLIVO.INI"));
      if (!ini.open(QIODevice::WriteOnly)) qFatal("cannot write the settings file");
      ini.write(preOpen ? "\n" : "\n[Flags]\nPREOPEN=FALSE\n");
      ini.write(settings);
    }
    QtPlatform& p = TheQtPlatform();
    p.scriptedMessages = [this](const QString& m) { messages_ << m; };
    p.scriptedAnswers.clear();
    p.beeps = 0;
    StartEngine("/nonexistent/tallivo", &p);
    frame_ = std::make_unique<MainWindow>();
    frame_->Startup(arguments);
    frame_->show();
    return *frame_;
  }

  GridPane* Grid() { return frame_->activeSheetWindow()->activeGrid(); }
  SlotIndex Slot() { return frame_->activeSheetWindow()->slot(); }

  QString Path(const QString& name) { return home_.filePath(name); }

  // Closes the window, answering No to every save question.
  void CloseWindow() {
    if (frame_) {
      TheQtPlatform().scriptedAnswers.assign(20, Answer::kNo);
      frame_->close();
    }
    frame_.reset();
  }
};
