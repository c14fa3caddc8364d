// ui/system_metrics_dialog.h — SystemMetricsDialog, the File menu's "Get Info" ("System
// Metrics").
//
// " Directories": "Exe:" the program directory, "Data:" the working directory. " System":
// "Version:" TALLIVO's, Qt's and the system's versions, "Cmdline:" the program's arguments,
// "Processor:" the architecture and the processor's model name. " Active Worksheet": "Name:",
// "Range:" the used range, "Used:" the number of cells. " Memory": the cell pool's "Used:",
// "Total:" and "Free:" bytes. "&Ok" closes. Nothing is changed.
// State: none beyond its labels.
#pragma once

#include <QDialog>
#include <QString>

#include "core/worksheets.h"

class QLabel;

class SystemMetricsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SystemMetricsDialog(QWidget* parent = nullptr);

  // Fills the figures for worksheet `slot` and shows the dialog.
  void Open(SlotIndex slot);

  // The value shown after a caption ("Exe:", ...) of a group (" Directories", ...), or "".
  QString value(const QString& group, const QString& caption) const;

  // The model name of the first processor in the text of /proc/cpuinfo, or "".
  static QString ProcessorModel(const QString& cpuinfo);

 private:
  QLabel* Field(const QString& group, const QString& caption) const;
};
