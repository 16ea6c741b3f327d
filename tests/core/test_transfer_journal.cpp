// Guards: the transfer journal: jobs round-trip byte for byte without passwords, damage is
// refused and put aside, restores keep order and state, and saves from many threads meet safely.
#include "core/config/ConfigSteps.h"
#include "core/config/ConfigTables.h"
#include "core/transfer/TransferJournal.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <barrier>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <tuple>

using namespace pw;

namespace {
using namespace std::string_literals;

TransferJob MakeJob(bool upload, std::string local, std::string name, std::string folder,
                    TransferJobState state = TransferJobState::Queued, std::string reason = {}) {
    TransferJob job;
    job.Record.Upload = upload;
    job.Record.LocalFile = std::move(local);
    job.Record.RemoteFile = std::move(name);
    job.Record.RemoteFolder = std::move(folder);
    job.Record.ServerHost = "127.0.0.1:2121";
    job.Record.ServerUser = "user";
    job.Record.ServerPassword = "Secret-Pw-7";
    job.State = state;
    job.Reason = std::move(reason);
    return job;
}

struct RoundTripCase {
    const char* name;
    std::vector<TransferJob> jobs;
};

std::vector<RoundTripCase> RoundTripCases() {
    TransferJob bytes = MakeJob(true, "/tmp/a\nb\0c\xff.txt"s, "a\nb\0c\xff.txt"s, "/x\r\ny/");
    bytes.Record.ServerHost = "h\0st:21"s;
    bytes.Record.ServerUser = "\xe4\x81\x9d"s;
    bytes.SizeText = "1\xa0"
                     "024";
    TransferJob download = MakeJob(false, "/l/n.bin", "n.bin", "", TransferJobState::Failed,
                                   "Error getting /n.bin\n\0\xfe"s);
    download.Record.FileDate = 45000.123456789012;
    TransferJob folder = MakeJob(true, "/d", "", "/new/deep", TransferJobState::Running);
    folder.MakeRemoteFolder = true;
    TransferJob dates = MakeJob(false, "/l/old", "old", "/");
    dates.Record.FileDate = -693593.99999999988; // year 1, the last moment of its first day
    TransferJob tiny = MakeJob(false, "/l/tiny", "tiny", "/");
    tiny.Record.FileDate = std::nextafter(0.0, 1.0);
    TransferJob empty;
    TransferJob secure = MakeJob(true, "/l/s", "s", "/", TransferJobState::Failed, "refused");
    secure.Record.Protocol = FtpProtocol::FtpImplicitTls;
    secure.Record.Passive = false;
    secure.Record.UploadViaTemporary = false;
    secure.Record.TrustedFingerprint = "AB:CD";
    secure.Record.KeyFile = "/home/u/.ssh/id_ed25519";
    TransferJob sftp = MakeJob(false, "/l/k", "k", "/");
    sftp.Record.Protocol = FtpProtocol::Sftp;
    TransferJob longName = MakeJob(true, "/" + std::string(70000, 'L'), std::string(70000, 'N'),
                                   "/" + std::string(5000, 'F'));
    return {
        {"no jobs", {}},
        {"bytes of every kind", {bytes}},
        {"failed download with its time", {download}},
        {"running folder job, kept as waiting", {folder}},
        {"dates far back and near zero", {dates, tiny}},
        {"everything empty", {empty}},
        {"long texts", {longName}},
        {"connection settings", {secure, sftp}},
        {"mixed order", {download, bytes, folder, empty, longName}},
    };
}

struct DamageCase {
    const char* name;
    std::string bytes;
    const char* expected; // part of the error text
};

std::string SmallJournal() {
    return EncodeTransferJournal(
        {MakeJob(true, "/a", "a", "/"),
         MakeJob(false, "/b", "b", "/", TransferJobState::Failed, "no such file")});
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

std::vector<DamageCase> DamageCases() {
    const std::string good = SmallJournal();
    const size_t header = std::string_view("Pagewright transfer journal\n").size();
    std::string version = good;
    PutU32(version, header, 3);
    std::string zero = good;
    PutU32(zero, header, 0);
    // The first job's protocol byte: after state, flags and five counted texts.
    std::string protocol = good;
    protocol[header + 8 + 2 + (4 + 2) + (4 + 1) + (4 + 1) + (4 + 14) + (4 + 4)] = 9;
    std::string count = good;
    PutU32(count, header + 4, 0xFFFFFFFF);
    std::string length = good;
    PutU32(length, header + 8 + 2, 0xFFFFFFF0);
    std::string state = good;
    state[header + 8] = 7;
    std::string flipped = good;
    flipped[header + 8 + 2 + 4] ^= 0x20; // "/a" becomes "\x0fa"
    std::string fewer = good;
    PutU32(fewer, header + 4, 1);
    return {
        {"empty", "", "empty"},
        {"garbage", "\x89PNG\r\n\x1a\n and more bytes",
         "not a transfer journal (it does not start with the line \"Pagewright transfer journal\")"},
        {"text", "jobs: a, b\n", "not a transfer journal"},
        {"later version", version, "version 3 is not supported"},
        {"version 0", zero, "version 0 is not supported"},
        {"unknown protocol", protocol, "unknown protocol"},
        {"count beyond the data", count, "runs past the end"},
        {"length beyond the data", length, "runs past the end"},
        {"unknown state", state, "unknown job state 7"},
        {"one bit changed", flipped, "checksum"},
        {"count too small", fewer, "unexpected bytes after its end"},
        {"bytes appended", good + "x", "unexpected bytes after its end"},
    };
}

bool SameJobs(const std::vector<TransferJob>& got, const std::vector<TransferJob>& want,
              QString& why) {
    if (got.size() != want.size()) {
        why = QString("%1 jobs instead of %2").arg(got.size()).arg(want.size());
        return false;
    }
    for (size_t i = 0; i < got.size(); ++i) {
        const TransferJob& g = got[i];
        const TransferJob& w = want[i];
        const TransferJobState state =
            w.State == TransferJobState::Failed ? w.State : TransferJobState::Queued;
        const std::string reason = state == TransferJobState::Failed ? w.Reason : std::string();
        const bool same =
            g.Record.Upload == w.Record.Upload && g.Record.LocalFile == w.Record.LocalFile &&
            g.Record.RemoteFile == w.Record.RemoteFile &&
            g.Record.RemoteFolder == w.Record.RemoteFolder &&
            std::memcmp(&g.Record.FileDate, &w.Record.FileDate, sizeof(double)) == 0 &&
            g.Record.ServerHost == w.Record.ServerHost &&
            g.Record.ServerUser == w.Record.ServerUser && g.Record.ServerPassword.empty() &&
            g.SizeText == w.SizeText && g.State == state && g.Reason == reason &&
            g.MakeRemoteFolder == w.MakeRemoteFolder && g.Record.Protocol == w.Record.Protocol &&
            g.Record.Passive == w.Record.Passive &&
            g.Record.UploadViaTemporary == w.Record.UploadViaTemporary &&
            g.Record.TrustedFingerprint == w.Record.TrustedFingerprint &&
            g.Record.KeyFile == w.Record.KeyFile;
        if (!same) {
            why = QString("job %1 differs").arg(i);
            return false;
        }
    }
    return true;
}

// A journal as the first version wrote it: no protocol, no fingerprint, no key file.
std::string FirstVersionJournal(const TransferJob& job) {
    std::string out = "Pagewright transfer journal\n";
    auto u32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += char(v >> (8 * i));
    };
    auto text = [&](const std::string& t) {
        u32(uint32_t(t.size()));
        out += t;
    };
    u32(1);
    u32(1);
    out += char(job.State == TransferJobState::Failed ? 1 : 0);
    out += char((job.Record.Upload ? 1 : 0) | (job.MakeRemoteFolder ? 2 : 0));
    for (const std::string* t :
         {&job.Record.LocalFile, &job.Record.RemoteFile, &job.Record.RemoteFolder,
          &job.Record.ServerHost, &job.Record.ServerUser, &job.SizeText, &job.Reason})
        text(*t);
    const auto bits = std::bit_cast<uint64_t>(job.Record.FileDate);
    u32(uint32_t(bits));
    u32(uint32_t(bits >> 32));
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : out) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    u32(crc ^ 0xFFFFFFFFu);
    return out;
}

