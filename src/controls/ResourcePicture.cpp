#include "controls/ResourcePicture.h"

#include <QGuiApplication>

QPixmap resourcePicture(const QString& name, double enlarge) {
  const double wanted = qGuiApp->devicePixelRatio() * enlarge;
  if (wanted > 1.0) {
    QPixmap sharp(":/art/" + name + "@2x.png");
    if (!sharp.isNull()) {
      sharp.setDevicePixelRatio(2.0 / enlarge);
      return sharp;
    }
  }
  return QPixmap(":/art/" + name + ".png");
}
