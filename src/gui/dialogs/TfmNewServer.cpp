#include "gui/dialogs/TfmNewServer.h"

#include "core/config/ConfigLocation.h"
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/storage/nkErrors.h"
#include "gui/dialogs/DialogKeys.h"
#include "gui/dialogs/DialogLayout.h"
#include "gui/dialogs/DialogPictures.h"
#include "gui/dialogs/FileChoosers.h"
#include "gui/dialogs/ProtocolControls.h"
#include "gui/dialogs/WizardFrame.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/ErrorText.h"
#include "gui/ui/PasswordEcho.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

using namespace pw;

namespace {
constexpr int kLastPage = 3;

QLineEdit* namedEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A caption above its edit, as the wizard's pages lay them out.
void addField(QVBoxLayout* layout, const char* caption, QWidget* field) {
    auto* label = new QLabel(QString::fromLatin1(caption), field->parentWidget());
    layout->addSpacing(6);
    layout->addWidget(label);
    layout->addWidget(field);
}

QWidget* withBrowse(QLineEdit* edit, QPushButton* button) {
    auto* row = new QWidget(edit->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit->setParent(row);
    button->setParent(row);
    button->setIcon(DialogPictures::ToolGlyph(DialogPictures::Glyph::Browse));
    button->setToolTip(QStringLiteral("Browse"));
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

QLabel* pageText(const QString& text, QWidget* page) {
    auto* label = new QLabel(text, page);
    label->setWordWrap(false);
    return label;
}
} // namespace

TfmNewServer::TfmNewServer(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_tables(std::make_unique<ConfigTables>(ConfigRole::Wizard)) {
    setObjectName(QStringLiteral("fmNewServer"));
    setWindowTitle(QStringLiteral("Server Wizard"));
    m_loadError = FailureOf([this] { OpenConfigurationForWizard(*m_tables, ConfigFilePath()); });

    WizardFrame frame(this, "pcWizard");
    pcWizard = frame.Pages;
    btPrevious = frame.Previous;
    btNext = frame.Next;
    btCancel = frame.Cancel;
    btFinish = frame.Finish;
    pcWizard->addWidget(buildStartPage());
    pcWizard->addWidget(buildNamePage());
    pcWizard->addWidget(buildServerPage());
    pcWizard->addWidget(buildDiskPage());
    connect(btPrevious, &QPushButton::clicked, this, [this] { goToPage(PageIndex() - 1); });
    connect(btNext, &QPushButton::clicked, this, [this] { goToPage(PageIndex() + 1); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btFinish, &QPushButton::clicked, this, &TfmNewServer::finish);

    for (QLineEdit* edit : {edNameOfConfiguration, edName, edHost, edLoginname, edPassword})
        connect(edit, &QLineEdit::textChanged, this, &TfmNewServer::updateButtons);

    edName->setText(DefaultUserName());
    edTempDirectory->setText(DefaultTemporaryFolder());
    edFTPDirectory->setText(QDir::toNativeSeparators(FromLocalPath(ProgramFolder()) + "/Ftp"));
    updateButtons();
    DialogLayout::FitClientArea(this, QSize(481, 305), true);
    btNext->setFocus();
}

TfmNewServer::~TfmNewServer() = default;

QString TfmNewServer::FromLocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QWidget* TfmNewServer::buildStartPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsStart"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pageText(
        QStringLiteral("Welcome to the Server Wizard.\n\n"
                       "This wizard will guide you through the system configuration and lets\n"
                       "add you a new server configuration to the system. This wizard also\n"
                       "appears when you got no configuration at first startup.\n\n"
                       "The first page asks you for a name of the configuration and the\n"
                       "name you are posting news and links. The second page lets edit\n"
                       "your ftp server, username and password on the server. The third\n"
                       "page lets you define the local storage of your homepage on your\n"
                       "harddisk and other directories."),
        page));
    layout->addStretch(1);
    return page;
}

QWidget* TfmNewServer::buildNamePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsName"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pageText(
        QStringLiteral("Please enter the name of the configuration and your name."), page));
    edNameOfConfiguration = namedEdit(page, "edNameOfConfiguration");
    addField(layout, "Name of Configuration", edNameOfConfiguration);
    edName = namedEdit(page, "edName");
    addField(layout, "Your name", edName);
    layout->addStretch(1);
    return page;
}

