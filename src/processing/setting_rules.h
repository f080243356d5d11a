#pragma once

#include <string>

namespace tavolin {

// The texts each setting allows, as the settings pages offer them.
// Returns an empty text when the value is allowed, and otherwise a
// sentence saying what the setting allows; an unknown name is reported
// as such.
std::string settingValueProblem(const std::string& name, const std::string& value);

}  // namespace tavolin
