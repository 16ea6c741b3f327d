#pragma once
// The news page's commands: configuration selection, Start, Stop and Post with their workers,
// New News, Delete News, the header and footer editors and the preview. The retrieval and the
// posting are the core flows; every event they issue on their worker thread is carried out on
// the GUI thread in order, and the password prompt and the editor focus are waited for.
//
// A worker never touches the table the page shows: the retrieval fills a table of its own,
// handed over on the GUI thread when it succeeds, and a posting builds the page from a copy
// taken when Post is chosen.
#include "core/app/ActivityState.h"
#include "core/news/NewsFlows.h"
#include "core/news/NewsPageOptions.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pw {
class NewsClock;
}
class FtpSession;
class NewsPage;
class PreviewLibrary;
class QWidget;
class UserPrompts;
class WorkerThread;

class NewsController : public QObject {
    Q_OBJECT
public:
    struct Parts {
        NewsPage& Page;
        FtpSession& Session;
        WorkerThread& Retrieval; // thNews
        WorkerThread& Posting;   // thNewsPosting
        pw::TnkDBSource& News;
        const pw::TnkDBSource& Config;
        const pw::TnkDBSource& Translation;
        std::vector<std::string>& PageLines;
        UserPrompts& Prompts;
        QWidget* Window;                                 // dialogs open over it
        std::function<void(pw::ActivityState)> SetState; // thread-safe, in order
        std::function<pw::ActivityState()> State;
        // Keeps a certificate or host key fingerprint accepted for good with configuration
        // `record` (GUI thread); may throw EFileError.
        std::function<void(int record, const std::string& fingerprint)> StoreFingerprint;
    };
    NewsController(Parts parts, QObject* parent);

    // What selecting configuration `index` prepares (nothing without configurations).
    void SelectConfiguration(int index);
    const pw::NewsSelection& Selection() const { return m_selection; }
    // The password to connect with: the stored one, else the prompt's answer.
    std::string GetNewsPassword();

    void Start();
    void Stop();
    void Post();
    void NewNews();
    void DeleteNews();
    void EditHeader();
    void EditFooter();
    void Preview();

    pw::NewsPageContext& PageContext() { return m_context; }
    void SetClock(std::shared_ptr<const pw::NewsClock> clock) { m_clock = std::move(clock); }
    void SetPreviewLibrary(PreviewLibrary* preview) { m_preview = preview; }

private:
    pw::NewsFlowEvents events(WorkerThread& worker, bool retrieval);
    pw::NewsJob job();
    void runRetrieval(WorkerThread& worker);
    void runPosting(WorkerThread& worker);
    void adoptRetrievedItems();
    void editPageText(std::string& text);

    Parts m_parts;
    pw::NewsSelection m_selection;
    int m_record = -1; // the configuration the running or last operation works with
    pw::NewsPageContext m_context;
    // The workers' own table.
    pw::TnkDBData m_flowData;
    pw::TnkDBSource m_flowNews;
    std::shared_ptr<const pw::NewsClock> m_clock;
    PreviewLibrary* m_preview = nullptr;
};
