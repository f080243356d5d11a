#include "settings_ui/help_dialogs.h"

#include <string>

#include "resource_ids.h"
#include "shell/event_log.h"

namespace tavolin {

std::string helpFileAddress(System& system, const char* fileName) {
  const std::string folder = system.getApplicationPath();
  if (folder.empty()) return {};
  return "file://" + system.joinPath(folder, fileName);
}

HTMLHelp::HTMLHelp(const UiLanguage& language, System& system, Trace& trace)
    : DialogPresenter(IDD_HTML_HELP), m_language(language), m_system(system), m_trace(trace) {}

bool HTMLHelp::OnInitDialog() {
  view().setCaption(std::string(kProductCaption) + " " + m_language.text(UiText::Help));
  const char* file = m_language.getLanguage() == UiLanguage::English ? "TavoHelp.mht" : "TavoHilfe.mht";
  const std::string address = helpFileAddress(m_system, file);
  if (address.empty()) {
    m_trace("HTMLHelp::OnInitDialog():GetModuleFileName() failed: %d\n", static_cast<int>(m_system.lastError()));
    view().messageBox(kHelpFileNotFound, MessageIcon::Warning);
    return true;
  }
  view().navigate(IDC_HELP_BROWSER, address);
  return true;
}

ASCIIHelp::ASCIIHelp(const UiLanguage& language, System& system, Trace& trace)
    : DialogPresenter(IDD_ASCII_HELP), m_language(language), m_system(system), m_trace(trace) {}

bool ASCIIHelp::OnInitDialog() {
  view().setCaption(m_language.text(UiText::AsciiTableOfPadding));
  const std::string address = helpFileAddress(m_system, "Ascii.htm");
  if (address.empty()) {
    m_trace("ASCIIHelp::OnInitDialog():getApplicationPath() failed\n");
    view().messageBox(kHelpFileNotFound, MessageIcon::Warning);
    return true;
  }
  view().navigate(IDC_ASCII_BROWSER, address);
  return true;
}

AboutDialog::AboutDialog() : DialogPresenter(IDD_ABOUT) {}

bool AboutDialog::OnInitDialog() {
  const FontSpec font{"MS Sans Serif", 16, 400};
  view().setFont(IDC_ABOUT_PRODUCT, font);
  view().setItemText(IDC_ABOUT_PRODUCT, kProductCaption);
  view().setFont(IDC_ABOUT_VERSION, font);
  view().setItemText(IDC_ABOUT_VERSION, kVersionText);
  return true;
}

}  // namespace tavolin
