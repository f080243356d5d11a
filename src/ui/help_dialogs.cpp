#include "ui/help_dialogs.h"

#include <string>

#include "resource_ids.h"
#include "services/event_log.h"

namespace tavolin {

BrowserHelp::BrowserHelp(std::int32_t templateId, std::int32_t browserId, const UiLanguage& language, System& system,
                         Trace& trace)
    : DialogPresenter(templateId), m_language(language), m_trace(trace), m_system(system), m_iBrowserId(browserId) {}

// The address is "file://", the folder and the file, unescaped.
bool BrowserHelp::open(const std::string& caption, const char* fileName) {
  view().setCaption(caption);
  const std::string folder = m_system.getApplicationPath();
  if (folder.empty()) {
    traceFailure(m_system.lastError());
    view().messageBox(kHelpFileNotFound, MessageIcon::Warning);
    return true;
  }
  view().navigate(m_iBrowserId, "file://" + m_system.joinPath(folder, fileName));
  return true;
}

HTMLHelp::HTMLHelp(const UiLanguage& language, System& system, Trace& trace)
    : BrowserHelp(IDD_HTML_HELP, IDC_HELP_BROWSER, language, system, trace) {}

bool HTMLHelp::OnInitDialog() {
  return open(std::string(kProductCaption) + " " + m_language.text(UiText::Help),
              m_language.getLanguage() == UiLanguage::English ? "TavoHelp.mht" : "TavoHilfe.mht");
}

void HTMLHelp::traceFailure(std::uint32_t error) {
  m_trace("HTMLHelp::OnInitDialog():GetModuleFileName() failed: %d\n", static_cast<int>(error));
}

ASCIIHelp::ASCIIHelp(const UiLanguage& language, System& system, Trace& trace)
    : BrowserHelp(IDD_ASCII_HELP, IDC_ASCII_BROWSER, language, system, trace) {}

bool ASCIIHelp::OnInitDialog() { return open(m_language.text(UiText::AsciiTableOfPadding), "Ascii.htm"); }

void ASCIIHelp::traceFailure(std::uint32_t /*error*/) { m_trace("ASCIIHelp::OnInitDialog():getApplicationPath() failed\n"); }

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
