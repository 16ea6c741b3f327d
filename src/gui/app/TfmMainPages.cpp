// The main toolbar and the four pages of the main window.
#include "gui/app/TfmMain.h"

#include "gui/ui/AnimatedImage.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBMemo.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/MainPictures.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
int g(MainGlyph glyph) {
    return static_cast<int>(glyph);
}

QToolBar* toolbar(QWidget* parent, const char* name) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setStyleSheet("QToolButton { min-width: 20px; min-height: 19px; padding: 1px; }");
    return bar;
}

// A named section of a toolbar: a separator carrying the section's name.
void section(QToolBar* bar, const char* name) {
    QAction* s = bar->addSeparator();
    s->setObjectName(QString::fromLatin1(name));
}

QVBoxLayout* column(QWidget* w) {
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

QTreeWidget* listView(QWidget* parent, const char* name,
                      std::initializer_list<std::tuple<const char*, int, bool>> columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QStringList captions;
    for (const auto& c : columns)
        captions << std::get<0>(c);
    list->setHeaderLabels(captions);
    int i = 0;
    for (const auto& [caption, width, right] : columns) {
        if (width > 0) list->setColumnWidth(i, width);
        if (right) list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        ++i;
    }
    list->header()->setSectionsClickable(false);
    return list;
}

QLabel* refreshPicture(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(MainPicture(MainGlyph::Busy).pixmap(16, 16));
    label->setFixedSize(16, 16);
    label->hide();
    return label;
}
} // namespace

void TfmMain::buildMainToolbar() {
    sbMain = toolbar(this, "sbMain");
    addToolBar(Qt::TopToolBarArea, sbMain);
    sbMain->setContextMenuPolicy(Qt::CustomContextMenu);
    section(sbMain, "ssFile");
    sbMain->addAction(
        item(siMinimizeToTray, "siMinimizeToTray", "Minimize to Tray", g(MainGlyph::Tray)));
    sbMain->addAction(
        item(siConfiguration, "siConfiguration", "Configuration", g(MainGlyph::Configuration)));
    sbMain->addAction(item(siExit, "siExit", "Exit Pagewright", g(MainGlyph::Exit)));
    section(sbMain, "ssNews");
    sbMain->addAction(item(siNewsStart, "siNewsStart", "Start News", g(MainGlyph::Start)));
    sbMain->addAction(item(siNewsStop, "siNewsStop", "Stop News", g(MainGlyph::Stop)));
    sbMain->addAction(item(siNewsPost, "siNewsPost", "Post News", g(MainGlyph::Post)));
    QAction* links = sbMain->addSeparator();
    links->setObjectName("ssLinks");
    links->setVisible(false);
    sbMain->addAction(item(siLinksStart, "siLinksStart", "Start Links", g(MainGlyph::Start)));
    siLinksStart->setVisible(false);
    section(sbMain, "ssFTP");
    sbMain->addAction(item(siFTPConnect, "siFTPConnect", "FTP Connect", g(MainGlyph::Connect)));
    sbMain->addAction(
        item(siFTPDisconnect, "siFTPDisconnect", "FTP Disconnect", g(MainGlyph::Disconnect)));
    section(sbMain, "ssHelp");
    sbMain->addAction(item(siHelpAbout, "siHelpAbout", "About", g(MainGlyph::About)));
    auto* spacer = new QWidget(sbMain);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    sbMain->addWidget(spacer);
    BoltAnimation = new AnimatedImage(BoltFrames(), 200, sbMain);
    BoltAnimation->setObjectName("BoltAnimation");
    // The widget action carries the visibility: the animation shows only while it runs.
    QAction* bolt = sbMain->addWidget(BoltAnimation);
    bolt->setObjectName("BoltAnimationItem");
    BoltAnimation->show();
    bolt->setVisible(false);

    pmsbMain = new QMenu(this);
    pmsbMain->setObjectName("pmsbMain");
    QAction* configure = pmsbMain->addAction("&Configure");
    configure->setObjectName("misbMainConfigure");
    connect(configure, &QAction::triggered, this, [this] { CustomizeToolbar(sbMain); });
    connect(sbMain, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmsbMain->popup(sbMain->mapToGlobal(at)); });
}

