#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "dialog_layout.h"
#include "ui/dialog_view.h"

class QButtonGroup;
class QLabel;
class QWidget;

namespace tavolin {

class DialogUnits;

// A window of the program in Qt widgets, built from its description in
// the dialog table: every control by its id, placed in dialog units of the
// window's font. The presenter's calls go to the widgets unchanged, with
// the texts turned from Windows-1252 into Unicode and back; what the user
// does reaches the command sink as the presenter's notifications:
//   Clicked          a button, check box or radio button clicked by the user
//   SelectionChange  an item of a drop-down list chosen by the user
//   EditChange       an edit's text changed, by the user or the program
//   KillFocus        an edit lost the keyboard focus
// A message box without a caption of its own shows the application's
// title, Qt's application name.
class QtDialogView final : public QObject, public DialogView {
 public:
  using CommandSink = std::function<void(std::int32_t id, Notification notification)>;

  // Builds the controls into the window (a top-level window or a page of
  // the sheet) and gives it the dialog's font, size and caption.
  QtDialogView(QWidget& window, const layout::DialogLayout& dialog, bool german);
  ~QtDialogView() override;

  void setCommandSink(CommandSink sink) { m_sink = std::move(sink); }
  // A command as the window reports it: to the sink, if there is one.
  void command(std::int32_t id, Notification notification);

  // The widget of a control; nullptr for an id the dialog does not have.
  QWidget* control(std::int32_t id) const;
  QWidget& window() const { return m_window; }

  void setCaption(const std::string& text) override;
  void setIcon(std::int32_t iconId) override;
  void setItemText(std::int32_t id, const std::string& text) override;
  std::string getItemText(std::int32_t id) override;
  void enableItem(std::int32_t id, bool enable) override;
  void checkItem(std::int32_t id, bool check) override;
  bool isChecked(std::int32_t id) override;
  void setFocus(std::int32_t id) override;
  void setFont(std::int32_t id, const FontSpec& font) override;
  void resetContent(std::int32_t id) override;
  void addString(std::int32_t id, const std::string& text) override;
  std::int32_t selectString(std::int32_t id, const std::string& text) override;
  void setCurSel(std::int32_t id, std::int32_t index) override;
  std::string selectedText(std::int32_t id) override;
  void limitText(std::int32_t id, std::int32_t maxCharacters) override;
  void appendText(std::int32_t id, const std::string& text) override;
  void navigate(std::int32_t id, const std::string& address) override;
  void messageBox(const std::string& text, MessageIcon icon, const char* caption = nullptr) override;

 private:
  void build(const layout::ControlLayout& control, const DialogUnits& units);
  QWidget* makeWidget(const layout::ControlLayout& control, const DialogUnits& units);
  void connectCommands(std::int32_t id, QWidget* widget);
  bool eventFilter(QObject* watched, QEvent* event) override;
  template <typename Widget>
  Widget* as(std::int32_t id) const;

  QWidget& m_window;
  CommandSink m_sink;
  std::map<std::int32_t, QWidget*> m_controls;
  std::map<std::int32_t, std::uint32_t> m_flags;
  // The text of a check box with its text on the left, and the box it
  // belongs to.
  std::map<std::int32_t, QLabel*> m_leftTexts;
  std::map<const QObject*, QWidget*> m_leftTextBoxes;
  std::map<std::int32_t, QButtonGroup*> m_radioGroups;
  std::map<const QObject*, std::int32_t> m_edits;
};

}  // namespace tavolin
