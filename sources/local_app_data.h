// The current user's local application-data folder (%LOCALAPPDATA%), where
// the browsers keep their caches.
#pragma once
#include <string>

// "" when the shell cannot resolve it.
std::string LocalAppDataFolder();
