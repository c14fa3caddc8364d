// ui/system_metrics_dialog.cpp — the System Metrics dialog.
#include "ui/system_metrics_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>
#include <algorithm>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/pool.h"
#include "core/sheet_scope.h"
#include "files/program_files.h"
#include "ui/cp1252.h"

#ifndef TALLIVO_VERSION
#define TALLIVO_VERSION "0"
#endif

namespace {

struct Group {
  const char* title;
  std::initializer_list<const char*> captions;
};

const Group kGroups[] = {
    {" Directories", {"Exe:", "Data:"}},
    {" System", {"Version:", "Cmdline:", "Processor:"}},
    {" Active Worksheet", {"Name:", "Range:", "Used:"}},
    {" Memory", {"Used:", "Total:", "Free:"}},
};

QString ObjectName(const QString& group, const QString& caption) {
  QString name = group.trimmed() + caption;
  return name.remove(' ').remove(':');
}

QString Bytes(int64_t bytes) {
  return QLocale().toString(qlonglong(bytes)) + QStringLiteral(" bytes");
}

}  // namespace

SystemMetricsDialog::SystemMetricsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("System Metrics"));
  setObjectName(QStringLiteral("systemMetricsDialog"));
  auto* layout = new QVBoxLayout(this);
  for (const Group& g : kGroups) {
    auto* box = new QGroupBox(QString::fromLatin1(g.title), this);
    auto* form = new QFormLayout(box);
    for (const char* caption : g.captions) {
      auto* field = new QLabel(box);
      field->setObjectName(ObjectName(QString::fromLatin1(g.title), QString::fromLatin1(caption)));
      field->setTextInteractionFlags(Qt::TextSelectableByMouse);
      field->setWordWrap(true);
      form->addRow(QString::fromLatin1(caption), field);
    }
    layout->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  setMinimumWidth(420);
  setModal(true);
}

QLabel* SystemMetricsDialog::Field(const QString& group, const QString& caption) const {
  return findChild<QLabel*>(ObjectName(group, caption));
}

QString SystemMetricsDialog::value(const QString& group, const QString& caption) const {
  const QLabel* field = Field(group, caption);
  return field ? field->text() : QString();
}

QString SystemMetricsDialog::ProcessorModel(const QString& cpuinfo) {
  for (const QString& line : cpuinfo.split('\n')) {
    const int colon = line.indexOf(':');
    if (colon > 0 && line.left(colon).trimmed() == QLatin1String("model name")) {
      return line.mid(colon + 1).trimmed();
    }
  }
  return {};
}

void SystemMetricsDialog::Open(SlotIndex slot) {
  const QString directories = QStringLiteral(" Directories");
  const QString system = QStringLiteral(" System");
  const QString sheet = QStringLiteral(" Active Worksheet");
  const QString memory = QStringLiteral(" Memory");
  Field(directories, "Exe:")->setText(QString::fromLocal8Bit(ProgramDirectory().c_str()));
  Field(directories, "Data:")->setText(QDir::currentPath());
  Field(system, "Version:")
      ->setText(QStringLiteral("TALLIVO " TALLIVO_VERSION ", Qt %1, %2")
                    .arg(QString::fromLatin1(qVersion()), QSysInfo::prettyProductName()));
  Field(system, "Cmdline:")->setText(QCoreApplication::arguments().join(' '));
  QString processor = QSysInfo::currentCpuArchitecture();
  QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
  if (cpuinfo.open(QIODevice::ReadOnly)) {
    // The first processor's lines come first; a few kilobytes hold them.
    const QString model = ProcessorModel(QString::fromLatin1(cpuinfo.read(16384)));
    if (!model.isEmpty()) processor += QStringLiteral(", ") + model;
  }
  Field(system, "Processor:")->setText(processor);
  {
    SheetScope scope(slot);
    Field(sheet, "Name:")->setText(FromCp1252(Worksheet(slot).fileName));
    // The used range is the block the cells take, found on the way as they are counted.
    int64_t cells = 0;
    CellRange used = MakeRange(kColumnCount - 1, kRowCount - 1, 0, 0);
    for (int row = 0; row < int(kRowCount); ++row) {
      for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
        const uint16_t column = CellAt(h)->column;
        used.firstColumn = std::min<uint16_t>(used.firstColumn, column);
        used.lastColumn = std::max<uint16_t>(used.lastColumn, column);
        used.firstRow = std::min<uint16_t>(used.firstRow, uint16_t(row));
        used.lastRow = std::max<uint16_t>(used.lastRow, uint16_t(row));
        ++cells;
      }
    }
    Field(sheet, "Range:")->setText(cells ? FromCp1252(RangeText(used)) : QString());
    Field(sheet, "Used:")->setText(QLocale().toString(qlonglong(cells)));
  }
  const int64_t total = PoolCapacity();
  const int64_t free = PoolFreeBytes();
  Field(memory, "Used:")->setText(Bytes(total - free));
  Field(memory, "Total:")->setText(Bytes(total));
  Field(memory, "Free:")->setText(Bytes(free));
  open();
}
