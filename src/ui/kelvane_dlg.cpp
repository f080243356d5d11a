#include "ui/kelvane_dlg.h"

#include "resource_ids.h"
#include "ui/attr_com.h"
#include "ui/attr_data.h"
#include "ui/attr_pfix.h"
#include "ui/attr_sheet.h"
#include "ui/help_dialogs.h"

namespace tavolin {

namespace {

CTrayDlg::Services trayServices(const ShellServices& s) {
  return {s.host, s.session.trace, s.session.eventLog, s.session.abortEvent, s.session.texts};
}

// A message followed by a reason: the system's texts begin without a blank
// and end with a line break, which a message box would show as an empty
// line.
std::string withReason(std::string message, const std::string& reason) {
  std::size_t end = reason.size();
  while (end > 0 && (reason[end - 1] == '\n' || reason[end - 1] == '\r')) --end;
  if (end > 0 && reason[0] != ' ' && reason[0] != '\n') message += ' ';
  return message + reason.substr(0, end);
}

}  // namespace

CKelvaneDlg::CKelvaneDlg(const ShellServices& services, const std::string& commandLine)
    : CTrayDlg(IDD_TAVOLIN_DIALOG, trayServices(services)),
      m_services(services),
      m_system(services.session.system),
      m_store(services.registry, services.session.trace,
              defaultSettings(m_system)),
      m_processor(services.keyboard, services.session.trace),
      // In this order: the event source, the user name, the single instance.
      m_eventSource(services.session.eventLog.registerSource(kEventSourceName)),
      m_sUserName(userNameOrUnknown(m_system)),
      m_startup(settleSingleInstance(services.instanceMutex, m_eventSource.get(), m_system, services.session.texts,
                                     m_sUserName)) {
  if (m_startup.exitCode != 0) return;
  m_bInstallMode = commandLine == installModeSwitch;
}

CKelvaneDlg::~CKelvaneDlg() {
  // The reading thread calls into this window; it ends first.
  m_pReaderSession.reset();
  m_pRavlinkSession.reset();
}

bool CKelvaneDlg::OnInitDialog() {
  view().setIcon(IDI_TAVOLIN);
  if (setUpTraceAndDataLog(m_system, m_trace, m_services.session.dataLog) == TraceSetUp::NotWritable) {
    view().messageBox(traceNotWritable, MessageIcon::Warning);
  }
  view().setCaption(kProductCaption);
  m_trace("%s %s\n", kProductCaption, kVersionText);
  m_trace("--> KONFIGURATIONSDUMP Start <--\n");
  m_pLanguage = m_services.germanBuild ? std::make_unique<UiLanguage>() : std::make_unique<UiLanguage>(1);
  loadSettings();
  CTrayDlg::OnInitDialog();
  ApplyFontsAndTexts();
  checkEnvironment();
  EnableTestDisplay(false);
  // Taken before the checks can end the start: the settings sheet, opened
  // to mend implausible card data, shows and starts the stored protocol.
  m_bRavlinkProtocol = m_settings.com.ravlinkProtocol();
  if (!startupChecks()) return true;
  OnButtonStart();
  if (m_bInstallMode) {
    actOnInstallMode();
    if (m_bEnded) return true;
  }
  view().setFocus(IDC_MAIN_HIDE);
  return false;
}

void CKelvaneDlg::loadSettings() {
  m_trace("\n--> Konfiguration COM-Schnittstelle:\n");
  if (!m_store.LoadComSettings(m_settings.com)) m_trace("Warnung: es kann nicht in die Registry geschrieben werden!\n");
  m_trace("--> Konfiguration Kartendaten:\n");
  m_store.LoadCardDataSettings(m_settings.cardData);
  m_trace("--> Konfiguration zus\xe4tzliche Zeichen:\n");
  m_store.LoadAddCharsSettings(m_settings.addChars);
  m_trace("--> KONFIGURATIONSDUMP Ende <--\n\n");
}

// Without administrator rights the program can be neither ended nor
// configured from its window.
void CKelvaneDlg::checkEnvironment() {
  m_trace(m_system.isUacEnabled() ? "Info: UAC ist enabled.\n" : "Info: UAC ist disabled.\n");
  m_bUserAdmin = m_system.isUserAdmin();
  if (m_bUserAdmin) {
    m_trace("User ist Admin. (Die Registry darf trotzdem nicht beschrieben werden.)\n");
  } else {
    view().enableItem(IDC_CANCEL, false);
    view().enableItem(IDC_MAIN_CONF, false);
    m_trace("User ist KEIN Admin.\n");
  }
}

// Derives the runtime records; false when the card data are implausible.
bool CKelvaneDlg::startupChecks() {
  m_trace("--> Auswertung der KONFIGURATION:\n");
  m_processor.CheckFilter(m_settings.cardData);
  m_processor.CheckAddChars(m_settings.addChars);
  m_iReadLength = m_processor.CheckCardAttr(m_settings.cardData);
  if (m_iReadLength > 0) return true;
  m_trace("OnInitDialog(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), kein Thread zum Lesen gestartet.\n");
  view().messageBox(text(UiText::ReadingThreadNotStarted), MessageIcon::Error);
  ShowReadingState(false);
  return false;
}

void CKelvaneDlg::actOnInstallMode() {
  m_trace("OnInitDialog(): installmode\n");
  m_bInstallMode = false;
  if (readingActive()) {
    m_trace("OnInitDialog(): Voreinstellung ok\n");
    view().messageBox(portText(UiText::DefaultSettingsOk) + text(UiText::InstallStarted),
                      MessageIcon::None, kProductCaption);
    OnClose();
    return;
  }
  m_trace("OnInitDialog(): OnButtonConf() n\xf6tig, da die Voreinstellungen nicht passen\n");
  OnButtonConf();
}

void CKelvaneDlg::onCommand(std::int32_t id, Notification notification) {
  if (notification != Notification::Clicked) return;
  switch (id) {
    case IDC_MAIN_START: OnButtonStart(); break;
    case IDC_MAIN_STOP: OnButtonStop(); break;
    case IDC_MAIN_CONF: if (m_bUserAdmin) OnButtonConf(); break;
    case IDC_MAIN_TEST_ON: OnButtonTestOn(); break;
    case IDC_MAIN_TEST_OFF: OnButtonTestOff(); break;
    case IDC_MAIN_HIDE: OnButtonHide(); break;
    case IDC_MAIN_HELP: OnButtonHelp(); break;
    case IDC_MAIN_INFO: OnButtonInfo(); break;
    // Escape reaches the window as the Exit button, which stays disabled
    // for a user without administrator rights.
    case IDC_CANCEL: if (m_bUserAdmin) OnCancel(); break;
    case IDC_OK: OnOK(); break;
    default: break;
  }
}

void CKelvaneDlg::OnButtonStart() {
  m_trace("OnButtonStart() Start\n");
  m_host.beginWaitCursor();
  view().setItemText(IDC_MAIN_READER_INFO, "");
  if (m_iReadLength <= 0) {
    // A session would be handed meaningless positions: reading is not
    // started until the card data are corrected.
    startFailed("OnButtonStart(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), kein Thread zum Lesen gestartet.\n",
                std::nullopt, text(UiText::ReadingThreadNotStarted));
    return;
  }
  const ComSettings& com = m_settings.com;
  m_sDevicePath = m_services.session.ports.devicePath(com.sCom);
  const bool signaling = com.signaling();
  const bool useSound = com.useSound();
  if (m_bRavlinkProtocol) {
    m_trace("OnButtonStart(): try new RavlinkSession on '%s'\n", m_sDevicePath.c_str());
    startSession(m_pRavlinkSession, "RavlinkSession", m_services.session, m_sDevicePath, signaling, useSound,
                 com.sSoundFile, *this);
  } else {
    const CardAttr& attr = m_processor.cardAttr();
    const std::int32_t byteStop = attr.bFixedLen ? attr.iTotalLen : attr.iByteStop;
    m_trace("OnButtonStart(): try new ReaderSession on '%s', mit Lesung der L\xe4nge %d Bytes\n", m_sDevicePath.c_str(),
            static_cast<int>(byteStop));
    startSession(m_pReaderSession, "ReaderSession", m_services.session, m_sDevicePath, com, signaling, useSound,
                 com.sSoundFile, attr.bFixedLen, attr.iByteStart, byteStop, *this);
  }
}

template <typename Session, typename... Args>
void CKelvaneDlg::startSession(std::unique_ptr<Session>& session, const char* name, Args&&... args) {
  const std::string notStarted = portText(UiText::ProcessReadingFromCom) + text(UiText::CouldNotBeStarted);
  try {
    session = std::make_unique<Session>(std::forward<Args>(args)...);
  } catch (const SessionError& e) {
    session.reset();
    startFailed(std::string(name) + " Konstruktor failed: " + e.message() + "\n", ": " + e.message(),
                withReason(notStarted, e.message()));
    return;
  } catch (...) {
    m_pReaderSession.reset();
    m_pRavlinkSession.reset();
    startFailed("ReaderSession or RavlinkSession Konstruktor failed or anything else\n", ": unknown reason", notStarted);
    return;
  }
  m_trace("OnButtonStart(): new %s done\n", name);
  // A new session types: the test display says so.
  EnableTestDisplay(false);
  ShowReadingState(true);
  if (m_eventSource) {
    m_eventSource->report(EventLog::Type::Information, event_id::Started,
                          {kProductCaption, kVersionText, m_sUserName, m_sDevicePath});
  }
  m_host.restoreCursor();
}

std::string CKelvaneDlg::portText(UiText entry) const {
  std::string result = text(entry);
  const std::string& com = m_settings.com.sCom;
  if (!com.empty() && com[0] == '/') {
    // A device path stands for itself: "Reading from /dev/ttyUSB0".
    if (const std::size_t word = result.rfind("COM"); word != std::string::npos && word + 3 == result.size()) {
      result.erase(word);
    }
    return result + com;
  }
  // Where the port's device is not named after the number (Linux), the
  // device tried is named too: "COM3 (/dev/ttyS2)".
  const std::string device = m_services.session.ports.devicePath(com);
  result += com;
  if (device.rfind("\\\\.\\COM", 0) != 0) result += " (" + device + ")";
  return result;
}

void CKelvaneDlg::startFailed(const std::string& traceText, const std::optional<std::string>& reason,
                              const std::string& message) {
  ShowReadingState(false);
  m_host.restoreCursor();
  m_trace.write(traceText);
  if (reason && m_eventSource) {
    m_eventSource->report(EventLog::Type::Error, event_id::SessionFailed,
                          {kProductCaption, kVersionText, m_sUserName, m_sDevicePath + *reason});
  }
  view().messageBox(message, MessageIcon::Error);
}

void CKelvaneDlg::OnButtonStop() {
  m_trace("OnButtonStop() start\n");
  m_host.beginWaitCursor();
  OnButtonTestOff();
  view().enableItem(IDC_MAIN_TEST_ON, false);
  view().setItemText(IDC_MAIN_READER_INFO, "");
  m_pReaderSession.reset();
  m_pRavlinkSession.reset();
  // What the ended reading thread posted is out of date now.
  ++m_uDisplayGeneration;
  ShowReadingState(false);
  m_host.restoreCursor();
  view().setFocus(IDC_MAIN_START);
  m_trace("OnButtonStop() done\n");
}

void CKelvaneDlg::OnButtonConf() {
  m_trace("CKelvaneDlg::OnButtonConf() Start.\n");
  AttrCOM com(m_bRavlinkProtocol, *this, *m_pLanguage, m_host, m_services.session.sound, m_services.session.ports);
  AttrData data(*this, com, *m_pLanguage, m_host, m_system, m_trace);
  AttrPFix pfix(*this, data, *m_pLanguage);
  AttrSheet sheet(std::string(kProductCaption) + " " + text(UiText::Settings));
  sheet.AddPage(com);
  sheet.AddPage(data);
  sheet.AddPage(pfix);
  if (!m_host.runPropertySheet(sheet)) return;
  applySheet(com, data, pfix);
}

void CKelvaneDlg::warnNotSaved(bool saved) {
  if (!saved) view().messageBox(text(UiText::RegistryNotModified), MessageIcon::Warning);
}

void CKelvaneDlg::applySheet(AttrCOM& com, AttrData& data, AttrPFix& pfix) {
  // The reading thread reads the derived records for every reading; it
  // stops before they are derived anew.
  if ((data.isChanged() || pfix.isChanged()) && readingActive()) OnButtonStop();

  bool restart = false;
  if (com.isChanged()) {
    m_trace("Kommunikation ge\xe4ndert\n");
    m_settings.com = com.getSettings();
    m_bRavlinkProtocol = m_settings.com.ravlinkProtocol();
    warnNotSaved(m_store.SaveComSettings(m_settings.com));
    restart = true;
  }
  if (data.isChanged()) {
    m_trace("Kartendaten ge\xe4ndert\n");
    m_settings.cardData = data.getSettings();
    m_processor.CheckFilter(m_settings.cardData);
    m_iReadLength = m_processor.CheckCardAttr(m_settings.cardData);
    if (m_iReadLength <= 0) {
      m_trace("OnButtonConf(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), Thread zum Lesen gestoppt.\n");
      m_trace("Fehler: unplausible Kartendaten (L\xe4nge <= 0)\n");
      view().messageBox(text(UiText::ReadingThreadNotStarted), MessageIcon::Error);
      OnButtonStop();
      return;
    }
    warnNotSaved(m_store.SaveCardDataSettings(m_settings.cardData));
    restart = true;
  }
  if (pfix.isChanged()) {
    m_trace("zus\xe4tzliche Zeichen ge\xe4ndert\n");
    m_settings.addChars = pfix.getSettings();
    m_processor.CheckAddChars(m_settings.addChars);
    warnNotSaved(m_store.SaveAddCharsSettings(m_settings.addChars));
    restart = true;
  }
  if (!restart) return;
  if (readingActive()) OnButtonStop();
  OnButtonStart();
}

void CKelvaneDlg::OnButtonTestOn() {
  // Test mode belongs to a session; without one there is nothing to show.
  if (readingActive()) setTestMode(true);
}

void CKelvaneDlg::OnButtonTestOff() { setTestMode(false); }

void CKelvaneDlg::setTestMode(bool on) {
  if (m_pReaderSession) m_pReaderSession->setTestMode(on);
  if (m_pRavlinkSession) m_pRavlinkSession->setTestMode(on);
  EnableTestDisplay(on);
}

void CKelvaneDlg::OnButtonHide() {
  if (m_host.isWindowVisible()) {
    OnButtonTestOff();
    m_host.showWindow(false);
  } else {
    m_host.showWindow(true);
    m_host.setForegroundWindow();
  }
}

void CKelvaneDlg::OnButtonHelp() {
  HTMLHelp help(*m_pLanguage, m_system, m_trace);
  m_host.runModal(help);
}

void CKelvaneDlg::OnButtonInfo() {
  AboutDialog about;
  m_host.runModal(about);
}

void CKelvaneDlg::OnCancel() {
  m_trace("CKelvaneDlg::OnCancel()\n");
  m_bEnded = true;
  m_eventSource.reset();
  OnDestroy();
  m_host.endDialog(IDC_CANCEL);
}

void CKelvaneDlg::OnOK() { m_trace("CKelvaneDlg::OnOK()\n"); }

void CKelvaneDlg::OnClose() {
  m_trace("CKelvaneDlg::OnClose()\n");
  m_bEnded = true;
  m_eventSource.reset();
  OnDestroy();
  m_host.endDialog(0);
}

std::int32_t CKelvaneDlg::GetTrayIcon() { return IDI_TAVOLIN; }

void CKelvaneDlg::OnTrayLButtonDblClk() {
  if (m_host.isWindowVisible()) {
    m_host.showWindow(false);
  } else {
    m_host.showWindow(true);
    m_host.setForegroundWindow();
  }
}

void CKelvaneDlg::OnTrayRButtonDown() {
  m_trace("CKelvaneDlg::OnTrayRButtonDown() Start.\n");
  const MenuChoice choice = m_host.trackPopupMenu(IDR_TRAY_MENU);
  if (choice.outcome == MenuChoice::Outcome::MenuMissing) {
    m_trace("CKelvaneDlg::OnTrayRButtonDown() LoadMenu failed.\n");
    return;
  }
  if (choice.outcome == MenuChoice::Outcome::NoPopUp) {
    m_trace("CKelvaneDlg::OnTrayRButtonDown() GetSubMenu failed.\n");
    return;
  }
  switch (choice.command) {
    case ID_TRAY_SHOW:
      if (!m_host.isWindowVisible()) m_host.showWindow(true);
      break;
    case ID_TRAY_ABOUT: OnButtonInfo(); break;
    case ID_TRAY_HELP: OnButtonHelp(); break;
    default: break;
  }
}

}  // namespace tavolin
