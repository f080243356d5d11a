#include "frontend/qt/dialog_units.h"

#include <QApplication>
#include <QFontMetrics>

namespace tavolin {

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_iBaseX = (alphabet / 26 + 1) / 2;
  m_iBaseY = metrics.height();
}

QFont dialogFont(const layout::DialogLayout& dialog) {
  QFont font = QApplication::font();
  font.setPointSize(dialog.fontPoints);
  return font;
}

}  // namespace tavolin
