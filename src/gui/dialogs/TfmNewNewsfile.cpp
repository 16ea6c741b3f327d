#include "gui/dialogs/TfmNewNewsfile.h"

#include "core/storage/TnkDBSource.h"
#include "gui/dialogs/DialogKeys.h"
#include "gui/dialogs/DialogLayout.h"
#include "gui/dialogs/WizardFrame.h"
#include "gui/ui/Cp1252Text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace pw;

namespace {
QWidget* page(QWidget* parent, const char* name, QVBoxLayout*& layout) {
    auto* w = new QWidget(parent);
    w->setObjectName(QString::fromLatin1(name));
    layout = new QVBoxLayout(w);
    layout->setContentsMargins(8, 8, 8, 8);
    return w;
}

// A caption above its field.
void addField(QVBoxLayout* layout, const char* caption, QWidget* field) {
    layout->addSpacing(6);
    layout->addWidget(new QLabel(QString::fromLatin1(caption), field->parentWidget()));
    layout->addWidget(field);
}

QPlainTextEdit* memo(QWidget* parent, const char* name) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return m;
}
} // namespace

TfmNewNewsfile::TfmNewNewsfile(const TnkDBSource& configurations, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("fmNewNewsfile");
    setWindowTitle("Newsfile Wizard");
    auto* sorry = new QLabel("Sorry! No function yet.", this);
    sorry->setObjectName("lbNoFunction");
    WizardFrame frame(this, "pcWizard", sorry);
    pcWizard = frame.Pages;
    btPrevious = frame.Previous;
    btNext = frame.Next;
    btCancel = frame.Cancel;
    btFinish = frame.Finish;
    pcWizard->addWidget(buildStartPage());
    pcWizard->addWidget(buildConfigPage(configurations));
    pcWizard->addWidget(buildFilePage());
    pcWizard->addWidget(buildMemoPage("tsEditHeader", "Edit your Header.", "Header", "edHeader"));
    pcWizard->addWidget(buildMemoPage("tsEditFooter", "Edit your footer.", "Footer", "edFooter"));
    pcWizard->addWidget(buildFinalPage());
    connect(btPrevious, &QPushButton::clicked, this, [this] { goToPage(PageIndex() - 1); });
    connect(btNext, &QPushButton::clicked, this, [this] { goToPage(PageIndex() + 1); });
    connect(btCancel, &QPushButton::clicked, this, &TfmNewNewsfile::reject);
    connect(btFinish, &QPushButton::clicked, this, [this] { done(Finished); });
    DialogLayout::FitClientArea(this, QSize(481, 305), true);
    updateButtons();
    btNext->setFocus();
}

QWidget* TfmNewNewsfile::buildStartPage() {
    QVBoxLayout* layout;
    QWidget* w = page(pcWizard, "tsStart", layout);
    auto* welcome = new QLabel("Welcome to the Newsfile Wizard!", w);
    QFont big = welcome->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    welcome->setFont(big);
    layout->addWidget(welcome);
    layout->addSpacing(8);
    layout->addWidget(new QLabel("This wizard guides you through publishing a new news page:\n"
                                 "  - choose the configuration to use,\n"
                                 "  - enter the file name on the server,\n"
                                 "  - edit the header and the footer of the page,\n"
                                 "  - post the new page.",
                                 w));
    layout->addSpacing(8);
    auto* warning = new QLabel("<b><u>Warning:</u></b> This wizard only publishes a new HTML file "
                               "for news on the FTP server. It does not edit it.",
                               w);
    warning->setWordWrap(true);
    layout->addWidget(warning);
    layout->addStretch(1);
    return w;
}

QWidget* TfmNewNewsfile::buildConfigPage(const TnkDBSource& configurations) {
    QVBoxLayout* layout;
    QWidget* w = page(pcWizard, "tsConfig", layout);
    layout->addWidget(new QLabel("Please choose your configuration you want to use.", w));
    auto* cbConfig = new QComboBox(w);
    cbConfig->setObjectName("cbConfig");
    for (int r = 0; r < configurations.RecordCount(); ++r)
        cbConfig->addItem(FromCp1252(configurations.GetString(r, "Name")));
    if (cbConfig->count() > 0) cbConfig->setCurrentIndex(0);
    addField(layout, "Configuration", cbConfig);
    layout->addStretch(1);
    return w;
}

QWidget* TfmNewNewsfile::buildFilePage() {
    QVBoxLayout* layout;
    QWidget* w = page(pcWizard, "tsNewsfile", layout);
    layout->addWidget(new QLabel("Please enter a filename for file on  the server. You can use\n"
                                 "pathnames.",
                                 w));
    auto* edFilename = new QLineEdit("/index.html", w);
    edFilename->setObjectName("edFilename");
    addField(layout, "Filename", edFilename);
    layout->addStretch(1);
    return w;
}

QWidget* TfmNewNewsfile::buildMemoPage(const char* pageName, const char* text, const char* caption,
                                       const char* memoName) {
    QVBoxLayout* layout;
    QWidget* w = page(pcWizard, pageName, layout);
    layout->addWidget(new QLabel(QString::fromLatin1(text), w));
    addField(layout, caption, memo(w, memoName));
    return w;
}

QWidget* TfmNewNewsfile::buildFinalPage() {
    QVBoxLayout* layout;
    QWidget* w = page(pcWizard, "tsFinal", layout);
    layout->addWidget(new QLabel("Press the Post button and then the Finish button.", w));
    QPushButton* btPost = WizardFrame::Button(w, "btPost", "&Post");
    btPost->setEnabled(false);
    layout->addWidget(btPost, 0, Qt::AlignLeft);
    auto* log = new QListWidget(w);
    log->setObjectName("lbFTPLogfile");
    log->setSelectionMode(QAbstractItemView::NoSelection);
    addField(layout, "FTP-Logfile", log);
    return w;
}

int TfmNewNewsfile::PageIndex() const {
    return pcWizard->currentIndex();
}

void TfmNewNewsfile::goToPage(int index) {
    if (index < 0 || index >= pcWizard->count()) return;
    pcWizard->setCurrentIndex(index);
    updateButtons();
}

void TfmNewNewsfile::updateButtons() {
    const int p = PageIndex();
    const int n = pcWizard->count();
    btPrevious->setEnabled(p > 0);
    btNext->setEnabled(p + 1 < n);
    const bool last = p + 1 >= n;
    btCancel->setVisible(!last);
    btFinish->setVisible(last);
    if (last) btFinish->setFocus();
}

void TfmNewNewsfile::reject() {
    done(Cancelled);
}

void TfmNewNewsfile::keyPressEvent(QKeyEvent* event) {
    if (!DialogKeys::SwallowEnterAndEscape(event)) QDialog::keyPressEvent(event);
}
