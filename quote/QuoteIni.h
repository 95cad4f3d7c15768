#pragma once

#include "quote/QuoteSettings.h"

// The quote settings live in default.ini, section "Quote", beside the connection settings (the
// Windows program, which reads only its own sections, ignores it).

// The stored settings; the defaults when the section holds none.
QuoteSettingTexts ReadQuoteSettings(const QString &iniPath);
// All the settings in one rewrite of the file; false with the reason when they are not stored.
bool WriteQuoteSettings(const QuoteSettingTexts &texts, const QString &iniPath, QString *error);
