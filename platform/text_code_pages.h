// Text between the code pages the programs meet: the ANSI code page of the
// narrow Windows calls and file names, UTF-8 of the reports and the
// clipboard's Unicode text.
#pragma once
#include <string>

// Text in the ANSI code page as UTF-8; bytes that do not convert are dropped.
std::string AnsiToUtf8(const std::string& ansi);
// UTF-8 as UTF-16 for the wide calls; "" when it does not convert.
std::wstring Utf8ToWide(const std::string& utf8);
// UTF-16 in the ANSI code page, exactly: false when a character has no byte
// of its own there (a best fit such as U+2215 for "/" is refused).
bool ConvertToAnsi(const std::u16string& text, std::string& ansi);
