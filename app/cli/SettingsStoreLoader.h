#pragma once

// Makes the program's settings store (the Qt one, loaded as a module from beside the
// executable or from the installed module folder) the process store. False, with the
// reason on stderr, when the module cannot be loaded; the in-memory defaults then serve.
bool InstallSettingsStore();
