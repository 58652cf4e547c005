#include "ui/prompts/CQtImportUi.h"

#include "catalogue/CLocationList.h"
#include "catalogue/CMusicImporter.h"
#include "ui/prompts/CQtImportProgress.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

std::unique_ptr<IImportProgress> CQtImportUi::CreateProgress(const std::string& title) {
    return std::make_unique<CQtImportProgress>(m_pParent, &m_prompt, title, 0, 0);
}

bool CQtImportUi::ChooseFolder(const std::string& title, const std::string& start,
                               std::string& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(
        m_pParent, QString::fromStdString(title), QString::fromStdString(start));
    folder = chosen.toStdString();
    return !chosen.isEmpty();
}

bool CQtImportUi::ChooseFiles(std::vector<std::string>& paths) {
    const QStringList chosen = QFileDialog::getOpenFileNames(
        m_pParent, QStringLiteral("Import music files"), {},
        QStringLiteral("mp3 files (*.mp?);;WAV files (*.wav);;Modules (*.mod);;All files (*)"));
    paths.clear();
    for (const QString& path : chosen) {
        paths.push_back(path.toStdString());
    }
    return !paths.empty();
}

IImportUi::LocationsMode CQtImportUi::ChooseLocations(CLocationList& locations,
                                                      std::vector<int>& selected, int& subfolders) {
    QDialog dialog(m_pParent);
    dialog.setWindowTitle(QStringLiteral("Import Music From Multiple Locations"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const auto refill = [&] {
        list->clear();
        for (const std::string& folder : locations.GetFolders()) {
            list->addItem(QString::fromStdString(folder));
        }
    };
    refill();
    layout->addWidget(list);
    auto* sub = new QCheckBox(QStringLiteral("Use &music from subfolders too"), &dialog);
    sub->setChecked(true);
    layout->addWidget(sub);
    auto* row = new QHBoxLayout;
    const auto button = [&](const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), &dialog);
        row->addWidget(b);
        return b;
    };
    QPushButton* all = button("Select &all");
    QPushButton* none = button("D&eselect all");
    QPushButton* remove = button("&Remove");
    QPushButton* other = button("&Other location...");
    QPushButton* chosen = button("&Selected location(s)");
    QPushButton* cancel = button("Cancel");
    chosen->setDefault(true);
    layout->addLayout(row);
    LocationsMode mode = kLocationsCancel;
    const auto rows = [&] {
        std::vector<int> lines;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->isSelected()) {
                lines.push_back(i);
            }
        }
        return lines;
    };
    QObject::connect(all, &QPushButton::clicked, list, &QListWidget::selectAll);
    QObject::connect(none, &QPushButton::clicked, list, &QListWidget::clearSelection);
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        if (CMusicImporter::RemoveLocations(m_prompt, locations, rows())) {
            refill();
        }
    });
    QObject::connect(other, &QPushButton::clicked, &dialog, [&] {
        mode = kLocationsOther;
        dialog.accept();
    });
    QObject::connect(chosen, &QPushButton::clicked, &dialog, [&] {
        if (list->count() == 0) {
            mode = kLocationsOther;
            dialog.accept();
            return;
        }
        std::vector<int> lines = rows();
        if (CMusicImporter::ConfirmSelection(m_prompt, list->count(), lines)) {
            selected = lines;
            mode = kLocationsSelected;
            dialog.accept();
        }
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.exec();
    subfolders = sub->isChecked() ? 1 : 0;
    return mode;
}
