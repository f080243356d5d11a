#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "processing/card_data_processor.h"
#include "processing/registry.h"
#include "processing/settings_store.h"
#include "readers/ravlink_session.h"
#include "readers/reader_session.h"
#include "ui/property_page.h"
#include "services/single_instance.h"
#include "ui/tray_dlg.h"
#include "text/ui_language.h"

namespace tavolin {

// Everything the main window works with.
struct ShellServices {
  SessionServices session;
  RegistryApi& registry;
  InstanceMutex& instanceMutex;
  Keyboard& keyboard;
  WindowHost& host;
  bool germanBuild;
};

// The main window: it owns the settings, the records derived from them,
// the one reader session and the language object, starts and stops
// reading, opens the settings sheet, shows readings in test mode, and is
// the owner the sessions report to.
class CKelvaneDlg final : public CTrayDlg, public SessionOwner, public SettingsSource {
 public:
  static constexpr char installModeSwitch[] = "-e";
  static constexpr char traceNotWritable[] = "Trace file cannot be written again.";

  // Settles the single instance; see startupDecision().
  CKelvaneDlg(const ShellServices& services, const std::string& commandLine);
  ~CKelvaneDlg() override;

  // How construction ended: exit code 0 goes on; otherwise the program
  // shows the message (no icon, no caption of its own) and ends with the
  // exit code, before the window exists.
  const StartupDecision& startupDecision() const { return m_startup; }

  bool OnInitDialog() override;
  void onCommand(std::int32_t id, Notification notification) override;

  void OnButtonStart();
  void OnButtonStop();
  void OnButtonConf();
  void OnButtonTestOn();
  void OnButtonTestOff();
  void OnButtonHide();
  void OnButtonHelp();
  void OnButtonInfo();
  void OnCancel();
  void OnOK();
  void OnClose();

  // Called by the session, from its reading thread (reader information:
  // from its constructor). The texts are made there; the controls change
  // on the user-interface thread.
  void takeReading(const char* reading, std::int32_t length, bool testMode) override;
  void ShowReading(std::int32_t kind, const char* data, std::int32_t length);
  void ShowCounter(std::int32_t field, std::int32_t value) override;
  void ShowMessage(std::int32_t field, const std::string& text, std::int32_t expected,
                   std::int32_t received) override;

  const ComSettings& getComSettings() const override { return m_settings.com; }
  const CardDataSettings& getCardDataSettings() const override { return m_settings.cardData; }
  const AddCharsSettings& getAddCharsSettings() const override { return m_settings.addChars; }

  void EnableTestDisplay(bool on);
  void ClearReadingDisplay();
  void ShowReadingState(bool active);
  void ApplyFontsAndTexts();

  bool readingActive() const { return m_pReaderSession || m_pRavlinkSession; }
  bool installMode() const { return m_bInstallMode; }
  bool ended() const { return m_bEnded; }

 protected:
  std::int32_t GetTrayIcon() override;
  std::string GetTrayTip() override { return kProductCaption; }
  void OnTrayLButtonDblClk() override;
  void OnTrayRButtonDown() override;

 private:
  using Updates = std::vector<std::pair<std::int32_t, std::string>>;

  void loadSettings();
  void checkEnvironment();
  bool startupChecks();
  void actOnInstallMode();
  template <typename Session, typename... Args>
  void startSession(std::unique_ptr<Session>& session, const char* name, Args&&... args);
  // Reading is not active after all: the state, the trace, event entry 7
  // when a session failed (with the reason after the device path), and the
  // message.
  void startFailed(const std::string& traceText, const std::optional<std::string>& reason, const std::string& message);
  void applySheet(class AttrCOM& com, class AttrData& data, class AttrPFix& pfix);
  void warnNotSaved(bool saved);
  void setTestMode(bool on);
  std::string text(UiText entry) const { return m_pLanguage->text(entry); }
  // The text, which ends in "COM", with the configured port.
  std::string portText(UiText entry) const;
  void setText(std::int32_t id, UiText entry) { view().setItemText(id, text(entry)); }
  // The texts of the reading display after a clear.
  static void clearedDisplay(Updates& updates);
  // Clears the reading display, the total length, the warning line and the
  // filter notice.
  void clearTestDisplay();
  // Posts control updates to the user-interface thread; they are dropped
  // there when reading has stopped since.
  void postUpdates(Updates updates);
  void applyUpdates(const Updates& updates);

  ShellServices m_services;
  System& m_system;
  bool m_bInstallMode = false;
  bool m_bRavlinkProtocol = false;
  bool m_bUserAdmin = false;
  bool m_bEnded = false;  // the dialog has been ended
  std::unique_ptr<ReaderSession> m_pReaderSession;
  std::unique_ptr<RavlinkSession> m_pRavlinkSession;
  Settings m_settings;
  SettingsStore m_store;
  CardDataProcessor m_processor;
  std::int32_t m_iReadLength = 0;  // CheckCardAttr's result for the live card data
  std::unique_ptr<EventLog::Source> m_eventSource;
  std::string m_sUserName;
  StartupDecision m_startup;
  std::unique_ptr<UiLanguage> m_pLanguage;
  std::atomic<std::uint64_t> m_uDisplayGeneration{0};
};

}  // namespace tavolin
