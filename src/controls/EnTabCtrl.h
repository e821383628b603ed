#pragma once
// The flat grey look of the main window's page tabs.
#include "controls/BaseTabCtrl.h"

class CEnTabCtrl : public CBaseTabCtrl {
  Q_OBJECT
 public:
  using CBaseTabCtrl::CBaseTabCtrl;

 protected:
  void drawTab(QPainter& p, QRect tab, int index, bool selected) override;
  void drawTabBorder(QPainter& p, QRect tab, int index, bool selected) override;
  QColor tabColour(bool selected) const override;
  QColor tabTextColour(bool selected) const override;
};
