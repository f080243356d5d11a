#include "frontend/qt/qt_dialog_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QUrl>
#include <vector>

#include "frontend/qt/dialog_units.h"
#include "frontend/qt/help_document.h"
#include "frontend/qt/qt_images.h"
#include "frontend/qt/qt_text.h"
#include "ui/find_string_prefix.h"

namespace tavolin {

using layout::ControlKind;
using layout::ControlLayout;

namespace {

QMessageBox::Icon messageIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// A button whose text may take several lines breaks it between words
// where a line would be wider than the button.
QString wrapped(const QString& text, const QWidget& button) {
  const QFontMetrics metrics(button.font());
  const int room = button.width() - 2 * metrics.averageCharWidth();
  QString result;
  QString line;
  for (const QString& word : text.split(QLatin1Char(' '))) {
    const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(longer) > room) {
      result += line + QLatin1Char('\n');
      line = word;
    } else {
      line = longer;
    }
  }
  return result + line;
}

// Windows gives a font's height as its cell height; Qt's pixel size is
// the size of its letters. The largest pixel size whose lines fit.
int pixelSizeForCellHeight(QFont font, int cellHeight) {
  int size = cellHeight;
  for (; size > 6; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).height() <= cellHeight) break;
  }
  return size;
}

}  // namespace

QtDialogView::QtDialogView(QWidget& window, const layout::DialogLayout& dialog, bool german) : m_window(window) {
  const QFont font = dialogFont(dialog);
  window.setFont(font);
  const DialogUnits units(font);
  window.setFixedSize(units.size(dialog.width, dialog.height));
  const char* caption = german ? dialog.captionGerman : dialog.captionEnglish;
  if (caption && *caption) window.setWindowTitle(toQt(caption));

  QButtonGroup* radioGroup = nullptr;
  for (std::size_t i = 0; i < dialog.controlCount; ++i) {
    const ControlLayout& control = dialog.controls[i];
    build(control, units);
    if (control.kind != ControlKind::RadioButton) continue;
    // A group of radio buttons runs from one that starts a group to the
    // next; within it one is checked.
    if (!radioGroup || (control.flags & layout::kGroupStart)) {
      radioGroup = new QButtonGroup(this);
      radioGroup->setExclusive(true);
    }
    radioGroup->addButton(as<QRadioButton>(control.id), control.id);
    m_radioGroups[control.id] = radioGroup;
  }
}

QtDialogView::~QtDialogView() = default;

void QtDialogView::build(const ControlLayout& control, const DialogUnits& units) {
  QWidget* widget = makeWidget(control, units);
  if (control.id < 0) return;
  m_controls[control.id] = widget;
  m_flags[control.id] = control.flags;
  if (control.kind != ControlKind::Picture && control.kind != ControlKind::Icon) setItemText(control.id, control.text);
  connectCommands(control.id, widget);
}

QWidget* QtDialogView::makeWidget(const ControlLayout& control, const DialogUnits& units) {
  const QRect place = units.rect(control.x, control.y, control.width, control.height);
  const bool sunken = control.flags & (layout::kSunken | layout::kBorder);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(&m_window);
      // Which button Enter clicks is the dialog's rule (DialogWindow), not Qt's.
      button->setAutoDefault(false);
      button->setDefault(control.kind == ControlKind::DefaultButton);
      widget = button;
      break;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(&m_window);
      if (control.flags & layout::kTextLeft) {
        // The text stands at the left of the place, the box at its right
        // end, in the column of the controls beside the labels.
        const int boxWidth = box->sizeHint().width();
        box->setGeometry(place.right() + 1 - boxWidth, place.y(), boxWidth, place.height());
        auto* text = new QLabel(&m_window);
        text->setGeometry(place.x(), place.y(), place.width() - boxWidth, place.height());
        text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        text->setTextFormat(Qt::PlainText);
        text->installEventFilter(this);
        m_leftTexts[control.id] = text;
        m_leftTextBoxes[text] = box;
        return box;
      }
      widget = box;
      break;
    }
    case ControlKind::RadioButton:
      widget = new QRadioButton(&m_window);
      break;
    case ControlKind::GroupBox: {
      auto* group = new QGroupBox(&m_window);
      group->setGeometry(place);
      // Only a frame: the controls it frames stand above it.
      group->lower();
      return group;
    }
    case ControlKind::Label:
    case ControlKind::NumberField: {
      auto* label = new QLabel(&m_window);
      label->setTextFormat(Qt::PlainText);
      const Qt::Alignment horizontal = (control.flags & layout::kRightAligned) ? Qt::AlignRight : Qt::AlignLeft;
      if (control.kind == ControlKind::NumberField || sunken) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(horizontal | Qt::AlignVCenter);
        label->setIndent(2);
      } else {
        label->setAlignment(horizontal | Qt::AlignTop);
        label->setWordWrap(true);
      }
      widget = label;
      break;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(&m_window);
      edit->setReadOnly(control.flags & layout::kReadOnly);
      widget = edit;
      break;
    }
    case ControlKind::DropDownList: {
      auto* list = new QComboBox(&m_window);
      // The place's height is the list's when dropped down; closed, the
      // list is as high as its font asks.
      const int closed = list->sizeHint().height();
      list->setMaxVisibleItems(std::max(1, (place.height() - closed) / std::max(1, closed - 4)));
      list->setGeometry(place.x(), place.y(), place.width(), closed);
      return list;
    }
    case ControlKind::Picture:
    case ControlKind::Icon: {
      auto* picture = new QLabel(&m_window);
      QPixmap image = imageResource(control.image);
      if (sunken) picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      const QSize room = place.size() - QSize(2, 2) * picture->frameWidth();
      if (image.width() > room.width() || image.height() > room.height()) {
        image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      }
      picture->setPixmap(image);
      picture->setAlignment(control.kind == ControlKind::Icon ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignCenter);
      widget = picture;
      break;
    }
    case ControlKind::Browser: {
      auto* browser = new QTextBrowser(&m_window);
      browser->setOpenExternalLinks(true);
      widget = browser;
      break;
    }
  }
  widget->setGeometry(place);
  return widget;
}

