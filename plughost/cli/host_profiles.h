// Named host profiles (--host-profile NAME): each one a bundle of run switches
// that reproduces, together, what plug-in authors report about one real host.
// A profile is expanded where it stands on the command line, so switches given
// after it override it. Windows-free.
#pragma once

#include <string>
#include <vector>

// The switches of profile `name`, or false when there is no such profile.
bool hostProfileSwitches(const std::string& name, std::vector<std::string>* switches);

// One line per profile: its name, what it reproduces, and its switches.
std::string hostProfileList();
