#include "ui/options/COptionsDialog.h"

#include "settings/CMixTypeList.h"
#include "settings/ProgramFolder.h"
#include "ui/options/CBroadcastPage.h"
#include "ui/prompts/IShellPrompt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* Note(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    return label;
}

// 0x00BBGGRR
QColor ToColor(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

std::uint32_t FromColor(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

// Remote players that speak MPRIS and are installed, as the command lines to start them.
QStringList RemotePlayerCommands() {
    QStringList commands;
    const std::pair<const char*, const char*> known[] = {
        {"mpv", "mpv --idle=yes --no-terminal --force-window=no"},
        {"vlc", "vlc"},
        {"audacious", "audacious"},
        {"clementine", "clementine"},
        {"strawberry", "strawberry"}};
    for (const auto& [program, command] : known) {
        if (!QStandardPaths::findExecutable(QString::fromUtf8(program)).isEmpty()) {
            commands << QString::fromUtf8(command);
        }
    }
    return commands;
}

} // namespace

COptionsDialog::COptionsDialog(IShellPrompt& prompt, ISettingsStore& store,
                               std::function<bool()> likeCurrentList, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_pages(store),
      m_likeCurrentList(std::move(likeCurrentList)) {
    setWindowTitle(QStringLiteral("Options"));
    CMixTypeList::Shared().ReadMixTypes(true);
    std::vector<std::string> names;
    for (int i = 0; i < CMixTypeList::Shared().GetCount(); ++i) {
        names.push_back(CMixTypeList::Shared().GetName(i));
    }
    m_pages.Initialise(names);

    m_pTree = new QTreeWidget;
    m_pTree->setHeaderHidden(true);
    m_pTree->setRootIsDecorated(false);
    m_pTree->setMaximumWidth(190);
    m_pStack = new QStackedWidget;
    for (int page = 0; page < COptionsPages::kPageCount; ++page) {
        m_pTree->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromUtf8(COptionsPages::Label(static_cast<COptionsPages::Page>(page)))}));
    }
    for (QWidget* page : {MakeGlobal(), MakeWinamp(), MakeInternal(), MakeList(), MakeColours(),
                          MakeMisc(), MakeOnairix(), MakeWelcome()}) {
        m_pStack->addWidget(page);
    }
    m_pTree->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Broadcast")}));
    m_pBroadcast = new CBroadcastPage(store);
    m_pStack->addWidget(m_pBroadcast);
    ShowPage(COptionsPages::kPageCount);
    // The page follows the selection, not the current item: a tree taking the focus makes
    // its first item current without choosing it, and the welcome text stays until then.
    connect(m_pTree, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> chosen = m_pTree->selectedItems();
        const int index = chosen.isEmpty() ? COptionsPages::kPageCount
                                           : m_pTree->indexOfTopLevelItem(chosen.front());
        ShowPage(index == COptionsPages::kPageCount ? kBroadcastPage : index);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // Enter and Escape answer these; letters of their own would take the pages' letters.
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDialog::reject);
    auto* body = new QHBoxLayout;
    body->addWidget(m_pTree);
    body->addWidget(m_pStack, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    resize(720, 480);
}

void COptionsDialog::ShowPage(int page) {
    m_pStack->setCurrentIndex(std::clamp(page, 0, kBroadcastPage));
}

QCheckBox* COptionsDialog::AddCheck(QWidget* page, const char* text, std::int32_t* value) {
    auto* check = new QCheckBox(QString::fromUtf8(text), page);
    check->setChecked(*value == 1);
    m_checks.emplace_back(check, value);
    return check;
}

// A stored value outside the range still shows as it is; OK then refuses it.
QSpinBox* COptionsDialog::AddNumber(int value, COptionsPages::Range range) {
    auto* spin = new QSpinBox;
    spin->setRange(std::min(range.low, value), std::max(range.high, value));
    spin->setValue(value);
    return spin;
}

void COptionsDialog::PaintColour(QPushButton* button, std::uint32_t value) {
    button->setStyleSheet(QStringLiteral("background-color: %1").arg(ToColor(value).name()));
}

