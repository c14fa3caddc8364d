// ui/page_tabs.h — PageTabs, the page tabs at the bottom of a worksheet window.
//
// One tab per page of the sheet, labelled "A" .. "BL" unless the "Define Tabs" dialog gave other
// labels. Picking a tab reports it (`pick`); following the top row selects a tab silently.
// State: per tab bar (the labels).
#pragma once

#include <QStringList>
#include <QTabBar>

class PageTabs : public QTabBar {
  Q_OBJECT
 public:
  explicit PageTabs(QWidget* parent = nullptr);

  // Shows `pages` tabs (1..64).
  void setPages(int pages);
  // Labels set by the user; an empty list goes back to the page letters.
  void setLabels(const QStringList& labels);
  QString label(int page) const;
  // Makes `page` the current tab without reporting a pick.
  void showPage(int page);

 signals:
  // The user picked tab `page`.
  void pick(int page);

 private:
  QStringList labels_;
  bool quiet_ = false;
};
