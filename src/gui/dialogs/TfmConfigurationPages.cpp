// The nine pages of the configuration dialog and the bindings of their controls.
#include "core/config/ConfigTables.h"
#include "gui/dialogs/DialogPictures.h"
#include "gui/dialogs/ProtocolControls.h"
#include "gui/dialogs/TfmConfiguration.h"
#include "gui/ui/DBCheckBox.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBMemo.h"
#include "gui/ui/DBTranslationList.h"

#include <QAction>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

using namespace pw;

namespace {
template <class Control> Control* named(Control* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

DBEdit* boundEdit(QWidget* parent, const char* name, TnkDBSource& source, const char* field) {
    auto* edit = named(new DBEdit(parent), name);
    edit->SetDataSource(&source, field);
    return edit;
}

DBCheckBox* boundCheck(QWidget* parent, const char* text, const char* name, TnkDBSource& source,
                       const char* field) {
    auto* box = named(new DBCheckBox(QString::fromLatin1(text), parent), name);
    box->SetDataSource(&source, field);
    return box;
}

// A check box bound to no field: shown, never usable.
QCheckBox* fixedCheck(QWidget* parent, const char* text, const char* name, bool checked = false) {
    auto* box = named(new QCheckBox(QString::fromLatin1(text), parent), name);
    box->setChecked(checked);
    box->setEnabled(false);
    return box;
}

QLabel* label(const char* text, QWidget* buddy) {
    auto* result = new QLabel(QString::fromLatin1(text), buddy->parentWidget());
    result->setBuddy(buddy);
    return result;
}

QPushButton* browseButton(QWidget* parent, const char* name) {
    auto* button = named(new QPushButton(parent), name);
    button->setIcon(DialogPictures::ToolGlyph(DialogPictures::Glyph::Browse));
    button->setToolTip(QStringLiteral("Browse"));
    button->setAutoDefault(false);
    return button;
}

QWidget* withButton(QWidget* edit, QPushButton* button) {
    auto* row = new QWidget(edit->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit->setParent(row);
    button->setParent(row);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

QWidget* withText(QWidget* edit, const char* before, const char* after) {
    auto* row = new QWidget(edit->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit->setParent(row);
    if (before) layout->addWidget(new QLabel(QString::fromLatin1(before), row));
    layout->addWidget(edit, 1);
    if (after) layout->addWidget(new QLabel(QString::fromLatin1(after), row));
    return row;
}

QWidget* leftAligned(QWidget* control) {
    auto* row = new QWidget(control->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    control->setParent(row);
    layout->addWidget(control);
    layout->addStretch(1);
    return row;
}

// An edit that only shows its field: the program, not the user, writes it.
class DBReadOnlyEdit : public DBEdit {
public:
    using DBEdit::DBEdit;

protected:
    void ReadField() override {
        DBEdit::ReadField();
        setReadOnly(true);
    }
};

// "Forget" clears the pinned certificate or host key, so that the next connection asks
// again; there is nothing to forget while the field is empty.
void offerForget(DBEdit* fingerprint, QPushButton* forget) {
    forget->setAutoDefault(false);
    QObject::connect(fingerprint, &QLineEdit::textChanged, forget,
                     [forget](const QString& text) { forget->setEnabled(!text.isEmpty()); });
    QObject::connect(forget, &QPushButton::clicked, fingerprint,
                     [fingerprint] { fingerprint->SetTextAndStore(QString()); });
    forget->setEnabled(!fingerprint->text().isEmpty());
}

QFormLayout* formOn(QWidget* page) {
    auto* form = new QFormLayout(page);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setLabelAlignment(Qt::AlignLeft);
    return form;
}
} // namespace

QWidget* TfmConfiguration::buildGlobalPage() {
    auto* page = named(new QWidget, "tsGlobal");
    TnkDBSource& settings = m_tables->SettingsSource;
    TnkDBSource& translation = m_tables->TranslationSource;

    auto* saveWindowPos =
        boundCheck(page, "Save window position", "rcSaveWindowPos", settings, "SaveWindowPos");
    auto* autoSave = boundEdit(page, "edAutoSave", settings, "AutoSave");
    autoSave->setEnabled(false);
    autoSave->setMaximumWidth(50);
    auto* autoSaveRow = new QHBoxLayout;
    autoSaveRow->addWidget(new QLabel(QStringLiteral("AutoSave every"), page));
    autoSaveRow->addWidget(autoSave);
    autoSaveRow->addWidget(new QLabel(QStringLiteral("minutes the data locally"), page));
    autoSaveRow->addStretch(1);

    auto* group = new QGroupBox(QStringLiteral("Translation table"), page);
    auto* list = named(new DBTranslationList(group), "lbTranslation");
    list->SetDataSource(&translation);
    auto* bar = named(new QToolBar(QStringLiteral("Translation"), group), "sbTranslation");
    bar->setIconSize(QSize(16, 16));
    auto add = [this, bar](QAction*& action, const char* name, const char* caption,
                           const QIcon& icon) {
        action = named(bar->addAction(icon, QString::fromLatin1(caption)), name);
    };
    using DialogPictures::Glyph;
    add(siTranslationClear, "siTranslationClear", "Clear translation table",
        DialogPictures::ToolGlyph(Glyph::Clear));
    add(siTranslationLoad, "siTranslationLoad", "Load translation table",
        style()->standardIcon(QStyle::SP_DialogOpenButton));
    add(siTranslationSave, "siTranslationSave", "Save translation table",
        style()->standardIcon(QStyle::SP_DialogSaveButton));
    add(siTranslationAdd, "siTranslationAdd", "New translation item",
        DialogPictures::ToolGlyph(Glyph::Add));
    add(siTranslationDelete, "siTranslationDelete", "Delete translation item",
        DialogPictures::ToolGlyph(Glyph::Delete));
    siTranslationSave->setEnabled(false);
    siTranslationDelete->setEnabled(false);
    connect(siTranslationClear, &QAction::triggered, this, [&translation] { translation.Clear(); });
    connect(siTranslationLoad, &QAction::triggered, this, [this] { loadTranslationTable(); });
    connect(siTranslationSave, &QAction::triggered, this, [this] { saveTranslationTable(); });
    connect(siTranslationAdd, &QAction::triggered, this, [this, &translation] {
        translation.Append();
        edTransChar->setFocus();
    });
    connect(siTranslationDelete, &QAction::triggered, this,
            [&translation] { translation.Delete(); });

    edTransChar = boundEdit(group, "edTransChar", translation, "Ascii");
    auto* transHtml = boundEdit(group, "edTransHtml", translation, "Html");
    auto* edits = new QHBoxLayout;
    edits->addWidget(label("Ascii", edTransChar));
    edits->addWidget(edTransChar, 1);
    edits->addWidget(label("Html", transHtml));
    edits->addWidget(transHtml, 2);
    auto* groupLayout = new QGridLayout(group);
    groupLayout->addWidget(bar, 0, 0);
    groupLayout->addWidget(list, 1, 0);
    groupLayout->addLayout(edits, 2, 0);

    auto* language = named(new DBComboBox(page), "cbLanguage");
    language->addItem(QStringLiteral("english (default)"));
    language->SetDataSource(&settings, "Language");
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(label("Language", language));
    languageRow->addWidget(language);
    languageRow->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(saveWindowPos);
    layout->addLayout(autoSaveRow);
    layout->addWidget(group, 1);
    layout->addLayout(languageRow);
    return page;
}

QWidget* TfmConfiguration::buildGuiPage() {
    auto* page = named(new QWidget, "tsGUI");
    TnkDBSource& settings = m_tables->SettingsSource;
    auto* picture = new QLabel(page);
    picture->setPixmap(DialogPictures::Screen(QSize(96, 72)));

    auto* pages = new QGroupBox(QStringLiteral("Visible Pages"), page);
    auto* pagesLayout = new QVBoxLayout(pages);
    pagesLayout->addWidget(boundCheck(pages, "News", "rcPagesNews", settings, "PagesNews"));
    auto* links = boundCheck(pages, "Links", "rcPagesLinks", settings, "PagesLinks");
    links->hide();
    pagesLayout->addWidget(links);
    pagesLayout->addWidget(boundCheck(pages, "FTP", "rcPagesFTP", settings, "PagesFTP"));
    pagesLayout->addWidget(
        boundCheck(pages, "Transfers", "rcPagesTransfers", settings, "PagesTransfers"));
    pagesLayout->addStretch(1);

    auto* menus = new QGroupBox(QStringLiteral("Visible Menus"), page);
    auto* menusLayout = new QVBoxLayout(menus);
    menusLayout->addWidget(
        boundCheck(menus, "News", "rcVisibleMenuNews", settings, "VisibleMenuNews"));
    auto* menuLinks =
        boundCheck(menus, "Links", "rcVisibleMenuLinks", settings, "VisibleMenuLinks");
    menuLinks->hide();
    menusLayout->addWidget(menuLinks);
    menusLayout->addWidget(
        boundCheck(menus, "FTP", "rcVisibleMenuFTP", settings, "VisibleMenuFTP"));
    menusLayout->addWidget(
        boundCheck(menus, "Transfer", "rcVisibleMenuTransfer", settings, "VisibleMenuTransfer"));
    menusLayout->addStretch(1);

    auto* others = new QVBoxLayout;
    others->addWidget(
        boundCheck(page, "Speedbar", "rcVisibleSpeedbar", settings, "VisibleSpeedbar"));
    others->addWidget(boundCheck(page, "Minimize to Tray", "rcVisibleMinimizeToTray", settings,
                                 "VisibleMinimizeToTray"));
    others->addStretch(1);

    auto* layout = new QGridLayout(page);
    layout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(pages, 0, 1);
    layout->addWidget(menus, 0, 2);
    layout->addLayout(others, 1, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(1, 1);
    return page;
}

QWidget* TfmConfiguration::buildConfirmationsPage() {
    auto* page = named(new QWidget, "tsConfirmations");
    auto* group = new QGroupBox(QStringLiteral("Confirm these actions"), page);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(fixedCheck(group, "Cancel/Stop news posting", "rcConfirmNewsStop"));
    groupLayout->addWidget(
        fixedCheck(group, "Quit program while connected", "rcConfirmQuit", true));
    groupLayout->addWidget(fixedCheck(group, "Cancel/Stop ftp connection", "rcConfirmFTPStop"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TfmConfiguration::buildConfigurationPage() {
    auto* page = named(new QWidget, "tsConfiguration");
    TnkDBSource& config = m_tables->ConfigSource;
    auto* form = formOn(page);
    edNameOfCfg = boundEdit(page, "edNameOfCfg", config, "Name");
    form->addRow(label("Name of Configuration", edNameOfCfg), edNameOfCfg);
    auto* poster = boundEdit(page, "edNameOfPoster", config, "Poster");
    form->addRow(label("Name of Poster", poster), poster);

    edLocalFTPDirectory = boundEdit(page, "edLocalFTPDirectory", config, "LocalFTPDirectory");
    btBrowseFTP = browseButton(page, "btBrowseFTP");
    form->addRow(label("Local FTP directory", edLocalFTPDirectory),
                 withButton(edLocalFTPDirectory, btBrowseFTP));
    edTemporaryDirectory = boundEdit(page, "edTemporaryDirectory", config, "TemporaryDirectory");
    btBrowseTemp = browseButton(page, "btBrowseTemp");
    form->addRow(label("Temporary directory", edTemporaryDirectory),
                 withButton(edTemporaryDirectory, btBrowseTemp));
    connect(btBrowseFTP, &QPushButton::clicked, this,
            [this] { browseFolder(edLocalFTPDirectory); });
    connect(btBrowseTemp, &QPushButton::clicked, this,
            [this] { browseFolder(edTemporaryDirectory); });

    auto* dateFormat = boundEdit(page, "edDateFormat", config, "DateFormat");
    dateFormat->setEnabled(false);
    form->addRow(label("Dateformat", dateFormat), dateFormat);
    auto* timeFormat = boundEdit(page, "edTimeFormat", config, "TimeFormat");
    timeFormat->setEnabled(false);
    form->addRow(label("Timeformat", timeFormat), timeFormat);
    form->addRow(boundCheck(page, "Use editor with Syntax-Highlighting", "rcSyntaxHighlighting",
                            config, "SyntaxHighlight"));
    return page;
}

QWidget* TfmConfiguration::buildServerPage() {
    auto* page = named(new QWidget, "tsServer");
    TnkDBSource& config = m_tables->ConfigSource;
    auto* form = formOn(page);
    auto* protocol = named(new DBComboBox(page), "cbProtocol");
    form->addRow(label("Protocol", protocol), leftAligned(protocol));
    auto* hostRow = new QWidget(page);
    auto* hostLayout = new QHBoxLayout(hostRow);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    auto* scheme = named(new QLabel(hostRow), "labHostScheme");
    auto* host = boundEdit(hostRow, "edHost", config, "Host");
    auto* port = boundEdit(hostRow, "edPort", config, "Port");
    port->setMaximumWidth(60);
    hostLayout->addWidget(scheme);
    hostLayout->addWidget(host, 1);
    hostLayout->addWidget(label("Port", port));
    hostLayout->addWidget(port);
    form->addRow(label("Host", host), hostRow);
    auto* login = boundEdit(page, "edLoginname", config, "LoginName");
    form->addRow(label("Loginname", login), login);
    auto* password = named(new DBPasswordEdit(page), "edPassword");
    password->SetDataSource(&config, "LoginPassword");
    form->addRow(label("Password", password), password);
    auto* keyFile = boundEdit(page, "edKeyFile", config, "KeyFile");
    auto* keyButton = browseButton(page, "btKeyFile");
    form->addRow(label("Key file", keyFile), withButton(keyFile, keyButton));
    connect(keyButton, &QPushButton::clicked, this, [this, keyFile] {
        const QString file = ChooseKeyFile(this);
        if (!file.isEmpty()) keyFile->SetTextAndStore(file);
    });
    auto* timeout = boundEdit(page, "edFTPTimeout", config, "FTPTimeout");
    timeout->setMaximumWidth(60);
    auto* timeoutRow = withText(timeout, nullptr, "seconds");
    static_cast<QHBoxLayout*>(timeoutRow->layout())->addStretch(1);
    form->addRow(label("FTP-Timeout", timeout), timeoutRow);
    auto* linefeed = named(new QComboBox(page), "cbLinefeedType");
    linefeed->addItems({QStringLiteral("CR/LF"), QStringLiteral("CR"), QStringLiteral("LF"),
                        QStringLiteral("LF/LF")});
    linefeed->setEnabled(false);
    form->addRow(label("Linefeedtype", linefeed), leftAligned(linefeed));
    auto* passive = boundCheck(page, "Passive mode", "rcPassiveMode", config, "PassiveMode");
    auto* temporary = boundCheck(page, "Upload to a temporary name first", "rcUploadViaTemporary",
                                 config, "UploadViaTemporary");
    auto* checks = new QHBoxLayout;
    checks->addWidget(passive);
    checks->addWidget(temporary);
    checks->addStretch(1);
    form->addRow(checks);
    auto* fingerprint = named(new DBReadOnlyEdit(page), "edTrustedFingerprint");
    fingerprint->SetDataSource(&config, "TrustedFingerprint");
    auto* forget = named(new QPushButton(QStringLiteral("Forget"), page), "btForgetFingerprint");
    offerForget(fingerprint, forget);
    form->addRow(label("Fingerprint", fingerprint), withButton(fingerprint, forget));

    ProtocolControls{protocol, scheme, port, passive, keyFile, keyButton}.Follow();
    protocol->SetDataSource(&config, "Protocol"); // after Follow() has filled the list
    return page;
}

QWidget* TfmConfiguration::buildNews1Page() {
    auto* page = named(new QWidget, "tsNews1");
    TnkDBSource& config = m_tables->ConfigSource;
    auto* form = formOn(page);
    auto* newsFile = boundEdit(page, "edNewsfile", config, "NewsFile");
    form->addRow(label("Newsfile", newsFile), newsFile);
    edNewsLocalFile = boundEdit(page, "edNewsLocalFile", config, "NewsLocalFile");
    btNewsLocalFile = browseButton(page, "btNewsLocalFile");
    form->addRow(label("Local file", edNewsLocalFile),
                 withButton(edNewsLocalFile, btNewsLocalFile));
    connect(btNewsLocalFile, &QPushButton::clicked, this, [this] { chooseNewsLocalFile(); });
    auto* section = boundEdit(page, "edNewsSection", config, "NewsSection");
    form->addRow(label("Name of Newssection", section), section);
    auto* header = boundEdit(page, "edHeaderDefaults", config, "NewsHeaderDefaults");
    form->addRow(label("Header defaults", header), header);
    auto* footer = boundEdit(page, "edFooterDefaults", config, "NewsFooterDefaults");
    form->addRow(label("Footer defaults", footer), footer);
    auto* between = named(new DBMemo(page), "edBetweenNews");
    between->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    between->SetDataSource(&config, "NewsBetweenNews");
    form->addRow(label("Between Footer && Header", between), between);
    return page;
}

QWidget* TfmConfiguration::buildNews2Page() {
    auto* page = named(new QWidget, "tsNews2");
    TnkDBSource& config = m_tables->ConfigSource;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fixedCheck(page, "automatical Newsfile", "rcAutomaticNewsfile"));
    auto* format = named(new DBComboBox(page), "cbNewsfile");
    format->addItems(
        {QStringLiteral("Flat file news script"), QStringLiteral("Database news script")});
    format->SetDataSource(&config, "NewsNewsFile");
    format->setEnabled(false);
    auto* formatRow = new QHBoxLayout;
    formatRow->addSpacing(20);
    formatRow->addWidget(format);
    formatRow->addStretch(1);
    layout->addLayout(formatRow);
    layout->addWidget(boundCheck(page, "Stay connected during edit", "rcNewsStayConnected", config,
                                 "NewsStayConnected"));
    layout->addWidget(
        boundCheck(page, "do every posting with own header", "rcNewsHeader", config, "NewsHeader"));
    layout->addWidget(fixedCheck(page, "Post newest item at bottom", "rcNewsNewestAtBottom"));
    layout->addStretch(1);
    return page;
}

QWidget* TfmConfiguration::buildLinksPage() {
    auto* page = named(new QWidget, "tsLinks");
    TnkDBSource& config = m_tables->ConfigSource;
    auto* form = formOn(page);
    auto* file = boundEdit(page, "edLinksFile", config, "LinksFile");
    form->addRow(label("Link datafile", file), file);
    auto* saveLocal = boundCheck(page, "Save links in local FTP directory", "rcLinksSaveLocal",
                                 config, "LinksSaveLocal");
    auto* stay = boundCheck(page, "Stay connected during edit", "rcLinksStayConnected", config,
                            "LinksStayConnected");
    form->addRow(saveLocal);
    form->addRow(stay);
    for (QWidget* control : {static_cast<QWidget*>(file), static_cast<QWidget*>(saveLocal),
                             static_cast<QWidget*>(stay)})
        control->setEnabled(false);
    return page;
}

QWidget* TfmConfiguration::buildFtpPage() {
    auto* page = named(new QWidget, "tsFTP");
    TnkDBSource& config = m_tables->ConfigSource;
    auto* form = formOn(page);
    auto* folder = boundEdit(page, "edFTPDefaultFolder", config, "FTPDefaultFolder");
    form->addRow(label("Default directory", folder), folder);
    form->addRow(boundCheck(page, "Automatic local directory refresh", "rcFTPAutomaticLocalRefresh",
                            config, "FTPAutomaticLocalRefresh"));
    auto* dropper = new QWidget(page);
    auto* dropperLayout = new QVBoxLayout(dropper);
    dropperLayout->setContentsMargins(0, 0, 0, 0);
    dropperLayout->addWidget(
        fixedCheck(dropper, "Dropper form visible at startup", "rcDropperVisible"));
    dropperLayout->addWidget(
        fixedCheck(dropper, "Save position and size of Dropper form", "rcDropperSavePosition"));
    form->addRow(new QLabel(QStringLiteral("Dropper form\n(global)"), page), dropper);
    return page;
}
