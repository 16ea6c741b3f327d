#include "gui/news/NewsController.h"

#include "core/config/ConfigLocation.h"
#include "core/news/NewNewsItem.h"
#include "core/news/NewsClock.h"
#include "core/news/NewsFormat.h"
#include "core/news/NewsPage.h"
#include "core/news/Translation.h"
#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmCertificate.h"
#include "gui/dialogs/TfmEditor.h"
#include "gui/ftp/FtpSession.h"
#include "gui/news/NewsPage.h"
#include "gui/news/PreviewLibrary.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/UserPrompts.h"
#include "gui/ui/WorkerThread.h"

#include <QFile>
#include <QLineEdit>
#include <QWidget>

using namespace pw;

NewsController::NewsController(Parts parts, QObject* parent)
    : QObject(parent), m_parts(parts), m_flowNews(&m_flowData, NewsFields()),
      m_clock(std::make_shared<SystemNewsClock>()) {
    m_flowNews.Loaded();
    m_parts.Retrieval.OnExecute = [this](WorkerThread& worker) { runRetrieval(worker); };
    m_parts.Posting.OnExecute = [this](WorkerThread& worker) { runPosting(worker); };
}

void NewsController::SelectConfiguration(int index) {
    if (index < 0 || index >= m_parts.Config.RecordCount()) return;
    m_record = index;
    m_selection = SelectNewsConfiguration(m_parts.Config, index, ProgramFolder());
    m_parts.Page.SetSyntaxHighlight(m_parts.Config.GetString(index, "SyntaxHighlight") == "TRUE");
}

std::string NewsController::GetNewsPassword() {
    if (!m_selection.NewsPassword.empty()) return m_selection.NewsPassword;
    TfmPassword prompt(m_parts.Window);
    m_parts.Prompts.RunDialog(prompt);
    // The answer is used whether the prompt was confirmed or closed, and not kept.
    return ToCp1252(prompt.edPassword->text());
}

NewsJob NewsController::job() {
    return NewsJob{m_parts.Session.Ftp(), m_parts.Config, m_record,
                   m_parts.Translation,   m_flowNews,     m_context,
                   m_parts.PageLines,     m_selection};
}

NewsFlowEvents NewsController::events(WorkerThread& worker, bool retrieval) {
    NewsFlowEvents e;
    NewsPage& page = m_parts.Page;
    e.StatusText = [&worker, &page](const std::string& text) {
        worker.Queue([&page, text = FromCp1252(text)] { page.SetStatusText(text); });
    };
    e.OverallGauge = [&worker, &page](int percent) {
        worker.Queue([&page, percent] { page.SetOverallGauge(percent); });
    };
    // The client reports progress far more often than the gauge can change: only changes
    // are handed over.
    auto last = std::make_shared<int>(-1);
    e.TransferGauge = [&worker, &page, last](bool enabled, int percent) {
        const int shown = enabled ? percent : -2;
        if (shown == *last) return;
        *last = shown;
        worker.Queue([&page, enabled, percent] { page.SetTransferGauge(enabled, percent); });
    };
    e.Signs = [&worker, &page](bool success, bool failure) {
        worker.Queue([&page, success, failure] { page.SetSigns(success, failure); });
    };
    e.StateChanged = [this, &worker, retrieval](ActivityState state) {
        worker.Queue([this, retrieval, state] {
            if (retrieval && state == ActivityState::Connected) adoptRetrievedItems();
            if (!retrieval && state == ActivityState::Idle) m_parts.News.Clear();
            m_parts.SetState(state);
        });
    };
    e.FocusEditor = [&worker, &page] { worker.Synchronize([&page] { page.FocusEditor(); }); };
    e.AskPassword = [this, &worker] {
        std::string answer;
        worker.Synchronize([this, &answer] { answer = GetNewsPassword(); });
        return answer;
    };
    std::function<void(const std::string&)> store;
    if (const int record = m_record; m_parts.StoreFingerprint)
        store = [this, record](const std::string& fingerprint) {
            try {
                m_parts.StoreFingerprint(record, fingerprint);
            } catch (const std::exception& error) {
                m_parts.Prompts.ShowError(m_parts.Window, QString::fromStdString(error.what()));
            }
        };
    e.AskTrust = TfmCertificate::Question(worker, m_parts.Prompts, m_parts.Window, store);
    e.TrustRefused = [this, &worker](const std::string& message) {
        worker.Queue([this, message] {
            m_parts.Prompts.ShowError(m_parts.Window, QString::fromStdString(message));
        });
    };
    return e;
}

