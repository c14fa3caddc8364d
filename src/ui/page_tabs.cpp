// ui/page_tabs.cpp — the page tabs (see the header). State: the labels of this tab bar.
#include "ui/page_tabs.h"

#include <algorithm>

#include "core/grid_geometry.h"

PageTabs::PageTabs(QWidget* parent) : QTabBar(parent) {
  setShape(QTabBar::RoundedSouth);
  setDrawBase(false);
  setExpanding(false);
  setFocusPolicy(Qt::NoFocus);
  setUsesScrollButtons(true);
  addTab(label(0));
  connect(this, &QTabBar::currentChanged, this, [this](int index) {
    if (!quiet_ && index >= 0) emit pick(index);
  });
}

QString PageTabs::label(int page) const {
  if (page >= 0 && page < labels_.size() && !labels_[page].isEmpty()) return labels_[page];
  return QString::fromLatin1(PageLabel(page));
}

void PageTabs::setPages(int pages) {
  pages = std::clamp(pages, 1, 64);
  quiet_ = true;
  while (count() > pages) removeTab(count() - 1);
  while (count() < pages) addTab(label(count()));
  for (int i = 0; i < count(); ++i) setTabText(i, label(i));
  quiet_ = false;
}

void PageTabs::setLabels(const QStringList& labels) {
  labels_ = labels;
  for (int i = 0; i < count(); ++i) setTabText(i, label(i));
}

void PageTabs::showPage(int page) {
  if (page < 0 || page >= count() || page == currentIndex()) return;
  quiet_ = true;
  setCurrentIndex(page);
  quiet_ = false;
}