void TfmMain::buildNewsPage() {
    tsNews = new QWidget;
    tsNews->setObjectName("tsNews");
    QVBoxLayout* page = column(tsNews);

    sbNews = toolbar(tsNews, "sbNews");
    cbNewsConfig = new DBComboBox(sbNews);
    cbNewsConfig->setObjectName("cbNewsConfig");
    cbNewsConfig->setMinimumWidth(140);
    sbNews->addWidget(cbNewsConfig);
    section(sbNews, "ssNewsNews");
    sbNews->addAction(item(siNewsNew, "siNewsNew", "New News", g(MainGlyph::New)));
    sbNews->addAction(item(siNewsDelete, "siNewsDelete", "Delete News", g(MainGlyph::Delete)));
    sbNews->addAction(item(siNewsPreview, "siNewsPreview", "Preview News", g(MainGlyph::Preview)));
    sbNews->addAction(item(siNewsFirst, "siNewsFirst", "Goto Oldest News", g(MainGlyph::First)));
    sbNews->addAction(item(siNewsPrev, "siNewsPrev", "Goto Older News", g(MainGlyph::Prior)));
    sbNews->addAction(item(siNewsNext, "siNewsNext", "Goto Newer News", g(MainGlyph::Next)));
    sbNews->addAction(item(siNewsLast, "siNewsLast", "Goto Newest News", g(MainGlyph::Last)));
    sbNews->addAction(
        item(siNewsEditHeader, "siNewsEditHeader", "Edit Header", g(MainGlyph::EditHeader)));
    sbNews->addAction(
        item(siNewsEditFooter, "siNewsEditFooter", "Edit Footer", g(MainGlyph::EditFooter)));
    auto* spacer = new QWidget(sbNews);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    sbNews->addWidget(spacer);
    lbNewsPosition = new QLabel("0/0", sbNews);
    lbNewsPosition->setObjectName("lbNewsPosition");
    lbNewsPosition->setContentsMargins(4, 0, 6, 0);
    sbNews->addWidget(lbNewsPosition);
    page->addWidget(sbNews);

    auto* body = new QWidget(tsNews);
    auto* form = new QFormLayout(body);
    form->setContentsMargins(6, 6, 6, 6);
    const auto edit = [&](DBEdit*& member, const char* name, const char* field) {
        member = new DBEdit(body);
        member->setObjectName(QString::fromLatin1(name));
        member->SetDataSource(&NewsSource, field);
        return member;
    };
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(edit(edNewsDate, "edNewsDate", "Date"));
    dateRow->addWidget(new QLabel("Time:", body));
    dateRow->addWidget(edit(edNewsTime, "edNewsTime", "Time"));
    edNewsDate->setReadOnly(true);
    edNewsTime->setReadOnly(true);
    edNewsDate->setEnabled(false);
    edNewsTime->setEnabled(false);
    form->addRow("Date:", dateRow);
    form->addRow("Name:", edit(edNewsName, "edNewsName", "Name"));
    form->addRow("Header:", edit(edNewsHeader, "edNewsHeader", "Header"));

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    QString tens, ones;
    for (int i = 1; i <= 80; ++i) {
        tens += i % 10 == 0 ? QString::number(i / 10 % 10) : QStringLiteral(" ");
        ones += QString::number(i % 10);
    }
    auto* ruler = new QLabel(tens + "\n" + ones, body);
    ruler->setObjectName("labNewsRuler");
    ruler->setFont(fixed);
    textColumn->addWidget(ruler);
    edNewsText = new DBMemo(body);
    edNewsText->setObjectName("edNewsText");
    edNewsText->setFont(fixed);
    edNewsText->setLineWrapMode(QPlainTextEdit::NoWrap);
    edNewsText->SetDataSource(&NewsSource, "Text");
    textColumn->addWidget(edNewsText, 1);
    edNewsHTMLEditor = new QPlainTextEdit(body);
    edNewsHTMLEditor->setObjectName("edNewsHTMLEditor");
    edNewsHTMLEditor->setFont(fixed);
    edNewsHTMLEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    edNewsHTMLEditor->hide();
    textColumn->addWidget(edNewsHTMLEditor, 1);
    form->addRow("Text:", textColumn);
    form->addRow("Footer:", edit(edNewsFooter, "edNewsFooter", "Footer"));
    cbNewsBetweenTag = new QCheckBox("Between Tag", body);
    cbNewsBetweenTag->setObjectName("cbNewsBetweenTag");
    cbNewsBetweenTag->setEnabled(false);
    form->addRow(QString(), cbNewsBetweenTag);
    page->addWidget(body, 1);

    using K = GaugeStatusBar::Kind;
    sbaNews = new GaugeStatusBar({{K::Gauge, 50},
                                  {K::Text, 160},
                                  {K::SuccessGlyph, 20},
                                  {K::FailureGlyph, 20},
                                  {K::Gauge, 50},
                                  {K::Text, 50}},
                                 tsNews);
    sbaNews->setObjectName("sbaNews");
    for (int panel : {0, 2, 3, 4})
        sbaNews->SetPanelEnabled(panel, false);
    connect(sbaNews, &GaugeStatusBar::PanelClicked, this, [this](int panel) {
        if (panel != 2 && panel != 3) return;
        sbaNews->SetText(1, QString());
        sbaNews->SetPanelEnabled(2, false);
        sbaNews->SetPanelEnabled(3, false);
    });
    page->addWidget(sbaNews);
    PageControl->addTab(tsNews, "News");

    tsLinks = new QWidget;
    tsLinks->setObjectName("tsLinks");
    auto* linksLayout = column(tsLinks);
    auto* linksText = new QLabel("The links page is not available in this version.", tsLinks);
    linksText->setAlignment(Qt::AlignCenter);
    linksLayout->addWidget(linksText);
    PageControl->addTab(tsLinks, "Links");
    PageControl->setTabVisible(PageControl->indexOf(tsLinks), false);
}