QPushButton* COptionsDialog::AddColour(std::uint32_t* value) {
    auto* button = new QPushButton;
    button->setFixedWidth(60);
    PaintColour(button, *value);
    m_colours.emplace_back(button, value);
    connect(button, &QPushButton::clicked, this, [this, button, value] {
        const QColor chosen = QColorDialog::getColor(ToColor(*value), this);
        if (chosen.isValid()) {
            *value = FromColor(chosen);
            PaintColour(button, *value);
        }
    });
    return button;
}

QWidget* COptionsDialog::MakeWelcome() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(QString::fromUtf8(COptionsPages::kWelcomeTitle));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    title->setFont(bold);
    layout->addWidget(title);
    layout->addWidget(Note(COptionsPages::kWelcomeText));
    layout->addStretch();
    return page;
}

QWidget* COptionsDialog::MakeGlobal() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(AddCheck(page, "&Create empty list on startup", &v.m_bNewFileAtStart));
    layout->addWidget(AddCheck(page, "&Load last used album on startup", &v.m_bLoadLastUsed));
    layout->addWidget(AddCheck(page, "Aut&omatically save all (but new) playlists on exit",
                               &v.m_bAutoSaveOnExit));
    layout->addWidget(AddCheck(page, "&Maximize list if it's the only one", &v.m_bMaximizeChild));
    layout->addWidget(
        AddCheck(page, "&Rearrange windows when the new one is created", &v.m_bRearrangeOnNew));
    layout->addWidget(AddCheck(page, "Minimize to &tray (near the clock)", &v.m_bMinimizeToTray));
    layout->addWidget(AddCheck(page, "&Start WinAmp automatically", &v.m_bStartWinamp));
    layout->addWidget(AddCheck(page, "Close winamp on exit", &v.m_bCloseWinamp));
    layout->addWidget(Note("Select the player (Mixorel should be restarted if you change it)"));
    m_pPlayer = new QButtonGroup(page);
    auto* winamp = new QRadioButton(QStringLiteral("Use &Winamp"));
    auto* internal = new QRadioButton(QStringLiteral("Use the &Internal player"));
    m_pPlayer->addButton(winamp, 1);
    m_pPlayer->addButton(internal, 0);
    (v.m_bUseWinamp == 1 ? winamp : internal)->setChecked(true);
    layout->addWidget(winamp);
    layout->addWidget(internal);
    layout->addWidget(Note("Separate values with ';' E.g. mp3;mp2;wma;wav;flac;ogg;opus;m4a"));
    m_pExtensions = new QLineEdit(Text(v.m_strFileExtensions));
    layout->addWidget(m_pExtensions);
    layout->addStretch();
    return page;
}

QWidget* COptionsDialog::MakeWinamp() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* pathLabel = Note("&Path to the executable (a player with an MPRIS interface, with its "
                           "options)");
    layout->addWidget(pathLabel);
    auto* row = new QHBoxLayout;
    m_pRemotePlayer = new QComboBox;
    m_pRemotePlayer->setEditable(true);
    m_pRemotePlayer->addItems(RemotePlayerCommands());
    m_pRemotePlayer->setEditText(Text(v.m_strWinampPath));
    m_pRemotePlayer->setMinimumContentsLength(30);
    pathLabel->setBuddy(m_pRemotePlayer);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setFixedWidth(32);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QString(), QStringLiteral("/usr/bin"), QStringLiteral("All files (*)"));
        if (!path.isEmpty()) {
            m_pRemotePlayer->setEditText(path);
        }
    });
    row->addWidget(m_pRemotePlayer, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    layout->addWidget(Note("Make sure that loop song option in WinAmp is turned off!"));
    layout->addWidget(Note("Any player that offers the MPRIS interface on the session bus can be "
                           "driven: mpv (with mpv-mpris), VLC, Audacious and others. For "
                           "cross-fades use the internal player."));
    layout->addStretch();
    return page;
}

void COptionsDialog::EnableMixer(bool on) {
    for (QWidget* control :
         {static_cast<QWidget*>(m_pMixSeconds), static_cast<QWidget*>(m_pMixSpeed),
          static_cast<QWidget*>(m_pMixType), static_cast<QWidget*>(m_pFitFades)}) {
        control->setEnabled(on);
    }
}