std::string ReadBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}
} // namespace

class TestTransferJournal : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string path(const char* name = kTransferJournalFileName) const {
        return (m_dir.path() + "/" + name).toStdString();
    }

private slots:
    void init() {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(m_dir.filePath(name));
    }
    void roundTrip_data();
    void roundTrip();
    void damaged_data();
    void damaged();
    void truncatedAtEveryByte();
    void firstVersionReadsAsPlainFtp();
    void damagedFileIsPutAside();
    void restoreKeepsOrderStateAndFillsPasswords();
    void burstOfJobsIsOneWrite();
    void savesFromManyThreadsLeaveTheLastState();
};

void TestTransferJournal::roundTrip_data() {
    QTest::addColumn<int>("index");
    const auto cases = RoundTripCases();
    for (size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name) << int(i);
}

void TestTransferJournal::roundTrip() {
    QFETCH(int, index);
    const auto jobs = RoundTripCases()[size_t(index)].jobs;
    const std::string bytes = EncodeTransferJournal(jobs);
    QVERIFY(bytes.find("Secret-Pw-7") == std::string::npos);
    QString why;
    QVERIFY2(SameJobs(DecodeTransferJournal(bytes), jobs, why), qPrintable(why));
}

void TestTransferJournal::damaged_data() {
    QTest::addColumn<int>("index");
    const auto cases = DamageCases();
    for (size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name) << int(i);
}

