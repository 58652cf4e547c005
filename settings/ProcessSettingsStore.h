#pragma once

#include "ISettingsStore.h"

#include <memory>

// The one settings store of the process. The program sets it once at start-up, before
// other threads run; until then (and in core tests) it is an in-memory store, so nothing
// touches the disk unless a file store was set.
ISettingsStore& GetSettingsStore();

// Makes store the process store; a null pointer goes back to a fresh in-memory store.
// Stores that are replaced stay alive until the process ends, so a reference obtained
// earlier never dangles.
void SetSettingsStore(std::shared_ptr<ISettingsStore> store);