// The settings of the song analysis: cue points and loudness.
void COptionsDialog::AddLoudness(QWidget* page, QVBoxLayout* layout) {
    CSettings& v = m_pages.Values();
    layout->addWidget(AddCheck(page, "Mix at the songs' &cue points", &v.m_bAutoMixPoints));
    layout->addWidget(Note("Every song is analysed once, in the background. The next song then "
                           "starts where the playing song's music fades, from the moment its "
                           "own music begins (silent intros and tails are skipped); the seconds "
                           "of Start mix become the longest overlap. A song not analysed yet "
                           "mixes as above."));
    m_pNormalize = AddCheck(page, "&Normalize loudness", &v.m_bNormalize);
    layout->addWidget(m_pNormalize);
    auto* form = new QFormLayout;
    m_pTargetLufs = AddNumber(v.m_nTargetLufs, COptionsPages::kTargetLufsRange);
    m_pTargetLufs->setSuffix(QStringLiteral(" LUFS  (-23 to -14)"));
    form->addRow(QStringLiteral("Target &loudness"), m_pTargetLufs);
    layout->addLayout(form);
    layout->addWidget(Note("Each song plays at the target loudness with a gain fixed before it "
                           "starts: at most +12 dB, and never so loud that its peaks pass "
                           "-1 dBTP. A song not analysed yet plays with its ReplayGain, else "
                           "6 dB lower. The music files are never changed."));
    connect(m_pNormalize, &QCheckBox::toggled, m_pTargetLufs, &QWidget::setEnabled);
    m_pTargetLufs->setEnabled(m_pNormalize->isChecked());
}

void COptionsDialog::OpenInEditor(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QWidget* COptionsDialog::MakeInternal() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_pUseMixer = AddCheck(page, "&Use automatic mixer", &v.m_bUseMixer);
    layout->addWidget(m_pUseMixer);
    auto* form = new QFormLayout;
    m_pMixSeconds = AddNumber(v.m_nMixSeconds, COptionsPages::kMixSecondsRange);
    m_pMixSeconds->setSuffix(QStringLiteral(" second(s) before end of a song"));
    form->addRow(QStringLiteral("Start &mix"), m_pMixSeconds);
    m_pMixSpeed = AddNumber(v.m_nMixSpeed, COptionsPages::kMixSpeedRange);
    m_pMixSpeed->setSuffix(QStringLiteral("  (1-20, lower number means slower)"));
    form->addRow(QStringLiteral("Mix &speed"), m_pMixSpeed);
    m_pMixType = new QComboBox;
    for (const std::string& name : m_pages.MixTypeNames()) {
        m_pMixType->addItem(Text(name));
    }
    m_pMixType->setCurrentIndex(m_pages.m_nMixTypeSelection);
    form->addRow(QStringLiteral("Mix &type"), m_pMixType);
    layout->addLayout(form);
    m_pFitFades = AddCheck(page, "&Fit the fades to the overlap", &v.m_bFitFades);
    layout->addWidget(m_pFitFades);
    auto* edit =
        new QLabel(QStringLiteral("<a href=\"mix\">Click here to edit the mixer data</a>"));
    connect(edit, &QLabel::linkActivated, this, [this] {
        const std::string folder = GetProgramFolder();
        EnsureMixIni(folder);
        OpenInEditor(Text(GetMixIniPath()));
    });
    layout->addWidget(edit);
    layout->addWidget(Note("Mixing will start selected number of seconds before the end of the "
                           "song being played. Song being played will fade out and the next "
                           "song fill fade in."));
    layout->addWidget(Note("Re-enter progam settings to use new mixer data. Make a backup "
                           "before altering the mix.ini. Check help for more info."));
    AddLoudness(page, layout);
    layout->addStretch();
    connect(m_pUseMixer, &QCheckBox::toggled, this, &COptionsDialog::EnableMixer);
    EnableMixer(m_pUseMixer->isChecked());
    return page;
}