QWidget* TfmNewServer::buildServerPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsServer"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pageText(
        QStringLiteral("Please enter the location of your webserver, the name which is used\n"
                       "for login and the password that is required for writing data on the\n"
                       "ftp-server."),
        page));
    // The protocol stands where the scheme is written in an address, the port after the host.
    auto* hostRow = new QWidget(page);
    auto* hostLayout = new QHBoxLayout(hostRow);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    cbProtocol = new QComboBox(hostRow);
    cbProtocol->setObjectName(QStringLiteral("cbProtocol"));
    edHost = namedEdit(hostRow, "edHost");
    edPort = namedEdit(hostRow, "edPort");
    edPort->setMaximumWidth(60);
    hostLayout->addWidget(cbProtocol);
    hostLayout->addWidget(edHost, 1);
    hostLayout->addWidget(new QLabel(QStringLiteral("Port"), hostRow));
    hostLayout->addWidget(edPort);
    addField(layout, "FTP-Server", hostRow);
    edLoginname = namedEdit(page, "edLoginname");
    addField(layout, "Loginname", edLoginname);
    edPassword = namedEdit(page, "edPassword");
    ShowPasswordAsStars(edPassword);
    addField(layout, "Password", edPassword);
    layout->addWidget(buildConnectionOptions(page));
    layout->addStretch(1);
    return page;
}

// The key file and the two transfer options, caption beside control, so that the page
// keeps close to its size.
QWidget* TfmNewServer::buildConnectionOptions(QWidget* page) {
    auto* options = new QWidget(page);
    auto* grid = new QGridLayout(options);
    grid->setContentsMargins(0, 6, 0, 0);
    edKeyFile = namedEdit(options, "edKeyFile");
    btKeyFile = WizardFrame::Button(options, "btKeyFile", "");
    grid->addWidget(new QLabel(QStringLiteral("Key file"), options), 0, 0);
    grid->addWidget(withBrowse(edKeyFile, btKeyFile), 0, 1);
    rcPassiveMode = new QCheckBox(QStringLiteral("Passive mode"), options);
    rcPassiveMode->setObjectName(QStringLiteral("rcPassiveMode"));
    rcUploadViaTemporary =
        new QCheckBox(QStringLiteral("Upload to a temporary name first"), options);
    rcUploadViaTemporary->setObjectName(QStringLiteral("rcUploadViaTemporary"));
    const NewServerInput defaults;
    rcPassiveMode->setChecked(defaults.PassiveMode);
    rcUploadViaTemporary->setChecked(defaults.UploadViaTemporary);
    auto* checks = new QHBoxLayout;
    checks->addWidget(rcPassiveMode);
    checks->addWidget(rcUploadViaTemporary);
    checks->addStretch(1);
    grid->addLayout(checks, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(btKeyFile, &QPushButton::clicked, this, [this] {
        const QString file = ChooseKeyFile(this);
        if (!file.isEmpty()) edKeyFile->setText(file);
    });
    ProtocolControls{cbProtocol, nullptr, edPort, rcPassiveMode, edKeyFile, btKeyFile}.Follow();
    cbProtocol->setCurrentIndex(defaults.Protocol);
    return options;
}

QWidget* TfmNewServer::buildDiskPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsHardDisk"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pageText(
        QStringLiteral("Please choose the locations of the directories on your harddisk."), page));
    edFTPDirectory = namedEdit(page, "edFTPDirectory");
    btBrowseFTP = WizardFrame::Button(page, "btBrowseFTP", "");
    addField(layout, "Directory for local storage of your web-site",
             withBrowse(edFTPDirectory, btBrowseFTP));
    edTempDirectory = namedEdit(page, "edTempDirectory");
    btBrowseTemp = WizardFrame::Button(page, "btBrowseTemp", "");
    addField(layout, "Directory for temporary files", withBrowse(edTempDirectory, btBrowseTemp));
    layout->addStretch(1);
    connect(btBrowseFTP, &QPushButton::clicked, this, [this] { browseFolder(edFTPDirectory); });
    connect(btBrowseTemp, &QPushButton::clicked, this, [this] { browseFolder(edTempDirectory); });
    return page;
}

