// The key-map reference: what every remote key does in each TV application and in
// pointer mode, written from the utility's own command tables so that it cannot drift.
#pragma once

#include <string>

#include "apps/tv_app.h"

// The whole reference as Markdown (docs/keymap.md).
std::string KeymapMarkdown();

// One cell of the key table: what the key does in the application (1, 2, 6, 7 or 9).
std::string AppCommandText(AppId id, RemoteKey key);
// What the key does in pointer mode.
std::string PointerText(RemoteKey key);
// The raw codes that a Translated board's remote sends for the key.
std::string RawCodesText(RemoteKey key);