void TestTransferJournal::damaged() {
    QFETCH(int, index);
    const DamageCase c = DamageCases()[size_t(index)];
    try {
        DecodeTransferJournal(c.bytes);
        QFAIL("a damaged journal was read");
    } catch (const ETransferJournalError& e) {
        QVERIFY2(std::string(e.what()).find(c.expected) != std::string::npos, e.what());
    }
}

void TestTransferJournal::truncatedAtEveryByte() {
    const std::string good = SmallJournal();
    QCOMPARE(DecodeTransferJournal(good).size(), size_t(2));
    for (size_t size = 0; size < good.size(); ++size) {
        // A copy of exactly `size` bytes, so that the sanitizers see any read past its end.
        const std::unique_ptr<char[]> cut(new char[size ? size : 1]);
        std::memcpy(cut.get(), good.data(), size);
        try {
            DecodeTransferJournal(std::string_view(cut.get(), size));
            QFAIL(qPrintable(QString("a journal cut to %1 bytes was read").arg(size)));
        } catch (const ETransferJournalError& e) {
            const std::string what = e.what();
            QVERIFY2(what.find("damaged transfer journal: ") == 0, e.what());
        }
    }
}

void TestTransferJournal::firstVersionReadsAsPlainFtp() {
    TransferJob job = MakeJob(false, "/l/n", "n", "/www", TransferJobState::Failed, "gone");
    job.Record.FileDate = 45000.5;
    job.SizeText = "12";
    // Jobs of the first version were plain FTP; they now connect passive first and upload
    // under a temporary name, as new configurations do.
    const auto got = DecodeTransferJournal(FirstVersionJournal(job));
    QString why;
    QVERIFY2(SameJobs(got, {job}, why), qPrintable(why));
    QVERIFY(got[0].Record.Protocol == FtpProtocol::Ftp && got[0].Record.Passive);
}

void TestTransferJournal::damagedFileIsPutAside() {
    TransferJournal journal(path());
    TransferJournalLoad load = journal.Load();
    QVERIFY2(load.Error.empty() && load.Jobs.empty(), load.Error.c_str()); // none yet

    for (const char* aside : {".damaged", ".damaged-2"}) {
        WriteBytes(path(), SmallJournal().substr(0, 40));
        load = journal.Load();
        QVERIFY(load.Jobs.empty());
        QCOMPARE(load.DamagedPath, path() + aside);
        QVERIFY2(load.Error.find("Cannot read the transfer journal " + path()) == 0 &&
                     load.Error.find("put aside as " + path() + aside) != std::string::npos,
                 load.Error.c_str());
        QCOMPARE(ReadBytes(load.DamagedPath), SmallJournal().substr(0, 40));
        QVERIFY(!QFile::exists(QString::fromStdString(path())));
    }
}

