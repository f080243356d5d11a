#include "ui/application.h"

#include "resource_ids.h"

namespace tavolin {

namespace {

ShellServices shellServices(const PlatformSeams& p, DataLog& dataLog, AutoResetEvent& abortEvent, Keyboard& keyboard,
                            WindowHost& host, bool germanBuild) {
  const BuildTexts& texts = germanBuild ? BuildTexts::german() : BuildTexts::english();
  return {{p.system, p.ports, p.sound, p.eventLog, p.trace, dataLog, abortEvent, texts},
          p.registry,
          p.instanceMutex,
          keyboard,
          host,
          germanBuild};
}

}  // namespace

Application::Application(const PlatformSeams& platform, Keyboard& keyboard, WindowHost& host, bool germanBuild,
                         const std::string& commandLine)
    : m_dataLog(platform.system, platform.trace),
      m_window(shellServices(platform, m_dataLog, m_abortEvent, keyboard, host, germanBuild), commandLine) {}

void Application::start(DialogView& view) {
  m_window.attach(view);
  m_window.OnInitDialog();
}

std::int32_t Application::exitCode(std::int32_t dialogResult) { return dialogResult == IDC_CANCEL ? 0 : dialogResult; }

}  // namespace tavolin
