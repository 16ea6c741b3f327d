#include "gui/dialogs/TfmConfiguration.h"

#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "core/storage/nkErrors.h"
#include "gui/dialogs/DialogLayout.h"
#include "gui/dialogs/DialogPictures.h"
#include "gui/dialogs/FileChoosers.h"
#include "gui/dialogs/MultiRowTabs.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBFieldLink.h"
#include "gui/ui/ErrorText.h"

#include <QAction>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace pw;

namespace {
const QString kTableFilter = QStringLiteral("Translation table (*.tab);;All file (*)");
const QString kHtmlFilter = QStringLiteral("Html file (*.htm *.html);;All files (*)");

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
} // namespace

TfmConfiguration::TfmConfiguration(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_tables(std::make_unique<ConfigTables>(ConfigRole::Dialog)) {
    setObjectName(QStringLiteral("fmConfiguration"));
    setWindowTitle(QStringLiteral("Configuration"));

    m_loadError = FailureOf([this] { OpenConfigurationForDialog(*m_tables, ConfigFilePath()); });
    // A file without a settings record still gets one to edit.
    if (m_tables->SettingsSource.RecordCount() == 0) m_tables->SettingsSource.Append();
    m_tables->SettingsSource.First();

    buildToolbar();
    buildPages();

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btOK->setEnabled(false);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setAutoDefault(false);
    connect(btOK, &QPushButton::clicked, this, &TfmConfiguration::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(findChild<QToolBar*>(QStringLiteral("sbConfiguration")));
    // The tabs take as many rows as the dialog's width needs.
    layout->addWidget(new MultiRowTabs(pcConfiguration, 481 - 12, this), 1);
    layout->addLayout(buttons);

    m_tables->ConfigSource.OnChange = [this](TnkDBSource&) { updateConfigurationCommands(); };
    m_tables->TranslationSource.OnChange = [this](TnkDBSource&) { updateTranslationCommands(); };
    connect(edNameOfCfg, &QLineEdit::textChanged, this, &TfmConfiguration::updateTitle);
    updateConfigurationCommands();
    updateTranslationCommands();
    updateTitle();

    DialogLayout::FitClientArea(this, QSize(481, 369), false);
}

TfmConfiguration::~TfmConfiguration() {
    m_tables->ConfigSource.OnChange = nullptr;
    m_tables->TranslationSource.OnChange = nullptr;
    UnlinkDBControls(this);
}

void TfmConfiguration::buildToolbar() {
    auto* bar = new QToolBar(QStringLiteral("Configuration"), this);
    bar->setObjectName(QStringLiteral("sbConfiguration"));
    bar->setIconSize(QSize(16, 16));
    using DialogPictures::Glyph;
    auto add = [this, bar](QAction*& action, const char* name, const char* caption, Glyph glyph) {
        action = bar->addAction(DialogPictures::ToolGlyph(glyph), QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
    };
    add(siCfgNew, "siCfgNew", "Add Configuration", Glyph::Add);
    add(siCfgDelete, "siCfgDelete", "Delete Configuration", Glyph::Delete);
    bar->addSeparator();
    add(siCfgFirst, "siCfgFirst", "First", Glyph::First);
    add(siCfgPrev, "siCfgPrev", "Previous", Glyph::Prior);
    add(siCfgNext, "siCfgNext", "Next", Glyph::Next);
    add(siCfgLast, "siCfgLast", "Last", Glyph::Last);
    bar->addSeparator();
    add(siCfgMoveLeft, "siCfgMoveLeft", "Move Configuration left", Glyph::MoveLeft);
    add(siCfgMoveRight, "siCfgMoveRight", "Move Configuration right", Glyph::MoveRight);
    bar->addSeparator();
    labCfgNo = new QLabel(QStringLiteral("0/0"), bar);
    labCfgNo->setObjectName(QStringLiteral("labCfgNo"));
    labCfgNo->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(labCfgNo);

    TnkDBSource& config = m_tables->ConfigSource;
    connect(siCfgNew, &QAction::triggered, this, [&config] { config.Append(); });
    connect(siCfgDelete, &QAction::triggered, this, [&config] { config.Delete(); });
    connect(siCfgFirst, &QAction::triggered, this, [&config] { config.First(); });
    connect(siCfgPrev, &QAction::triggered, this, [&config] { config.Prior(); });
    connect(siCfgNext, &QAction::triggered, this, [&config] { config.Next(); });
    connect(siCfgLast, &QAction::triggered, this, [&config] { config.Last(); });
    connect(siCfgMoveLeft, &QAction::triggered, this, [this] { moveConfiguration(-1); });
    connect(siCfgMoveRight, &QAction::triggered, this, [this] { moveConfiguration(1); });
}

void TfmConfiguration::buildPages() {
    pcConfiguration = new QTabWidget(this);
    pcConfiguration->setObjectName(QStringLiteral("pcConfiguration"));
    pcConfiguration->setUsesScrollButtons(true);
    pcConfiguration->addTab(buildGlobalPage(), QStringLiteral("Global"));
    pcConfiguration->addTab(buildGuiPage(), QStringLiteral("GUI"));
    pcConfiguration->addTab(buildConfirmationsPage(), QStringLiteral("Confirmations"));
    pcConfiguration->addTab(buildConfigurationPage(), QStringLiteral("Configuration"));
    pcConfiguration->addTab(buildServerPage(), QStringLiteral("Server"));
    pcConfiguration->addTab(buildNews1Page(), QStringLiteral("News 1/2"));
    pcConfiguration->addTab(buildNews2Page(), QStringLiteral("News 2/2"));
    const int links = pcConfiguration->addTab(buildLinksPage(), QStringLiteral("Links"));
    pcConfiguration->addTab(buildFtpPage(), QStringLiteral("FTP"));
    pcConfiguration->setTabVisible(links, false);
}

void TfmConfiguration::updateConfigurationCommands() {
    TnkDBSource& config = m_tables->ConfigSource;
    const int count = config.RecordCount();
    const int cursor = std::min(config.CurrentIndex(), count - 1);
    const bool any = count > 0;
    siCfgDelete->setEnabled(any);
    siCfgFirst->setEnabled(cursor > 0);
    siCfgPrev->setEnabled(cursor > 0);
    siCfgMoveLeft->setEnabled(cursor > 0);
    siCfgNext->setEnabled(cursor + 1 < count);
    siCfgLast->setEnabled(cursor + 1 < count);
    siCfgMoveRight->setEnabled(cursor + 1 < count);
    btBrowseFTP->setEnabled(any);
    btBrowseTemp->setEnabled(any);
    btNewsLocalFile->setEnabled(any);
    // After a failed load OK stays off: saving would replace a file that was not fully read.
    btOK->setEnabled(any && m_loadError.isEmpty());
    labCfgNo->setText(QStringLiteral("%1/%2").arg(cursor + 1).arg(count));
}

void TfmConfiguration::updateTranslationCommands() {
    const TnkDBSource& translation = m_tables->TranslationSource;
    const int count = translation.RecordCount();
    siTranslationSave->setEnabled(count > 0);
    siTranslationDelete->setEnabled(count > 0 && translation.CurrentIndex() >= 0);
}

void TfmConfiguration::updateTitle() {
    const QString name = edNameOfCfg->text();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Configuration")
                                  : QStringLiteral("Configuration (%1)").arg(name));
}

void TfmConfiguration::moveConfiguration(int step) {
    m_tables->ConfigSource.MoveCurrent(step);
}

void TfmConfiguration::browseFolder(DBEdit* edit) {
    const QString folder = FileChoosers::ChooseFolder(this, edit->text());
    if (!folder.isEmpty()) edit->SetTextAndStore(folder);
}

void TfmConfiguration::chooseNewsLocalFile() {
    const QString file =
        FileChoosers::ChooseSaveFile(this, QStringLiteral("Local file"), kHtmlFilter,
                                     QStringLiteral("htm"), edNewsLocalFile->text());
    if (!file.isEmpty()) edNewsLocalFile->SetTextAndStore(file);
}

void TfmConfiguration::loadTranslationTable() {
    const QString file = FileChoosers::ChooseOpenFile(
        this, QStringLiteral("Load translation table"), kTableFilter, QStringLiteral("tab"));
    if (file.isEmpty()) return;
    try {
        const std::string bytes = ReadWholeFile(localPath(file));
        ByteReader in(bytes);
        m_tables->TranslationSource.LoadFromStream(in);
    } catch (const EFileError& error) {
        QMessageBox::critical(this, windowTitle(), ErrorText(error));
    } catch (const EStreamError& error) {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("%1 is not a translation table.\n%2")
                                  .arg(file, QString::fromLocal8Bit(error.what())));
    }
}

void TfmConfiguration::saveTranslationTable() {
    const QString file = FileChoosers::ChooseSaveFile(
        this, QStringLiteral("Save translation table"), kTableFilter, QStringLiteral("tab"));
    if (file.isEmpty()) return;
    try {
        ByteWriter out;
        m_tables->TranslationSource.SaveToStream(out);
        WriteFileAtomically(localPath(file), out.data(), 0600);
    } catch (const EFileError& error) {
        QMessageBox::critical(this, windowTitle(), ErrorText(error));
    }
}

void TfmConfiguration::accept() {
    if (!btOK->isEnabled()) return;
    try {
        EnsureProgramFolder();
        SaveConfigurationFromDialog(*m_tables, ConfigFilePath());
    } catch (const EFileError& error) {
        QMessageBox::critical(this, windowTitle(), ErrorText(error));
        return;
    }
    QDialog::accept();
}

void TfmConfiguration::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_loadError.isEmpty() || m_loadErrorShown) return;
    m_loadErrorShown = true;
    QTimer::singleShot(0, this, [this] {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("The configuration file could not be read; it will "
                                             "not be overwritten.\n%1")
                                  .arg(m_loadError));
    });
}
