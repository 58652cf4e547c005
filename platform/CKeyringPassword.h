#pragma once

#include <string>

// The stream's source password in the desktop's keyring (Secret Service or KWallet,
// through QtKeychain), one entry per server and user. Where no keyring answers, the
// password is kept in this process only, for the run, and the caller is told so: it
// never goes to the settings file.
//
// Threads: the GUI thread (the keyring's jobs need its event loop).
class CKeyringPassword {
public:
    enum Where : int { kKeyring = 0, kRunOnly };

    // "user@host:port/mount", the entry's name.
    static std::string EntryName(const std::string& user, const std::string& host, int port,
                                 const std::string& mount);
    // The password stored under the entry: from the keyring, else from the run's memory;
    // empty when there is none.
    static std::string Read(const std::string& entry);
    // Stores the password; kRunOnly when no keyring took it.
    static Where Write(const std::string& entry, const std::string& password);
    // The text shown when the keyring did not answer.
    static const char* RunOnlyText();
};
