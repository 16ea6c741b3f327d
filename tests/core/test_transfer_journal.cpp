// Guards: queued jobs kept in the journal file, damaged journals refused and put aside, safe saves.
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/storage/FileIO.h"
#include "core/transfer/TransferJournal.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <bit>
#include <cmath>
#include <sys/stat.h>
#include <thread>
#include <tuple>

using namespace pw;

namespace {
using namespace std::string_literals;
constexpr size_t kHeader = std::string_view("Pagewright transfer journal\n").size();

TransferJob Job(std::string name, TransferJobState state = TransferJobState::Queued,
                std::string reason = {}, bool upload = true) {
    TransferJob job;
    job.Record = {upload,        "/l/" + name,     name, "/", 0, "127.0.0.1:2121", "user",
                  "Secret-Pw-7", FtpProtocol::Ftp, true, "",  ""};
    job.State = state;
    job.Reason = std::move(reason);
    return job;
}

auto Fields(const TransferJob& j) {
    const TnkFTPRecord& r = j.Record;
    return std::tuple(r.Upload, r.LocalFile, r.RemoteFile, r.RemoteFolder,
                      std::bit_cast<uint64_t>(r.FileDate), r.ServerHost, r.ServerUser,
                      r.ServerPassword, j.SizeText, j.State, j.Reason, j.MakeRemoteFolder,
                      r.Protocol, r.Passive, r.UploadViaTemporary, r.TrustedFingerprint, r.KeyFile);
}

bool SameJobs(const std::vector<TransferJob>& got, const std::vector<TransferJob>& want) {
    return std::equal(got.begin(), got.end(), want.begin(), want.end(),
                      [](const auto& a, const auto& b) { return Fields(a) == Fields(b); });
}

// What a journal keeps: no done jobs, running ones as waiting without reasons, no passwords.
std::vector<TransferJob> Kept(std::vector<TransferJob> jobs) {
    std::erase_if(jobs, [](const TransferJob& job) { return job.State == TransferJobState::Done; });
    for (TransferJob& job : jobs) {
        if (job.State == TransferJobState::Running) job.State = TransferJobState::Queued;
        if (job.State == TransferJobState::Queued) job.Reason.clear();
        job.Record.ServerPassword.clear();
    }
    return jobs;
}

uint32_t Crc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t bit = 0; bit < bytes.size() * 8; ++bit)
        crc = (crc >> 1) ^ (((crc ^ (uint8_t(bytes[bit / 8]) >> bit % 8)) & 1) ? 0xEDB88320u : 0);
    return ~crc;
}

const TransferJob kWaiting = Job("a");
const TransferJob kFailed = Job("b", TransferJobState::Failed, "no file", false);
const std::string kSmall = EncodeTransferJournal({kWaiting, kFailed});
// The first job's protocol byte: after the counts, state, flags and five counted texts.
constexpr size_t kProtocolAt = kHeader + 8 + 2 + (4 + 4) + (4 + 1) + (4 + 1) + (4 + 14) + (4 + 4);
} // namespace

class TestTransferJournal : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string path(const char* name = kTransferJournalFileName) const {
        return (m_dir.path() + "/" + name).toStdString();
    }

