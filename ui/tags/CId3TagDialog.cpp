#include "ui/tags/CId3TagDialog.h"

#include "ui/prompts/IShellPrompt.h"
#include "ui/toolkit/CPumpingRun.h"
#include "ui/toolkit/StdToQString.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

QComboBox* GenreList() {
    auto* list = new QComboBox;
    for (const std::string& name : CTagEditorData::GenreNames()) {
        list->addItem(Q(name));
    }
    return list;
}

// Year and track boxes show what the file holds, even beyond the limits that Save checks
// for the values the user types.
QSpinBox* NumberBox(int low, int high) {
    auto* box = new QSpinBox;
    box->setRange(low, high);
    return box;
}

QLineEdit* TextBox(int maxLength) {
    auto* edit = new QLineEdit;
    edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

CId3TagDialog::CId3TagDialog(IShellPrompt& prompt, std::vector<std::string> paths, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_paths(std::move(paths)) {
    setWindowTitle(QString::fromUtf8(CTagEditorData::kTitle));
    const std::string first = m_paths.empty() ? std::string() : m_paths.front();
    m_bLoaded = m_loaded.Load(first);
    if (!m_bLoaded) {
        m_prompt.Ask(CTagEditorData::kOpenFailedText, IShellPrompt::kOk, IShellPrompt::kIconError);
        return;
    }
    m_shown = m_loaded;

    auto* layout = new QVBoxLayout(this);
    auto* facts = new QFormLayout;
    m_pPath = new QLineEdit(Q(first));
    m_pPath->setReadOnly(true);
    facts->addRow(QStringLiteral("File &path"), m_pPath);
    m_pSize = new QLabel(QString::number(m_loaded.m_nSizeKb));
    facts->addRow(QStringLiteral("Size in Kb"), m_pSize);
    m_pDate = new QLabel(m_loaded.m_strFileDate.empty() ? QStringLiteral("...")
                                                        : Q(m_loaded.m_strFileDate));
    facts->addRow(QStringLiteral("File date/time"), m_pDate);
    if (m_paths.size() > 1) {
        facts->addRow(QString(), new QLabel(QStringLiteral("%1 songs: the fields you change are "
                                                           "set on every one of them.")
                                                .arg(m_paths.size())));
    }
    layout->addLayout(facts);

    auto* groups = new QHBoxLayout;
    groups->addWidget(MakeV1());
    auto* copies = new QVBoxLayout;
    auto* toV2 = new QPushButton(QStringLiteral(">>"));
    auto* toV1 = new QPushButton(QStringLiteral("<<"));
    copies->addStretch();
    copies->addWidget(toV2);
    copies->addWidget(toV1);
    copies->addStretch();
    groups->addLayout(copies);
    groups->addWidget(MakeV2(), 1);
    layout->addLayout(groups);
    connect(toV2, &QPushButton::clicked, this, [this] {
        Read(m_shown);
        m_shown.CopyV1ToV2();
        Show(m_shown);
    });
    connect(toV1, &QPushButton::clicked, this, [this] {
        Read(m_shown);
        m_shown.CopyV2ToV1();
        Show(m_shown);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->addButton(QStringLiteral("&Save"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CId3TagDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CId3TagDialog::reject);
    layout->addWidget(buttons);
    Show(m_shown);
}

QGroupBox* CId3TagDialog::MakeV1() {
    auto* group = new QGroupBox(QStringLiteral("Has ID3v&1 information"));
    group->setCheckable(true);
    auto* form = new QFormLayout(group);
    const int max = static_cast<int>(CTagEditorData::kV1TextMax);
    m_v1 = {group,        TextBox(max),          TextBox(max),       TextBox(max),
            TextBox(max), NumberBox(-999, 9999), NumberBox(-1, 255), GenreList()};
    form->addRow(QStringLiteral("Artist"), m_v1.artist);
    form->addRow(QStringLiteral("Album"), m_v1.album);
    form->addRow(QStringLiteral("Title"), m_v1.title);
    form->addRow(QStringLiteral("Comment"), m_v1.comment);
    form->addRow(QStringLiteral("Year"), m_v1.year);
    form->addRow(QStringLiteral("Genre"), m_v1.genre);
    form->addRow(QStringLiteral("Track"), m_v1.track);
    return group;
}

QGroupBox* CId3TagDialog::MakeV2() {
    auto* group = new QGroupBox(QStringLiteral("Has ID3v&2 information"));
    group->setCheckable(true);
    auto* form = new QFormLayout(group);
    const int max = static_cast<int>(Id3v2Fields::kTextCapacity);
    auto* comment = new QPlainTextEdit;
    comment->setMaximumHeight(60);
    m_v2 = {group,        TextBox(max), TextBox(max),          TextBox(max),
            TextBox(max), TextBox(max), TextBox(max),          TextBox(max),
            TextBox(max), comment,      NumberBox(-999, 9999), NumberBox(-1, 9999999),
            GenreList()};
    // A genre outside the list is shown, and can be typed, as its own text.
    m_v2.genre->setEditable(true);
    m_v2.genre->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(QStringLiteral("Artist"), m_v2.artist);
    form->addRow(QStringLiteral("Album"), m_v2.album);
    form->addRow(QStringLiteral("Title"), m_v2.title);
    form->addRow(QStringLiteral("Comment"), m_v2.comment);
    form->addRow(QStringLiteral("Year"), m_v2.year);
    form->addRow(QStringLiteral("Genre"), m_v2.genre);
    form->addRow(QStringLiteral("Track"), m_v2.track);
    form->addRow(QStringLiteral("Composer"), m_v2.composer);
    form->addRow(QStringLiteral("Original artist"), m_v2.original);
    form->addRow(QStringLiteral("Copyright"), m_v2.copyright);
    form->addRow(QStringLiteral("URL"), m_v2.url);
    form->addRow(QStringLiteral("Encoded by"), m_v2.encodedBy);
    return group;
}

void CId3TagDialog::Show(const CTagEditorData& d) {
    m_v1.group->setChecked(d.m_bHasV1);
    m_v1.title->setText(Q(d.m_v1.strTitle));
    m_v1.artist->setText(Q(d.m_v1.strArtist));
    m_v1.album->setText(Q(d.m_v1.strAlbum));
    m_v1.comment->setText(Q(d.m_v1.strComment));
    m_v1.year->setValue(d.m_v1.nYear);
    m_v1.track->setValue(d.m_v1.nTrack);
    m_v1.genre->setCurrentIndex(d.m_v1.nGenre);
    m_v2.group->setChecked(d.m_bHasV2);
    m_v2.title->setText(Q(d.m_v2.strTitle));
    m_v2.artist->setText(Q(d.m_v2.strArtist));
    m_v2.album->setText(Q(d.m_v2.strAlbum));
    m_v2.comment->setPlainText(Q(d.m_v2.strComment));
    m_v2.composer->setText(Q(d.m_v2.strComposer));
    m_v2.original->setText(Q(d.m_v2.strOriginalArtist));
    m_v2.copyright->setText(Q(d.m_v2.strCopyright));
    m_v2.url->setText(Q(d.m_v2.strUrl));
    m_v2.encodedBy->setText(Q(d.m_v2.strEncodedBy));
    m_v2.year->setValue(d.m_v2.nYear);
    m_v2.track->setValue(d.m_v2.nTrack);
    m_v2.genre->setCurrentIndex(m_v2.genre->findText(Q(d.m_v2.strGenre)));
    m_v2.genre->setCurrentText(Q(d.m_v2.strGenre));
}

void CId3TagDialog::Read(CTagEditorData& d) const {
    d.m_bHasV1 = m_v1.group->isChecked();
    d.m_v1.strTitle = S(m_v1.title->text());
    d.m_v1.strArtist = S(m_v1.artist->text());
    d.m_v1.strAlbum = S(m_v1.album->text());
    d.m_v1.strComment = S(m_v1.comment->text());
    d.m_v1.nYear = m_v1.year->value();
    d.m_v1.nTrack = m_v1.track->value();
    d.m_v1.nGenre = m_v1.genre->currentIndex();
    d.m_bHasV2 = m_v2.group->isChecked();
    d.m_v2.strTitle = S(m_v2.title->text());
    d.m_v2.strArtist = S(m_v2.artist->text());
    d.m_v2.strAlbum = S(m_v2.album->text());
    d.m_v2.strComment = S(m_v2.comment->toPlainText());
    d.m_v2.strComposer = S(m_v2.composer->text());
    d.m_v2.strOriginalArtist = S(m_v2.original->text());
    d.m_v2.strCopyright = S(m_v2.copyright->text());
    d.m_v2.strUrl = S(m_v2.url->text());
    d.m_v2.strEncodedBy = S(m_v2.encodedBy->text());
    d.m_v2.nYear = m_v2.year->value();
    d.m_v2.nTrack = m_v2.track->value();
    d.m_v2.strGenre = S(m_v2.genre->currentText());
}

bool CId3TagDialog::SaveSeveral(const CTagEditorData& edited) {
    const auto changes = CTagEditorData::Compare(m_loaded, edited);
    QProgressDialog progress(QStringLiteral("Saving the ID3 information"), QStringLiteral("Cancel"),
                             0, static_cast<int>(m_paths.size()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const CPumpingRun run; // a closing program stops the saves and waits for the dialog
    for (std::size_t i = 1; i < m_paths.size() && changes.Any(); ++i) {
        progress.setValue(static_cast<int>(i));
        QApplication::processEvents();
        if (progress.wasCanceled() || run.IsCancelled()) {
            break;
        }
        CTagEditorData other;
        if (other.LoadWithChanges(m_paths[i], edited, changes) && other.Save()) {
            m_saved.push_back(m_paths[i]);
        }
    }
    return true;
}

bool CId3TagDialog::Save() {
    Read(m_shown);
    const std::string invalid = m_shown.Validate();
    if (!invalid.empty()) {
        m_prompt.Ask(invalid, IShellPrompt::kOk, IShellPrompt::kIconExclamation);
        return false;
    }
    m_saved.clear();
    if (!m_shown.Save()) {
        m_prompt.Ask(CTagEditorData::kSaveFailedText, IShellPrompt::kOk,
                     IShellPrompt::kIconExclamation);
        return false;
    }
    m_saved.push_back(m_shown.m_strPath);
    return m_paths.size() <= 1 || SaveSeveral(m_shown);
}

void CId3TagDialog::accept() {
    if (Save()) {
        QDialog::accept();
    }
}
