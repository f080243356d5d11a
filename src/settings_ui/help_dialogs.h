#pragma once

#include "shell/dialog_view.h"
#include "shell/system.h"
#include "shell/trace.h"
#include "text/ui_language.h"

namespace tavolin {

// The help document of the build's language, from the program folder, in
// the web browser control.
class HTMLHelp : public DialogPresenter {
 public:
  HTMLHelp(const UiLanguage& language, System& system, Trace& trace);
  bool OnInitDialog() override;
  void onCommand(std::int32_t, Notification) override {}

 private:
  const UiLanguage& m_language;
  System& m_system;
  Trace& m_trace;
};

// The ASCII table that helps to find the code of a padding character.
class ASCIIHelp : public DialogPresenter {
 public:
  ASCIIHelp(const UiLanguage& language, System& system, Trace& trace);
  bool OnInitDialog() override;
  void onCommand(std::int32_t, Notification) override {}

 private:
  const UiLanguage& m_language;
  System& m_system;
  Trace& m_trace;
};

// Product name and version.
class AboutDialog : public DialogPresenter {
 public:
  AboutDialog();
  bool OnInitDialog() override;
  void onCommand(std::int32_t, Notification) override {}
};

// "file://" and the file in the program folder, unescaped; empty when the
// program folder cannot be had.
std::string helpFileAddress(System& system, const char* fileName);

constexpr char kHelpFileNotFound[] = "Online help file not found.";

}  // namespace tavolin
