// The pointing-hand cursor of the link labels: one cursor for the whole run,
// made on first use and never destroyed.
#pragma once
#include <windows.h>

HCURSOR GetLinkCursor();