void NewsController::runRetrieval(WorkerThread& worker) {
    m_flowNews.Clear();
    NewsJob work = job();
    RunNewsRetrieval(work, events(worker, true));
}

void NewsController::runPosting(WorkerThread& worker) {
    NewsJob work = job();
    RunNewsPosting(work, events(worker, false));
}

void NewsController::adoptRetrievedItems() {
    ByteWriter out;
    m_flowNews.SaveToStream(out);
    const std::string bytes = out.take();
    ByteReader in(bytes);
    m_parts.News.LoadFromStream(in);
    if (m_flowNews.RecordCount() > 0) m_parts.News.SetRecNo(m_flowNews.CurrentIndex());
    m_flowNews.Clear();
}

void NewsController::Start() {
    if (m_record < 0 || m_parts.State() != ActivityState::Idle) return;
    m_parts.SetState(ActivityState::Busy);
    m_parts.Retrieval.Start();
}

void NewsController::Stop() {
    if (m_record >= 0 && m_parts.Config.GetString(m_record, "NewsStayConnected") == "TRUE")
        m_parts.Session.RequestAbort(); // cuts the kept connection without waiting for it
    m_parts.Page.SetStatusText(QString());
    m_parts.Page.SetSigns(false, false);
    m_parts.SetState(ActivityState::Idle);
    m_parts.News.Clear();
}

void NewsController::Post() {
    if (m_record < 0 || m_parts.State() != ActivityState::Connected) return;
    ByteWriter out;
    m_parts.News.SaveToStream(out);
    const std::string bytes = out.take();
    ByteReader in(bytes);
    m_flowNews.LoadFromStream(in);
    // Edits made while the copy is posted would be lost with the table afterwards.
    m_parts.Page.SetEditingEnabled(false);
    m_parts.SetState(ActivityState::Busy);
    m_parts.Posting.Start();
}

void NewsController::NewNews() {
    if (m_record < 0) return;
    AppendNewsItem(m_parts.News, m_parts.Config, m_record, *m_clock);
    m_parts.Page.ShowNewItem();
}

void NewsController::DeleteNews() {
    if (m_parts.News.RecordCount() > 0) m_parts.News.Delete();
}

void NewsController::editPageText(std::string& text) {
    TfmEditor editor(m_parts.Window);
    editor.SetText(FromCp1252(text));
    m_parts.Prompts.RunDialog(editor);
    if (editor.result() == QDialog::Accepted) text = ToCp1252(editor.Lines());
}

void NewsController::EditHeader() {
    editPageText(m_context.PagePrefix);
}

void NewsController::EditFooter() {
    editPageText(m_context.PageSuffix);
}

void NewsController::Preview() {
    if (m_record < 0 || !m_preview || !m_preview->Loaded()) return;
    std::string dir = m_parts.Config.GetString(m_record, "LocalFTPDirectory");
    if (dir.empty()) dir = ProgramFolder();
    if (dir.back() != '/') dir += '/';
    const std::string file = dir + "tempfile.tmp";
    const std::string page =
        BuildNewsPage(m_parts.News, m_context, ReadNewsPageOptions(m_parts.Config, m_record),
                      ReadTranslationRows(m_parts.Translation));
    try {
        WriteFileAtomically(file, page, 0644);
    } catch (const std::exception& e) {
        m_parts.Prompts.ShowError(m_parts.Window,
                                  QString("The preview file could not be written:\n%1")
                                      .arg(QString::fromStdString(e.what())));
        return;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(file));
    m_preview->Show(m_parts.Window->frameGeometry(),
                    FromCp1252(m_parts.Config.GetString(m_record, "Name")), path);
    QFile::remove(path);
}
