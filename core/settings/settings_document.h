#pragma once
// Both pages' settings into and out of a settings document, by the key table.
#include "core/settings/ini_file.h"
#include "core/settings/settings_keys.h"

// Puts every key into `settings`: the document's value, else the key's default. A text whose
// empty value keeps the member leaves it as it was (the caller passes what the page holds).
void LoadSettingsDocument(const IniDocument& ini, AllSettings& settings);

// Writes every key into `ini`, section by section in the table's order; every other line
// stays. A shown text the document's value still decodes to keeps the document's bytes
// (bytes that are no GBK, an over-long value). A value that cannot stand in a line (a line
// break pasted into a field) keeps the key's old value rather than breaking the file.
void SaveSettingsDocument(const AllSettings& settings, IniDocument& ini);
