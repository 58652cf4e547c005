#pragma once

#include "settings/CBroadcastSettings.h"

#include <QWidget>

class ISettingsStore;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// The "Broadcast" page of Options: the Icecast server, mount, user and password, the
// stream's name, genre, format and bit rate, and the recording's format, split and
// folder. The password goes to the keyring (or, without one, is kept for the run only),
// never to the settings file.
class CBroadcastPage final : public QWidget {
    Q_OBJECT
public:
    explicit CBroadcastPage(ISettingsStore& store, QWidget* parent = nullptr);

    // Stores the page; the text to tell the user when the password could only be kept for
    // the run (empty otherwise); false in ok when the store refused a write.
    std::string Save(bool& ok);

private:
    QLineEdit* AddLine(class QFormLayout* form, const char* label, const std::string& text);

    ISettingsStore& m_store;
    CBroadcastSettings m_settings;
    QCheckBox* m_pStream = nullptr;
    QLineEdit* m_pHost = nullptr;
    QSpinBox* m_pPort = nullptr;
    QLineEdit* m_pMount = nullptr;
    QLineEdit* m_pUser = nullptr;
    QLineEdit* m_pPassword = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pGenre = nullptr;
    QComboBox* m_pFormat = nullptr;
    QComboBox* m_pBitrate = nullptr;
    QCheckBox* m_pRecord = nullptr;
    QComboBox* m_pRecordFormat = nullptr;
    QComboBox* m_pSplit = nullptr;
    QLineEdit* m_pFolder = nullptr;
};