void QtDialogView::connectCommands(std::int32_t id, QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { command(id, Notification::Clicked); });
  } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
    connect(list, &QComboBox::activated, this, [this, id] { command(id, Notification::SelectionChange); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    connect(edit, &QLineEdit::textChanged, this, [this, id] { command(id, Notification::EditChange); });
    edit->installEventFilter(this);
    m_edits[edit] = id;
  }
}

bool QtDialogView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    // A menu or a list that drops down takes the focus only for a moment.
    const auto found = m_edits.find(watched);
    if (found != m_edits.end() && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      command(found->second, Notification::KillFocus);
    }
  } else if (event->type() == QEvent::MouseButtonRelease) {
    // A click on the text of a check box is a click on the box.
    const auto found = m_leftTextBoxes.find(watched);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (found != m_leftTextBoxes.end() && mouse->button() == Qt::LeftButton && found->second->isEnabled() &&
        static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
      found->second->setFocus(Qt::MouseFocusReason);
      static_cast<QAbstractButton*>(found->second)->click();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void QtDialogView::command(std::int32_t id, Notification notification) {
  if (m_sink) m_sink(id, notification);
}

QWidget* QtDialogView::control(std::int32_t id) const {
  const auto found = m_controls.find(id);
  return found == m_controls.end() ? nullptr : found->second;
}

template <typename Widget>
Widget* QtDialogView::as(std::int32_t id) const {
  return qobject_cast<Widget*>(control(id));
}

void QtDialogView::setCaption(const std::string& text) { m_window.window()->setWindowTitle(toQt(text)); }

void QtDialogView::setIcon(std::int32_t /*iconId*/) { m_window.window()->setWindowIcon(programIcon()); }

void QtDialogView::setItemText(std::int32_t id, const std::string& text) {
  const QString qtText = toQt(text);
  if (const auto left = m_leftTexts.find(id); left != m_leftTexts.end()) {
    left->second->setText(qtText);
  } else if (auto* button = as<QAbstractButton>(id)) {
    const bool severalLines = m_flags[id] & layout::kMultiLine;
    button->setText(severalLines ? wrapped(qtText, *button) : qtText);
  } else if (auto* group = as<QGroupBox>(id)) {
    group->setTitle(qtText);
  } else if (auto* label = as<QLabel>(id)) {
    label->setText(qtText);
  } else if (auto* edit = as<QLineEdit>(id)) {
    edit->setText(qtText);
  } else if (auto* browser = as<QTextBrowser>(id)) {
    browser->setPlainText(qtText);
  }
}

std::string QtDialogView::getItemText(std::int32_t id) {
  QString text;
  if (const auto left = m_leftTexts.find(id); left != m_leftTexts.end()) {
    text = left->second->text();
  } else if (auto* button = as<QAbstractButton>(id)) {
    text = button->text();
    if (m_flags[id] & layout::kMultiLine) text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  } else if (auto* group = as<QGroupBox>(id)) {
    text = group->title();
  } else if (auto* label = as<QLabel>(id)) {
    text = label->text();
  } else if (auto* edit = as<QLineEdit>(id)) {
    text = edit->text();
  } else if (auto* list = as<QComboBox>(id)) {
    text = list->currentText();
  }
  return fromQt(text);
}

void QtDialogView::enableItem(std::int32_t id, bool enable) {
  if (QWidget* widget = control(id)) widget->setEnabled(enable);
  if (const auto left = m_leftTexts.find(id); left != m_leftTexts.end()) left->second->setEnabled(enable);
}

// As a check box's or radio button's own check does, this changes only
// this button: checking a radio button leaves the others of its group as
// they are, and the one checked radio button can be unchecked.
void QtDialogView::checkItem(std::int32_t id, bool check) {
  auto* button = as<QAbstractButton>(id);
  if (!button) return;
  QButtonGroup* group = m_radioGroups.count(id) ? m_radioGroups[id] : nullptr;
  if (group) group->setExclusive(false);
  button->setChecked(check);
  if (group) group->setExclusive(true);
}

bool QtDialogView::isChecked(std::int32_t id) {
  const auto* button = as<QAbstractButton>(id);
  return button && button->isChecked();
}

void QtDialogView::setFocus(std::int32_t id) {
  if (QWidget* widget = control(id)) widget->setFocus(Qt::OtherFocusReason);
}

// The font's face where the system has it; otherwise the desktop's
// fixed-pitch font for the controls that show characters in columns, and
// its ordinary font for the others.
void QtDialogView::setFont(std::int32_t id, const FontSpec& font) {
  QWidget* widget = control(id);
  if (!widget) return;
  const bool fixedPitch = m_flags[id] & layout::kFixedPitch;
  QFont qtFont(QString::fromLatin1(font.face));
  if (!QFontDatabase::hasFamily(qtFont.family())) {
    qtFont.setFamily(fixedPitch ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                                : QApplication::font().family());
  }
  qtFont.setStyleHint(fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
  qtFont.setWeight(static_cast<QFont::Weight>(font.weight));
  qtFont.setPixelSize(pixelSizeForCellHeight(qtFont, font.height));
  widget->setFont(qtFont);
}

void QtDialogView::resetContent(std::int32_t id) {
  if (auto* list = as<QComboBox>(id)) list->clear();
}

// A list's first item is not selected by being added (Qt would): a stored
// value that no item matches leaves the list without a selection.
void QtDialogView::addString(std::int32_t id, const std::string& text) {
  auto* list = as<QComboBox>(id);
  if (!list) return;
  const int selected = list->currentIndex();
  const QString item = toQt(text);
  list->addItem(item);
  list->setCurrentIndex(selected);
  // The open list is as wide as its longest item (a serial device's stable
  // name is longer than the box).
  const int width = list->fontMetrics().horizontalAdvance(item) + 2 * list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  if (width > list->view()->minimumWidth()) list->view()->setMinimumWidth(width);
}

std::int32_t QtDialogView::selectString(std::int32_t id, const std::string& text) {
  auto* list = as<QComboBox>(id);
  if (!list) return -1;
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(list->count()));
  for (int i = 0; i < list->count(); ++i) items.push_back(fromQt(list->itemText(i)));
  const std::int32_t found = findStringPrefix(items, text);
  if (found >= 0) list->setCurrentIndex(found);
  return found;
}

void QtDialogView::setCurSel(std::int32_t id, std::int32_t index) {
  if (auto* list = as<QComboBox>(id)) list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

std::string QtDialogView::selectedText(std::int32_t id) {
  const auto* list = as<QComboBox>(id);
  return list && list->currentIndex() >= 0 ? fromQt(list->currentText()) : std::string();
}

void QtDialogView::limitText(std::int32_t id, std::int32_t maxCharacters) {
  // 0 lifts the limit as far as an edit goes.
  if (auto* edit = as<QLineEdit>(id)) edit->setMaxLength(maxCharacters > 0 ? maxCharacters : 32767);
}

void QtDialogView::appendText(std::int32_t id, const std::string& text) {
  auto* edit = as<QLineEdit>(id);
  if (!edit) return;
  edit->end(false);
  edit->insert(toQt(text));
}

// A browser shows a document it cannot find as a failed navigation: here
// the address it could not open.
void QtDialogView::navigate(std::int32_t id, const std::string& address) {
  auto* browser = as<QTextBrowser>(id);
  if (!browser) return;
  const QString wanted = toQt(address);
  const QString path = helpDocumentPath(wanted);
  if (path.isEmpty()) {
    browser->setPlainText(wanted);
  } else {
    browser->setSource(QUrl::fromLocalFile(path));
  }
}

void QtDialogView::messageBox(const std::string& text, MessageIcon icon, const char* caption) {
  QMessageBox box(messageIcon(icon), caption ? toQt(caption) : QCoreApplication::applicationName(), toQt(text),
                  QMessageBox::Ok, m_window.window());
  box.exec();
}

}  // namespace tavolin
