#pragma once

#include "ui/dialog_view.h"
#include "services/system.h"
#include "services/trace.h"
#include "text/ui_language.h"

namespace tavolin {

// A document from the program folder in a dialog's web browser control.
class BrowserHelp : public DialogPresenter {
 public:
  void onCommand(std::int32_t, Notification) override {}

 protected:
  BrowserHelp(std::int32_t templateId, std::int32_t browserId, const UiLanguage& language, System& system,
              Trace& trace);
  // Sets the caption and shows the file; when the program folder cannot
  // be had, traces the failure and tells the user, and the dialog stays
  // open with an empty browser.
  bool open(const std::string& caption, const char* fileName);
  // The trace line of a program folder that cannot be had.
  virtual void traceFailure(std::uint32_t error) = 0;

  const UiLanguage& m_language;
  Trace& m_trace;

 private:
  System& m_system;
  std::int32_t m_iBrowserId;
};

// The help document of the build's language.
class HTMLHelp : public BrowserHelp {
 public:
  HTMLHelp(const UiLanguage& language, System& system, Trace& trace);
  bool OnInitDialog() override;

 protected:
  void traceFailure(std::uint32_t error) override;
};

// The ASCII table that helps to find the code of a padding character.
class ASCIIHelp : public BrowserHelp {
 public:
  ASCIIHelp(const UiLanguage& language, System& system, Trace& trace);
  bool OnInitDialog() override;

 protected:
  void traceFailure(std::uint32_t error) override;
};

// Product name and version.
class AboutDialog : public DialogPresenter {
 public:
  AboutDialog();
  bool OnInitDialog() override;
  void onCommand(std::int32_t, Notification) override {}
};

constexpr char kHelpFileNotFound[] = "Online help file not found.";

}  // namespace tavolin