QWidget* COptionsDialog::MakeList() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* randomizeLabel = Note("After &randomize what to do with the original list?");
    layout->addWidget(randomizeLabel);
    m_pRandomized = new QButtonGroup(page);
    auto* row = new QHBoxLayout;
    int id = 1;
    for (const char* text : {"Ask user", "Close", "Leave open"}) {
        auto* radio = new QRadioButton(QString::fromUtf8(text));
        m_pRandomized->addButton(radio, id);
        if (id == 1) {
            randomizeLabel->setBuddy(radio);
        }
        radio->setChecked(v.m_nCloseRandomized == id);
        row->addWidget(radio);
        ++id;
    }
    row->addStretch();
    layout->addLayout(row);
    auto* form = new QFormLayout;
    m_pFastDown = AddNumber(v.m_nFastMoveDown, COptionsPages::kFastMoveRange);
    m_pFastUp = AddNumber(v.m_nFastMoveUp, COptionsPages::kFastMoveRange);
    m_pFastUp->setSuffix(QStringLiteral(" pos."));
    m_pFastDown->setSuffix(QStringLiteral(" pos."));
    form->addRow(QStringLiteral("Fast move &down"), m_pFastDown);
    form->addRow(QStringLiteral("Fast move &up"), m_pFastUp);
    auto* like = new QPushButton(QStringLiteral("&Like current list"));
    like->setEnabled(static_cast<bool>(m_likeCurrentList));
    connect(like, &QPushButton::clicked, this, [this] {
        if (m_likeCurrentList && m_likeCurrentList()) {
            m_prompt.Ask(COptionsPages::kLikeCurrentText, IShellPrompt::kOk,
                         IShellPrompt::kIconInformation);
        }
    });
    form->addRow(QStringLiteral("Set all lists to have columns:"), like);
    m_pTitleTemplate = new QLineEdit(Text(v.m_strId3Tags));
    form->addRow(QStringLiteral("&Song title settings (use tags to select)"), m_pTitleTemplate);
    layout->addLayout(form);
    layout->addWidget(Note("%1 file name, %2 album, %3 artist, %4 song title, %5 comment, "
                           "%6 full path, %7 folder and file name. Use 'reprocess' option to "
                           "refresh list"));
    layout->addStretch();
    return page;
}

QWidget* COptionsDialog::MakeColours() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QFormLayout;
    const std::tuple<const char*, std::uint32_t*, std::uint32_t*> rows[] = {
        {"&Looping list", &v.m_crLoopBk, &v.m_crLoopFg},
        {"&Next to play", &v.m_crNextToPlayBk, &v.m_crNextToPlayFg},
        {"Sc&heduling list", &v.m_crScheduleBk, &v.m_crScheduleFg},
        {"Sch. ne&xt to play", &v.m_crNextToScheduleBk, &v.m_crNextToScheduleFg}};
    grid->addRow(QString(), new QLabel(QStringLiteral("background          foreground")));
    for (const auto& [text, back, fore] : rows) {
        auto* pair = new QHBoxLayout;
        QPushButton* first = AddColour(back);
        pair->addWidget(first);
        pair->addWidget(AddColour(fore));
        pair->addStretch();
        // A row of two buttons gets no buddy from the form, so its letter would show as "&".
        auto* label = new QLabel(QString::fromUtf8(text));
        label->setBuddy(first);
        grid->addRow(label, pair);
    }
    m_pFont = new QFontComboBox;
    m_pFont->setCurrentFont(QFont(Text(v.m_strListViewFontName)));
    grid->addRow(QStringLiteral("L&ist view font name"), m_pFont);
    m_pFontSize = AddNumber(m_pages.m_nFontPoints, COptionsPages::kFontPointsRange);
    grid->addRow(QStringLiteral("List view font size"), m_pFontSize);
    m_pIcons = new QComboBox;
    m_pIcons->addItems(
        {QStringLiteral("Small icons"), QStringLiteral("Big icons"), QStringLiteral("List")});
    m_pIcons->setCurrentIndex(v.m_nListOfPlaylistsIcon >= 0 && v.m_nListOfPlaylistsIcon <= 2
                                  ? v.m_nListOfPlaylistsIcon
                                  : -1);
    grid->addRow(QStringLiteral("List o&f playlists icons"), m_pIcons);
    layout->addLayout(grid);
    layout->addWidget(Note("Font change will take place in newly opened lists."));
    layout->addStretch();
    return page;
}

QWidget* COptionsDialog::MakeMisc() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        AddCheck(page, "Show new playnext position automatically", &v.m_nAutoShowPlayNext));
    layout->addWidget(AddCheck(page, "Skip to next - show the new playnext position",
                               &v.m_nAutoShowPlayNextOnSkip));
    layout->addWidget(AddCheck(page, "Show the alert after setting next to be played song(s)",
                               &v.m_nShowAlertAfterSetNext));
    layout->addWidget(
        AddCheck(page, "&No tooltips for the playlist songs", &v.m_bNoPlaylistTooltips));
    layout->addWidget(AddCheck(page, "&Stop looping at the end of list", &v.m_bStopLoopAtEnd));
    layout->addWidget(AddCheck(page, "Ask before shuting down PC", &v.m_bAskShutdownPc));
    layout->addWidget(
        AddCheck(page, "Show a &desktop notification when a song starts", &v.m_bNotifySongStart));
    layout->addStretch();
    return page;
}

