#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "dialog_layout.h"

namespace tavolin {

// Dialog units as Windows measures them in a dialog's font: a horizontal
// unit is a quarter of the font's average character width, a vertical
// unit an eighth of its height. The windows keep the proportions of their
// templates in whatever font the desktop gives them.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  int x(int units) const { return scale(units, m_iBaseX, 4); }
  int y(int units) const { return scale(units, m_iBaseY, 8); }
  QRect rect(int x0, int y0, int width, int height) const { return {x(x0), y(y0), x(width), y(height)}; }
  QSize size(int width, int height) const { return {x(width), y(height)}; }

  int baseX() const { return m_iBaseX; }
  int baseY() const { return m_iBaseY; }

 private:
  // MulDiv: the product divided, rounded to the nearest.
  static int scale(int units, int base, int divisor) { return (units * base * 2 + divisor) / (divisor * 2); }

  int m_iBaseX;
  int m_iBaseY;
};

// The font a dialog's units are measured in and its controls are drawn
// with: the desktop's own font, at the size the dialog asks for.
QFont dialogFont(const layout::DialogLayout& dialog);

}  // namespace tavolin
