#pragma once

#include <QDialog>

class QListWidget;

// "Media Walker Criteria": field names moved from "Available" to "Use" in the order of
// the levels; Use answers them joined by "/" (for instance "Genre/Year").
class CWalkerCriteriaDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CWalkerCriteriaDialog(QWidget* parent = nullptr);
    QString Criteria() const;
    void AddSelected();
    void Reset();

private:
    QListWidget* m_pAvailable = nullptr;
    QListWidget* m_pUse = nullptr;
};