QWidget* COptionsDialog::MakeOnairix() {
    CSettings& v = m_pages.Values();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        AddCheck(page, "Keep a log file of the songs played by scheduler", &v.m_bKeepOnairixLog));
    auto* row = new QHBoxLayout;
    m_pLogPath = new QLineEdit(Text(v.m_strLogPath));
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setFixedWidth(32);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QString(), m_pLogPath->text(),
            QStringLiteral("Onairix log files (*.log);;All files (*)"));
        if (!path.isEmpty()) {
            m_pLogPath->setText(path);
        }
    });
    auto* logLabel = new QLabel(QStringLiteral("&Log file path"));
    logLabel->setBuddy(m_pLogPath);
    row->addWidget(logLabel);
    row->addWidget(m_pLogPath, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    auto* view = new QPushButton(QStringLiteral("View the log file"));
    connect(view, &QPushButton::clicked, this, [this] {
        const QString path = m_pLogPath->text().isEmpty() ? Text(CSettings::GetDefaultLogPath())
                                                          : m_pLogPath->text();
        OpenInEditor(path);
    });
    auto* viewRow = new QHBoxLayout;
    viewRow->addWidget(view);
    viewRow->addStretch();
    layout->addLayout(viewRow);
    layout->addWidget(Note("The log is a plain text file: view it in your text editor."));
    layout->addStretch();
    return page;
}

void COptionsDialog::ReadControls() {
    CSettings& v = m_pages.Values();
    for (const auto& [check, value] : m_checks) {
        *value = check->isChecked() ? 1 : 0;
    }
    v.m_bUseWinamp = m_pPlayer->checkedId() == 1 ? 1 : 0;
    v.m_strFileExtensions = m_pExtensions->text().toStdString();
    v.m_strWinampPath = m_pRemotePlayer->currentText().toStdString();
    v.m_nMixSeconds = m_pMixSeconds->value();
    v.m_nMixSpeed = m_pMixSpeed->value();
    m_pages.m_nMixTypeSelection = m_pMixType->currentIndex();
    v.m_nTargetLufs = m_pTargetLufs->value();
    if (m_pRandomized->checkedId() > 0) {
        v.m_nCloseRandomized = m_pRandomized->checkedId();
    }
    v.m_nFastMoveDown = m_pFastDown->value();
    v.m_nFastMoveUp = m_pFastUp->value();
    v.m_strId3Tags = m_pTitleTemplate->text().toStdString();
    v.m_strListViewFontName = m_pFont->currentFont().family().toStdString();
    m_pages.m_nFontPoints = m_pFontSize->value();
    if (m_pIcons->currentIndex() >= 0) {
        v.m_nListOfPlaylistsIcon = m_pIcons->currentIndex();
    }
    v.m_strLogPath = m_pLogPath->text().toStdString();
}

bool COptionsDialog::Apply() {
    ReadControls();
    if (m_pages.NeedsRestartNotice()) {
        m_prompt.Ask(COptionsPages::kRestartText, IShellPrompt::kOk,
                     IShellPrompt::kIconInformation);
    }
    const COptionsPages::SaveResult result = m_pages.Save();
    if (result.bSaved) {
        bool stored = true;
        const std::string note = m_pBroadcast->Save(stored);
        if (!note.empty()) {
            m_prompt.Ask(note, IShellPrompt::kOk, IShellPrompt::kIconInformation);
        }
        if (!stored) {
            m_prompt.Ask("The settings could not be stored.", IShellPrompt::kOk,
                         IShellPrompt::kIconExclamation);
        }
        return stored;
    }
    ShowPage(result.failedPage);
    m_pTree->setCurrentItem(m_pTree->topLevelItem(result.failedPage));
    m_prompt.Ask(result.strMessage.empty() ? "The settings could not be stored."
                                           : result.strMessage,
                 IShellPrompt::kOk, IShellPrompt::kIconExclamation);
    return false;
}

void COptionsDialog::accept() {
    if (Apply()) {
        QDialog::accept();
    }
}
