// What the list's context menu does with the selected rows that Copy To and
// Drill do not: their URLs to the clipboard or the web browser, and the
// facts the menu's items are enabled by.
#pragma once
#include "browser/list_menu.h"
#include "browser/row_report.h"

#include <windows.h>

#include <string>
#include <vector>

class CCacheListCtrl;
struct CacheItem;

ListSelectionFacts SelectionFactsOf(const CCacheListCtrl& list, RowUrls& urls);

// The rows' URLs in row order, those without one left out.
std::vector<std::string> UrlsOf(const std::vector<const CacheItem*>& rows, RowUrls& urls);

// The URLs one a line (CRLF between them) as the clipboard's Unicode text;
// false when the clipboard could not be had.
bool CopyUrlsToClipboard(HWND owner, const std::vector<std::string>& urls);

// Whether the web browser may be handed the URL: http, https and ftp only,
// never a script or a local file that a cached address might name.
bool IsWebUrl(const std::string& url);

// Selects every row of the list.
void SelectAllRows(CCacheListCtrl& list);