void TestTransferJournal::restoreKeepsOrderStateAndFillsPasswords() {
    // Two servers in the configuration file; the jobs name one of them, another login on
    // it, and a server it lacks.
    const std::string cfg = path("Pagewright2.cfg");
    for (const auto& [host, login, password] : {std::tuple{"127.0.0.1:2121", "user", "p\xe4ss"},
                                                std::tuple{"other:21", "user", "other"}}) {
        ConfigTables wizard(ConfigRole::Wizard);
        OpenConfigurationForWizard(wizard, cfg);
        FinishNewServer(wizard, {"n", "", host, login, password, "", ""}, cfg);
    }
    QCOMPARE(TransferJournalPath(cfg), path());

    TransferQueue queue;
    TransferJournal journal(TransferJournalPath(cfg));
    journal.Attach(queue);
    std::vector<TransferJob> jobs{
        MakeJob(true, "/a", "a", "/"),
        MakeJob(false, "/b", "b", "/", TransferJobState::Failed, "550 No such file"),
        MakeJob(true, "/c", "c", "/d", TransferJobState::Running)};
    jobs[2].Record.ServerUser = "nobody";
    jobs[1].Record.ServerHost = "elsewhere:21";
    queue.EnqueueTransfer({jobs[0], jobs[1], jobs[2]});
    const auto ids = queue.Jobs();
    queue.Fail(ids[1].Id, jobs[1].Reason);
    QCOMPARE(queue.TakeHead()->Id, ids[0].Id); // running: kept as waiting

    struct stat info {};
    QCOMPARE(::stat(journal.Path().c_str(), &info), 0);
    QCOMPARE(int(info.st_mode & 0777), 0600);
    QVERIFY(ReadBytes(journal.Path()).find("Secret-Pw-7") == std::string::npos);

    TransferJournalLoad load = journal.Load();
    QVERIFY2(load.Error.empty(), load.Error.c_str());
    QCOMPARE(load.Jobs.size(), size_t(3));
    ConfigTables main(ConfigRole::MainWindow);
    QVERIFY(main.LoadIfExists(cfg));
    FillJobPasswords(load.Jobs, main.ConfigSource);
    QCOMPARE(load.Jobs[0].Record.ServerPassword, std::string("p\xe4ss"));
    QCOMPARE(load.Jobs[1].Record.ServerPassword, std::string()); // another server
    QCOMPARE(load.Jobs[2].Record.ServerPassword, std::string()); // another login

    TransferQueue restored;
    restored.Restore(load.Jobs);
    const auto back = restored.Jobs();
    QCOMPARE(back.size(), size_t(3));
    QCOMPARE(back[0].Caption(), std::string("a"));
    QCOMPARE(back[0].State, TransferJobState::Queued);
    QCOMPARE(back[1].State, TransferJobState::Failed);
    QCOMPARE(back[1].Reason, std::string("550 No such file"));
    QCOMPARE(back[2].Caption(), std::string("c"));
    QVERIFY(back[0].Id != back[1].Id && back[1].Id != back[2].Id);
    QCOMPARE(restored.TakeHead()->Caption(), std::string("a"));
    QCOMPARE(restored.TakeHead()->Caption(), std::string("c"));
}

void TestTransferJournal::burstOfJobsIsOneWrite() {
    TransferQueue queue;
    TransferJournal journal(path());
    int changes = 0;
    queue.OnChange = [&changes] { ++changes; };
    journal.Attach(queue);
    std::vector<TransferJob> burst(1000, MakeJob(true, "/f", "f", "/"));
    queue.EnqueueTransfer(burst);
    QCOMPARE(journal.WriteCount(), uint64_t(1));
    QCOMPARE(changes, 1); // the queue's own OnChange still runs
    QCOMPARE(journal.Load().Jobs.size(), size_t(1000));
}

void TestTransferJournal::savesFromManyThreadsLeaveTheLastState() {
    TransferQueue queue;
    TransferJournal journal(path());
    journal.Attach(queue);
    {
        // In step, so that changes and saves of different threads meet up to the last one.
        std::barrier step(4);
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&queue, &step, t] {
                for (int i = 0; i < 40; ++i) {
                    step.arrive_and_wait();
                    const std::string name = std::to_string(t) + "-" + std::to_string(i);
                    const auto ids = queue.EnqueueTransfer({MakeJob(true, "/" + name, name, "/")});
                    if (i % 3 == 0) queue.DeleteJobs(ids);
                    if (i % 5 == 0)
                        if (auto head = queue.TakeHead()) queue.Fail(head->Id, "failed " + name);
                }
            });
        }
    }
    QVERIFY2(journal.LastError().empty(), journal.LastError().c_str());
    TransferJournalLoad load = journal.Load();
    QVERIFY2(load.Error.empty(), load.Error.c_str());
    QString why;
    QVERIFY2(SameJobs(load.Jobs, queue.Jobs(), why), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestTransferJournal)
#include "test_transfer_journal.moc"
