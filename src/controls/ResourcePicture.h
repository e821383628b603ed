#pragma once
// Pictures from the program's own artwork (compiled in as Qt resources).
#include <QPixmap>
#include <QString>

// The picture ":/art/<name>.png", drawn enlarge times its natural size. On
// screens scaled above 100 % (or when enlarged) the double-resolution
// variant "<name>@2x.png" is used, so lines stay sharp.
QPixmap resourcePicture(const QString& name, double enlarge = 1.0);