int TfmNewServer::PageIndex() const {
    return pcWizard->currentIndex();
}

void TfmNewServer::goToPage(int index) {
    if (index < 0 || index > kLastPage) return;
    pcWizard->setCurrentIndex(index);
    updateButtons();
    QLineEdit* first = index == 1   ? edNameOfConfiguration
                       : index == 2 ? edHost
                       : index == 3 ? edFTPDirectory
                                    : nullptr;
    if (first) first->setFocus();
}

void TfmNewServer::updateButtons() {
    if (!pcWizard || !btNext) return;
    const int page = PageIndex();
    const bool names = !edNameOfConfiguration->text().isEmpty() && !edName->text().isEmpty();
    const bool server = !edHost->text().isEmpty() && !edLoginname->text().isEmpty() &&
                        !edPassword->text().isEmpty();
    btPrevious->setEnabled(page > 0);
    btNext->setEnabled(page == 0 || (page == 1 && names) || (page == 2 && server));
    // After a failed load Finish is never offered: it would replace a file not fully read.
    const bool finish = page == kLastPage && names && server && m_loadError.isEmpty();
    btCancel->setVisible(!finish);
    btFinish->setVisible(finish);
}

void TfmNewServer::browseFolder(QLineEdit* edit) {
    const QString folder = FileChoosers::ChooseFolder(this, edit->text());
    if (!folder.isEmpty()) edit->setText(folder);
}

void TfmNewServer::finish() {
    NewServerInput input;
    input.Name = ToCp1252(edNameOfConfiguration->text());
    input.Poster = ToCp1252(edName->text());
    input.Host = ToCp1252(edHost->text());
    input.LoginName = ToCp1252(edLoginname->text());
    input.Password = ToCp1252(edPassword->text());
    input.LocalFTPDirectory = ToCp1252(edFTPDirectory->text());
    input.TemporaryDirectory = ToCp1252(edTempDirectory->text());
    input.Protocol = cbProtocol->currentIndex();
    input.Port = ToCp1252(edPort->text());
    input.PassiveMode = rcPassiveMode->isChecked();
    input.UploadViaTemporary = rcUploadViaTemporary->isChecked();
    input.KeyFile = ToCp1252(edKeyFile->text());
    TnkDBSource& config = m_tables->ConfigSource;
    const int before = config.RecordCount();
    try {
        EnsureProgramFolder();
        FinishNewServer(*m_tables, input, ConfigFilePath());
    } catch (const EFileError& error) {
        // Take the new record out again, so that trying once more does not add it twice.
        if (config.RecordCount() > before) {
            config.SetRecNo(config.RecordCount() - 1);
            config.Delete();
        }
        QString text = ErrorText(error);
        QMessageBox::critical(this, windowTitle(), text);
        return;
    }
    accept();
}

QString TfmNewServer::DefaultUserName() {
    // The full name from the password database: the comment field up to its first comma,
    // else the login name.
    if (const passwd* entry = getpwuid(getuid())) {
        const QString gecos = QString::fromLocal8Bit(entry->pw_gecos ? entry->pw_gecos : "");
        const QString full = gecos.section(QLatin1Char(','), 0, 0).trimmed();
        if (!full.isEmpty()) return full;
        if (entry->pw_name && *entry->pw_name) return QString::fromLocal8Bit(entry->pw_name);
    }
    return qEnvironmentVariable("USER");
}

QString TfmNewServer::DefaultTemporaryFolder() {
    return QDir::toNativeSeparators(QDir::tempPath());
}

void TfmNewServer::keyPressEvent(QKeyEvent* event) {
    // No button of the wizard is the default or the cancel button: Enter and Escape do
    // nothing here.
    if (!DialogKeys::SwallowEnterAndEscape(event)) QDialog::keyPressEvent(event);
}

void TfmNewServer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_loadError.isEmpty() || m_loadErrorShown) return;
    m_loadErrorShown = true;
    QTimer::singleShot(0, this, [this] {
        QMessageBox::critical(
            this, windowTitle(),
            QStringLiteral("The configuration file could not be read; it will not be "
                           "overwritten.\n%1")
                .arg(m_loadError));
    });
}
