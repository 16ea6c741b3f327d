#pragma once
// The news page's retrieval and posting as flows without a user interface: they drive the FTP
// client through the numbered steps, fill or read the news table and report every status
// text, gauge position, sign and state change through the events, in order, on the thread
// that runs them. The GUI carries the events over to its own thread; the command line prints
// them.
#include "core/app/ActivityState.h"
#include "core/ftp/TrustedConnect.h"
#include "core/news/NewsPageOptions.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw {

class TnkDBSource;
class TSimpleFTP;

// What selecting a news configuration prepares.
struct NewsSelection {
    std::string DataFile;     // the download target and the upload source ("…/datafile.tmp")
    std::string DirFile;      // the second working file ("…/ftpdir.tmp"), never written here
    std::string NewsPassword; // the stored password, unscrambled; empty: ask at every connect
    int ConnectTimeoutMs = 60000;
    // Passive or active data connections whatever the configuration says; none: as it says.
    std::optional<bool> Passive;
};
// `programDir`: the folder used when the configuration names no temporary folder.
NewsSelection SelectNewsConfiguration(const TnkDBSource& config, int record,
                                      const std::string& programDir);

struct NewsFlowEvents {
    std::function<void(const std::string& text)> StatusText;
    std::function<void(int percent)> OverallGauge;
    std::function<void(bool enabled, int percent)> TransferGauge;
    std::function<void(bool successSign, bool failureSign)> Signs;
    std::function<void(ActivityState state)> StateChanged; // the caller refreshes its commands
    std::function<void()> FocusEditor;                     // returns when done
    std::function<std::string()> AskPassword;              // returns the answer (may be empty)
    // A server certificate or host key nobody vouches for: the user's decision (none given:
    // refused). An accepted one holds for this connection; storing it is the caller's part.
    TrustQuestion AskTrust;
    // The connect was refused at the certificate or host key: the message says why and
    // gives the fingerprints; the failure's status text follows.
    std::function<void(const std::string& message)> TrustRefused;
};

// Everything a flow works on. The caller keeps it alive and unchanged while the flow runs.
struct NewsJob {
    TSimpleFTP& Ftp;
    const TnkDBSource& Config;
    int ConfigRecord;
    const TnkDBSource& Translation;
    TnkDBSource& News;
    NewsPageContext& Page;
    std::vector<std::string>& PageLines;
    const NewsSelection& Selection;
};

// Start's worker: connect, download, analyse. Returns whether the page is loaded.
bool RunNewsRetrieval(NewsJob& job, const NewsFlowEvents& events);
// Post's worker: build, connect, upload under a temporary name renamed over the page
// (directly where the server refuses the rename), local copy, clear. Returns
// whether the page was published.
bool RunNewsPosting(NewsJob& job, const NewsFlowEvents& events);
// Stop: disconnects when the configuration stays connected, clears the table.
void StopNews(NewsJob& job, const NewsFlowEvents& events);

} // namespace pw