void TfmMain::buildFTPPage() {
    tsFTP = new QWidget;
    tsFTP->setObjectName("tsFTP");
    QVBoxLayout* page = column(tsFTP);

    sbFTP = toolbar(tsFTP, "sbFTP");
    sbFTP->setContextMenuPolicy(Qt::CustomContextMenu);
    section(sbFTP, "ssGlobal");
    cbFTPConfig = new DBComboBox(sbFTP);
    cbFTPConfig->setObjectName("cbFTPConfig");
    cbFTPConfig->setMinimumWidth(140);
    sbFTP->addWidget(cbFTPConfig);
    sbFTP->addAction(
        item(siFTPQuickConnect, "siFTPQuickConnect", "Quick Connect", g(MainGlyph::QuickConnect)));
    sbFTP->addAction(item(siFTPEditOnlineHtml, "siFTPEditOnlineHtml", "Edit a file on FTP",
                          g(MainGlyph::EditOnline)));
    section(sbFTP, "ssFTP");
    sbFTP->addAction(
        item(siFTPRefreshFTP, "siFTPRefreshFTP", "Refresh FTP directory", g(MainGlyph::Refresh)));
    sbFTP->addAction(
        item(siFTPRemoteDirRoot, "siFTPRemoteDirRoot", "Goto root folder", g(MainGlyph::Root)));
    sbFTP->addAction(
        item(siFTPRemoteDirUp, "siFTPRemoteDirUp", "Go one folder up", g(MainGlyph::Up)));
    sbFTP->addAction(item(siFTPMakeDirectoryFTP, "siFTPMakeDirectoryFTP", "Make folder on FTP",
                          g(MainGlyph::MakeFolder)));
    sbFTP->addAction(item(siFTPCopyFTPToLocal, "siFTPCopyFTPToLocal",
                          "Copy file from FTP to local folder", g(MainGlyph::CopyRight)));
    sbFTP->addAction(item(siFTPRenameRemoteFile, "siFTPRenameRemoteFile", "Rename file on FTP",
                          g(MainGlyph::Rename)));
    sbFTP->addAction(
        item(siFTPDeleteOnFTP, "siFTPDeleteOnFTP", "Delete file on FTP", g(MainGlyph::Delete)));
    section(sbFTP, "ssLocal");
    sbFTP->addAction(item(siFTPRefreshLocal, "siFTPRefreshLocal", "Refresh local directory",
                          g(MainGlyph::Refresh)));
    sbFTP->addAction(
        item(siFTPLocalDirRoot, "siFTPLocalDirRoot", "Goto root folder", g(MainGlyph::Root)));
    sbFTP->addAction(
        item(siFTPLocalDirUp, "siFTPLocalDirUp", "Go one folder up", g(MainGlyph::Up)));
    siFTPLocalDirUp->setVisible(false);
    sbFTP->addAction(item(siFTPMakeDirectoryLocal, "siFTPMakeDirectoryLocal", "Make local folder",
                          g(MainGlyph::MakeFolder)));
    sbFTP->addAction(item(siFTPCopyLocalToFTP, "siFTPCopyLocalToFTP", "Copy local file to FTP",
                          g(MainGlyph::CopyLeft)));
    sbFTP->addAction(item(siFTPRenameLocalFile, "siFTPRenameLocalFile", "Rename local file",
                          g(MainGlyph::Rename)));
    siFTPRenameLocalFile->setVisible(false);
    sbFTP->addAction(item(siFTPDeleteOnLocal, "siFTPDeleteOnLocal", "Delete file on local folder",
                          g(MainGlyph::Delete)));
    page->addWidget(sbFTP);

    pmsbFTP = new QMenu(this);
    pmsbFTP->setObjectName("pmsbFTP");
    QAction* configure = pmsbFTP->addAction("&Configure");
    configure->setObjectName("misbFTPConfigure");
    connect(configure, &QAction::triggered, this, [this] { CustomizeToolbar(sbFTP); });
    connect(sbFTP, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmsbFTP->popup(sbFTP->mapToGlobal(at)); });

    spFTP = new QSplitter(Qt::Horizontal, tsFTP);
    spFTP->setObjectName("spFTP");
    spFTP->setHandleWidth(3);
    spFTP->setChildrenCollapsible(false);

    pnRemote = new QWidget(spFTP);
    pnRemote->setObjectName("pnRemote");
    pnRemote->setMinimumWidth(0);
    QVBoxLayout* remote = column(pnRemote);
    auto* remoteRow = new QHBoxLayout;
    remoteRow->setContentsMargins(3, 2, 3, 2);
    labRemotePath = new QLabel("/", pnRemote);
    labRemotePath->setObjectName("labRemotePath");
    labRemotePath->setTextFormat(Qt::PlainText);
    remoteRow->addWidget(labRemotePath, 1);
    imFTPRemoteRefresh = refreshPicture(pnRemote, "imFTPRemoteRefresh");
    remoteRow->addWidget(imFTPRemoteRefresh);
    remote->addLayout(remoteRow);
    lvRemoteFiles = listView(pnRemote, "lvRemoteFiles",
                             {{"Filename", 120, false},
                              {"Size", 70, true},
                              {"Type", 0, false},
                              {"Last Modified", 90, false}});
    remote->addWidget(lvRemoteFiles, 1);

    pnLocal = new QWidget(spFTP);
    pnLocal->setObjectName("pnLocal");
    pnLocal->setMinimumWidth(0);
    QVBoxLayout* local = column(pnLocal);
    auto* localRow = new QHBoxLayout;
    localRow->setContentsMargins(3, 2, 3, 2);
    labLocalPath = new QLabel("/", pnLocal);
    labLocalPath->setObjectName("labLocalPath");
    labLocalPath->setTextFormat(Qt::PlainText);
    localRow->addWidget(labLocalPath, 1);
    imFTPLocalRefresh = refreshPicture(pnLocal, "imFTPLocalRefresh");
    localRow->addWidget(imFTPLocalRefresh);
    cbLocalDrives = new QComboBox(pnLocal);
    cbLocalDrives->setObjectName("cbLocalDrives");
    cbLocalDrives->setFixedWidth(57);
    cbLocalDrives->setMaxVisibleItems(26);
    localRow->addWidget(cbLocalDrives);
    local->addLayout(localRow);
    // Both lists start at the same height: the remote label row is as tall as the local one.
    labRemotePath->setMinimumHeight(cbLocalDrives->sizeHint().height());
    lvLocalFiles = listView(pnLocal, "lvLocalFiles",
                            {{"Filename", 120, false},
                             {"Size", 70, true},
                             {"Type", 0, false},
                             {"Last Modified", 90, false}});
    lvLocalFiles->setDragEnabled(true);
    local->addWidget(lvLocalFiles, 1);
    spFTP->addWidget(pnRemote);
    spFTP->addWidget(pnLocal);
    page->addWidget(spFTP, 1);

    const auto popup =
        [this](QMenu*& menu, const char* name, QTreeWidget* list,
               std::initializer_list<std::tuple<QAction**, const char*, const char*, MainGlyph>>
                   items) {
            menu = new QMenu(list);
            menu->setObjectName(QString::fromLatin1(name));
            for (const auto& [member, itemName, text, glyph] : items)
                menu->addAction(item(*member, itemName, text, g(glyph)));
            connect(
                list, &QWidget::customContextMenuRequested, this,
                [menu, list](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
        };
    popup(pmlvRemoteFiles, "pmlvRemoteFiles", lvRemoteFiles,
          {{&milvRemoteRefresh, "milvRemoteRefresh", "Refresh folder", MainGlyph::Refresh},
           {&milvRemoteRoot, "milvRemoteRoot", "Root folder", MainGlyph::Root},
           {&milvRemoteUp, "milvRemoteUp", "One folder up", MainGlyph::Up},
           {&milvRemoteCreateFolder, "milvRemoteCreateFolder", "Create folder",
            MainGlyph::MakeFolder},
           {&milvRemoteCopy, "milvRemoteCopy", "Copy file(s)", MainGlyph::CopyRight},
           {&milvRemoteRename, "milvRemoteRename", "Rename file(s)", MainGlyph::Rename},
           {&milvRemoteDelete, "milvRemoteDelete", "Delete file(s)", MainGlyph::Delete}});
    popup(
        pmlvLocalFiles, "pmlvLocalFiles", lvLocalFiles,
        {{&milvLocalRefresh, "milvLocalRefresh", "Refresh folder", MainGlyph::Refresh},
         {&milvLocalRoot, "milvLocalRoot", "Root folder", MainGlyph::Root},
         {&milvLocalUp, "milvLocalUp", "One folder up", MainGlyph::Up},
         {&milvLocalCreateFolder, "milvLocalCreateFolder", "Create folder", MainGlyph::MakeFolder},
         {&milvLocalCopy, "milvLocalCopy", "Copy file(s)", MainGlyph::CopyLeft},
         {&milvLocalRename, "milvLocalRename", "Rename file(s)", MainGlyph::Rename},
         {&milvLocalDelete, "milvLocalDelete", "Delete file(s)", MainGlyph::Delete}});

    using K = GaugeStatusBar::Kind;
    sbaFTP = new GaugeStatusBar({{K::Gauge, 50},
                                 {K::Text, 160},
                                 {K::SuccessGlyph, 20},
                                 {K::FailureGlyph, 20},
                                 {K::Text, 50}},
                                tsFTP);
    sbaFTP->setObjectName("sbaFTP");
    for (int panel : {0, 2, 3})
        sbaFTP->SetPanelEnabled(panel, false);
    connect(sbaFTP, &GaugeStatusBar::PanelClicked, this, [this](int panel) {
        if (panel != 2 && panel != 3) return;
        sbaFTP->SetText(1, QString());
        sbaFTP->SetPanelEnabled(2, false);
        sbaFTP->SetPanelEnabled(3, false);
    });
    page->addWidget(sbaFTP);
    PageControl->addTab(tsFTP, "FTP");
}

void TfmMain::buildTransfersPage() {
    tsTransfers = new QWidget;
    tsTransfers->setObjectName("tsTransfers");
    QVBoxLayout* page = column(tsTransfers);

    sbTransfers = toolbar(tsTransfers, "sbTransfers");
    section(sbTransfers, "ssTransfer");
    sbTransfers->addAction(
        item(siTransferStop, "siTransferStop", "Stop current transfer", g(MainGlyph::Stop)));
    sbTransfers->addAction(
        item(siTransferPause, "siTransferPause", "Pause transfer", g(MainGlyph::Pause)));
    sbTransfers->addAction(
        item(siTransferRestart, "siTransferRestart", "Restart transfer", g(MainGlyph::Restart)));
    sbTransfers->addAction(
        item(siTransferDelete, "siTransferDelete", "Delete selected jobs", g(MainGlyph::Delete)));
    sbTransfers->addAction(
        item(siTransferLoad, "siTransferLoad", "Load transferlist", g(MainGlyph::Load)));
    sbTransfers->addAction(
        item(siTransferSave, "siTransferSave", "Save transferlist", g(MainGlyph::Save)));
    // Pause and Restart form one group: exactly one is down, Restart from the start.
    agTransferRun = new QActionGroup(this);
    agTransferRun->setExclusive(true);
    for (QAction* a : {siTransferPause, siTransferRestart}) {
        a->setCheckable(true);
        agTransferRun->addAction(a);
    }
    siTransferRestart->setChecked(true);
    for (QAction* a : {siTransferStop, siTransferPause, siTransferRestart, siTransferDelete,
                       siTransferLoad, siTransferSave})
        a->setEnabled(false);
    page->addWidget(sbTransfers);

    auto* status = new QWidget(tsTransfers);
    auto* statusLayout = new QVBoxLayout(status);
    statusLayout->setContentsMargins(6, 4, 6, 4);
    auto* labels = new QHBoxLayout;
    labTransfer = new QLabel("Disconnected", status);
    labTransfer->setObjectName("labTransfer");
    labTransfer->setTextFormat(Qt::PlainText);
    labTransferPercent = new QLabel(status);
    labTransferPercent->setObjectName("labTransferPercent");
    labTransferPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labels->addWidget(labTransfer, 1);
    labels->addWidget(labTransferPercent);
    statusLayout->addLayout(labels);
    pbTransfer = new QProgressBar(status);
    pbTransfer->setObjectName("pbTransfer");
    pbTransfer->setRange(0, 100);
    pbTransfer->setValue(0);
    statusLayout->addWidget(pbTransfer);
    page->addWidget(status);

    lvTransfer = listView(tsTransfers, "lvTransfer",
                          {{"Filename", 200, false},
                           {"Server", 150, false},
                           {"Size", 75, true},
                           {"Loginname", 75, false}});
    page->addWidget(lvTransfer, 1);

    sbaTransfers = new GaugeStatusBar({{GaugeStatusBar::Kind::Text, 50}}, tsTransfers);
    sbaTransfers->setObjectName("sbaTransfers");
    page->addWidget(sbaTransfers);
    PageControl->addTab(tsTransfers, "Transfers");
}
