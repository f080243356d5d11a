#pragma once

#include "ui/property_page.h"

namespace tavolin::testing {

// The main window's live settings, as the settings pages copy them.
class LiveSettings : public SettingsSource {
 public:
  const ComSettings& getComSettings() const override { return settings.com; }
  const CardDataSettings& getCardDataSettings() const override { return settings.cardData; }
  const AddCharsSettings& getAddCharsSettings() const override { return settings.addChars; }
  Settings settings;
};

}  // namespace tavolin::testing