private slots:
    void roundTrip() {
        TransferJob bytes = Job("a\nb\0c\xff.txt"s);
        bytes.Record.ServerHost = "h\0st:21"s;
        bytes.Record.ServerUser = "\xe4\x81\x9d"s;
        bytes.SizeText = "\xa0 1";
        TransferJob failed = Job("n", TransferJobState::Failed, "gone\n\0\xfe"s, false);
        failed.Record.FileDate = -693593.99999999988; // year 1, the last moment of its first day
        TransferJob folder = Job("", TransferJobState::Running, "stale reason");
        folder.MakeRemoteFolder = true;
        folder.Record.UploadViaTemporary = false;
        folder.Record.FileDate = std::nextafter(0.0, 1.0);
        TransferJob secure = Job("s", TransferJobState::Failed, "refused");
        secure.Record = {true,  "/s", "s",  "/", 0, "h", "u", "", FtpProtocol::Sftp,
                         false, "AB", "/k", true}; // active connections only
        const TransferJob longName = Job(std::string(70000, 'N'));
        const std::vector<TransferJob> all{
            bytes, failed, Job("done", TransferJobState::Done), folder, secure, {}, longName};
        for (const auto& jobs : {std::vector<TransferJob>{}, all}) {
            const std::string journal = EncodeTransferJournal(jobs);
            QVERIFY(journal.find("Secret-Pw-7") == std::string::npos);
            QVERIFY(SameJobs(DecodeTransferJournal(journal), Kept(jobs)));
        }
    }

    void damaged() {
        const auto patched = [](size_t at, std::string_view with) {
            return std::string(kSmall).replace(at, with.size(), with);
        };
        // What was read, and what the error text says.
        std::vector<std::tuple<std::string, std::string, const char*>> cases{
            {"empty", "", "the file is empty"},
            {"garbage", "\x89PNG\r\n\x1a\n and more bytes",
             "a transfer journal (it does not start with the line \"Pagewright transfer "
             "journal\")"},
            {"later version", patched(kHeader, "\3"), "version 3 is not supported"},
            {"version 0", patched(kHeader, "\0"s), "version 0 is not supported"},
            {"count beyond the data", patched(kHeader + 4, "\xff\xff\xff\xff"),
             "runs past the end"},
            {"length beyond the data", patched(kHeader + 10, "\xf0\xff\xff\xff"),
             "runs past the end"},
            {"unknown state", patched(kHeader + 8, "\2"), "unknown job state 2 at offset 36"},
            {"unknown flags", patched(kHeader + 9, "\x10"), "unknown job flags 16"},
            {"unknown protocol", patched(kProtocolAt, "\4"), "unknown protocol"},
            // The second job's state: where a journal of the first job alone has its checksum.
            {"waiting with a reason", patched(EncodeTransferJournal({kWaiting}).size() - 4, "\0"s),
             "a waiting job with a reason"},
            {"one bit changed", patched(kHeader + 14, "\x0f"), "checksum"}, // "/l/a" to "\x0fl/a"
            {"bytes appended", kSmall + "x", "1 unexpected bytes after"},
        };
        for (size_t size = 1; size < kSmall.size(); ++size)
            cases.emplace_back("cut to " + std::to_string(size), kSmall.substr(0, size),
                               "damaged transfer journal: ");
        for (const auto& [name, bytes, expected] : cases) {
            // A copy of exactly its size, so that the sanitizers see any read past its end.
            const std::vector<char> copy(bytes.begin(), bytes.end());
            try {
                DecodeTransferJournal(std::string_view(copy.data(), copy.size()));
                QFAIL(name.c_str());
            } catch (const ETransferJournalError& e) {
                QVERIFY2(std::string(e.what()).find(expected) != std::string::npos, name.c_str());
            }
        }
    }

    void firstVersionReadsAsPlainFtp() {
        // The first version had no protocol, fingerprint or key file: its jobs were plain FTP,
        // passive first, uploading under a temporary name.
        TransferJob job = kFailed;
        job.Record.FileDate = 45000.5;
        job.MakeRemoteFolder = true;
        std::string bytes = EncodeTransferJournal({job});
        bytes.erase(kProtocolAt, 1 + 4 + 4).replace(kHeader, 1, "\1");
        bytes.resize(bytes.size() - 4);
        const uint32_t crc = Crc32(bytes);
        for (int i = 0; i < 4; ++i)
            bytes += char(crc >> 8 * i);
        QVERIFY(SameJobs(DecodeTransferJournal(bytes), Kept({job})));
    }

    void damagedFileIsPutAside() {
        const std::string file = path("damaged.journal");
        TransferJournal journal(file);
        QVERIFY2(journal.Load().Error.empty(), journal.Load().Error.c_str()); // none yet: no error
        for (const char* aside : {".damaged", ".damaged-2"}) {
            WriteFileAtomically(file, kSmall.substr(0, 40), 0600);
            const TransferJournalLoad load = journal.Load();
            QCOMPARE(load.DamagedPath, file + aside);
            QVERIFY2(load.Error.starts_with("Cannot read the transfer journal " + file) &&
                         load.Error.find("put aside as " + file + aside) != std::string::npos,
                     load.Error.c_str());
            QCOMPARE(ReadWholeFile(load.DamagedPath), kSmall.substr(0, 40));
            QVERIFY(!QFile::exists(QString::fromStdString(file)));
        }
    }

    void restoreFillsPasswordsAndKeepsOrderAndState() {
        // Two servers in the configuration file; the jobs name the last, another login on it,
        // and a server it lacks with a login the first one has.
        const std::string cfg = path("Pagewright2.cfg");
        for (const auto& [host, password] :
             {std::pair{"other:21", "other"}, std::pair{"127.0.0.1:2121", "p\xe4ss"}}) {
            ConfigTables wizard(ConfigRole::Wizard);
            OpenConfigurationForWizard(wizard, cfg);
            FinishNewServer(wizard, {"n", "", host, "user", password, "", ""}, cfg);
        }
        QCOMPARE(TransferJournalPath(cfg), path());

        TransferQueue queue;
        int changes = 0;
        queue.OnChange = [&changes] { ++changes; };
        TransferJournal journal(TransferJournalPath(cfg));
        journal.Attach(queue);
        std::vector<TransferJob> jobs{kWaiting, kFailed, Job("c")};
        jobs[1].Record.ServerHost = "elsewhere:21";
        jobs[2].Record.ServerUser = "nobody";
        const auto ids = queue.EnqueueTransfer(jobs);
        queue.Fail(ids[1], kFailed.Reason);
        QCOMPARE(queue.TakeHead()->Id, ids[0]); // running: kept as waiting
        // One write for each change, however many jobs it adds; the queue's OnChange still runs.
        QVERIFY(journal.WriteCount() == 3 && changes == 3);
        struct stat info {};
        QVERIFY(::stat(journal.Path().c_str(), &info) == 0 && (info.st_mode & 0777) == 0600);

        TransferJournalLoad load = journal.Load(); // an error would leave no jobs
        ConfigTables main(ConfigRole::MainWindow);
        QVERIFY(main.LoadIfExists(cfg));
        FillJobPasswords(load.Jobs, main.ConfigSource);
        std::vector<TransferJob> want = Kept(jobs);
        want[0].Record.ServerPassword = "p\xe4ss";
        QVERIFY(SameJobs(load.Jobs, want));

        TransferQueue restored;
        restored.Restore(load.Jobs);
        const auto back = restored.Jobs();
        QVERIFY(SameJobs(back, want));
        QVERIFY(back[0].Id != back[1].Id && back[1].Id != back[2].Id);
    }

    void savesFromManyThreadsLeaveTheLastState() {
        TransferQueue queue;
        TransferJournal journal(path());
        journal.Attach(queue);
        std::atomic<int> stale = 0;
        {
            // In step, so that saves meet; between rounds the journal must hold the queue as it is.
            std::barrier step(4);
            std::vector<std::jthread> threads;
            for (int t = 0; t < 4; ++t) {
                threads.emplace_back([&, t] {
                    for (int i = 0; i < 40; ++i) {
                        step.arrive_and_wait();
                        const std::string name = std::to_string(t) + "-" + std::to_string(i);
                        const auto ids = queue.EnqueueTransfer({Job(name)});
                        if (i % 3 == 0) queue.DeleteJobs(ids);
                        if (i % 5 == 0)
                            if (auto head = queue.TakeHead())
                                queue.Fail(head->Id, "failed " + name);
                        step.arrive_and_wait();
                        if (t == 0 && !SameJobs(journal.Load().Jobs, Kept(queue.Jobs()))) ++stale;
                    }
                });
            }
        }
        QCOMPARE(stale.load(), 0); // rounds whose last state the journal lost
    }
};

QTEST_GUILESS_MAIN(TestTransferJournal)
#include "test_transfer_journal.moc"
