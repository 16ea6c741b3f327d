#include "core/news/NewsFlows.h"

#include "core/config/Password.h"
#include "core/ftp/EndpointSetup.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TemporaryUpload.h"
#include "core/ftp/TrustedConnect.h"
#include "core/news/NewsPage.h"
#include "core/news/PageLines.h"
#include "core/news/Translation.h"
#include "core/storage/FileIO.h"
#include "core/storage/IntConvert.h"
#include "core/storage/TnkDBSource.h"

#include <exception>
#include <optional>

namespace pw {

namespace {
std::string withSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir;
}

// The configuration's time-out in seconds as milliseconds; 60 s when it is not a number.
int timeoutMs(const std::string& text) {
    const std::optional<int32_t> seconds = TryStrToInt(text);
    return seconds && *seconds >= 0 && *seconds <= 24 * 3600 ? *seconds * 1000 : 60000;
}

// Writes `bytes` to `path` in full, replacing the file only when all is written.
bool writeFile(const std::string& path, const std::string& bytes) {
    try {
        WriteFileAtomically(path, bytes, 0644);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string field(const NewsJob& job, const char* name) {
    return job.Config.GetString(job.ConfigRecord, name);
}

// A failure: the text, the failure sign, the gauge back to 0 and the state.
void fail(const NewsFlowEvents& events, const std::string& text, ActivityState state) {
    events.StateChanged(state);
    events.OverallGauge(0);
    events.StatusText(text);
    events.Signs(false, true);
    events.TransferGauge(false, 0);
}

// Sets up the connection; false (the failure reported) when the configuration names a port
// or protocol that cannot be used.
bool login(NewsJob& job, const NewsFlowEvents& events, ActivityState failedState) {
    try {
        ServerEndpoint endpoint = ReadServerEndpoint(job.Config, job.ConfigRecord);
        if (job.Selection.Passive) endpoint.passive = *job.Selection.Passive;
        ApplyServerEndpoint(job.Ftp, endpoint);
    } catch (const EServerAddress& e) {
        fail(events, std::string("Error: ") + e.what(), failedState);
        return false;
    }
    job.Ftp.UserName = field(job, "LoginName");
    job.Ftp.Password = job.Selection.NewsPassword.empty() && events.AskPassword
                           ? events.AskPassword()
                           : job.Selection.NewsPassword;
    job.Ftp.SetConnectTimeout(static_cast<unsigned>(job.Selection.ConnectTimeoutMs));
    job.Ftp.OnTransferProgress = [&events](TSimpleFTP&, const TFTPProgressInfo& info) {
        const int percent = info.BytesTotal <= 0 || info.BytesDone <= 0
                                ? 0
                                : static_cast<int>(info.BytesDone * 100 / info.BytesTotal);
        events.TransferGauge(true, percent);
    };
    return true;
}

// Connects, asking about a certificate or host key nobody vouches for; a failed connect is
// left disconnected.
bool connect(NewsJob& job, const NewsFlowEvents& events) {
    std::string refusal;
    if (ConnectTrusting(job.Ftp, events.AskTrust, &refusal)) return true;
    job.Ftp.Abort();
    if (!refusal.empty() && events.TrustRefused) events.TrustRefused(refusal);
    return false;
}

// Changes into the page's folder and returns the path to transfer. A relative page path is
// taken from inside its folder: asking for the whole relative path there would name a
// folder within the folder.
std::string enterPageFolder(NewsJob& job) {
    std::string file = field(job, "NewsFile");
    if (file.empty()) file = "/index.html";
    const size_t slash = file.rfind('/');
    job.Ftp.SetRemoteDir(slash == std::string::npos ? std::string() : file.substr(0, slash + 1));
    return file[0] == '/' || slash == std::string::npos ? file : file.substr(slash + 1);
}

} // namespace

NewsSelection SelectNewsConfiguration(const TnkDBSource& config, int record,
                                      const std::string& programDir) {
    NewsSelection s;
    std::string dir = config.GetString(record, "TemporaryDirectory");
    dir = withSeparator(dir.empty() ? programDir : dir);
    s.DataFile = dir + "datafile.tmp";
    s.DirFile = dir + "ftpdir.tmp";
    s.NewsPassword = ScramblePassword(config.GetString(record, "LoginPassword"));
    s.ConnectTimeoutMs = timeoutMs(config.GetString(record, "FTPTimeout"));
    return s;
}

bool RunNewsRetrieval(NewsJob& job, const NewsFlowEvents& events) {
    events.StatusText("Connecting...");
    events.Signs(false, false);
    if (!login(job, events, ActivityState::Idle)) return false;
    events.OverallGauge(25);
    if (!connect(job, events)) {
        fail(events, "Error: Cannot connect", ActivityState::Idle);
        return false;
    }
    events.StatusText("Downloading...");
    events.OverallGauge(50);
    events.TransferGauge(true, 0);
    const std::string file = enterPageFolder(job);
    if (!job.Ftp.Get(file, job.Selection.DataFile)) {
        job.Ftp.Abort();
        fail(events, "Error: File not found", ActivityState::Idle);
        return false;
    }
    events.TransferGauge(false, 0);
    events.StatusText("Analysing...");
    events.OverallGauge(75);
    std::string text;
    bool parsed = false;
    try {
        text = JoinPageLines(ReadWholeFile(job.Selection.DataFile));
        job.PageLines.clear();
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            job.PageLines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        parsed = ParseNewsPage(text, ReadNewsPageOptions(job.Config, job.ConfigRecord),
                               ReadTranslationRows(job.Translation), job.News, job.Page);
    } catch (const std::exception&) {
        parsed = false; // an unreadable working file fails as an unreadable page does
    }
    if (!parsed) {
        job.Ftp.Disconnect();
        fail(events, "Error: Analysing unsuccessful", ActivityState::Idle);
        return false;
    }
    events.OverallGauge(100);
    if (field(job, "NewsStayConnected").empty()) job.Ftp.Disconnect();
    events.StatusText("Successful");
    events.Signs(true, false);
    events.StateChanged(ActivityState::Connected);
    if (events.FocusEditor) events.FocusEditor();
    events.OverallGauge(0);
    return true;
}

bool RunNewsPosting(NewsJob& job, const NewsFlowEvents& events) {
    events.OverallGauge(0);
    events.StatusText("Connecting...");
    events.Signs(false, false);
    if (!login(job, events, ActivityState::Connected)) return false;
    const std::string page =
        BuildNewsPage(job.News, job.Page, ReadNewsPageOptions(job.Config, job.ConfigRecord),
                      ReadTranslationRows(job.Translation));
    if (!writeFile(job.Selection.DataFile, page)) {
        fail(events, "Error: Cannot write " + job.Selection.DataFile, ActivityState::Connected);
        return false;
    }
    events.OverallGauge(33);
    if (!connect(job, events)) {
        fail(events, "Error: Cannot connect for posting", ActivityState::Connected);
        return false;
    }
    events.StatusText("Uploading...");
    events.TransferGauge(true, 0);
    events.OverallGauge(66);
    if (!PutViaTemporary(job.Ftp, job.Selection.DataFile, enterPageFolder(job))) {
        job.Ftp.Abort();
        fail(events, "Error: Cannot post newsfile", ActivityState::Connected);
        return false;
    }
    events.OverallGauge(100);
    job.Ftp.Disconnect();
    events.OverallGauge(0);
    events.StatusText("Successful");
    events.Signs(true, false);
    events.TransferGauge(false, 0);
    const std::string local = field(job, "NewsLocalFile");
    if (!local.empty() && !writeFile(local, page))
        events.StatusText("Successful, but the local copy " + local + " could not be written");
    job.News.Clear();
    events.StateChanged(ActivityState::Idle);
    return true;
}

void StopNews(NewsJob& job, const NewsFlowEvents& events) {
    if (field(job, "NewsStayConnected") == "TRUE") job.Ftp.Disconnect();
    events.StatusText("");
    events.Signs(false, false);
    job.News.Clear();
    events.StateChanged(ActivityState::Idle);
}

} // namespace pw
