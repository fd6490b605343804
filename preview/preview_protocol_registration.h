// Makes every zemap URL that the process's URL monikers resolve go to the
// preview protocol, for the life of the process.
#pragma once
#include <windows.h>
#include <urlmon.h>

// The session's RegisterNameSpace result; E_POINTER for a null session.
HRESULT RegisterPreviewProtocol(IInternetSession* session);
