#include "core/transfer/TransferJournal.h"

#include "core/config/Password.h"
#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace pw {

namespace {
constexpr std::string_view kMagic = "Pagewright transfer journal\n";
constexpr uint8_t kStateWaiting = 0;
constexpr uint8_t kStateFailed = 1;
constexpr uint8_t kFlagUpload = 1;
constexpr uint8_t kFlagMakeRemoteFolder = 2;
constexpr uint8_t kFlagActive = 4;           // since version 2: active data connections only
constexpr uint8_t kFlagDirectUpload = 8;     // since version 2: no temporary name on the server
constexpr uint32_t kFirstJournalVersion = 1; // plain FTP, passive first, temporary names
// State and flags, seven counted texts, the file date; from version 2 also the protocol and
// two more counted texts.
constexpr uint64_t kMinJobSize = 2 + 7 * 4 + 8;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

uint32_t Crc32(std::string_view bytes) {
    static constexpr std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[(c ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

[[noreturn]] void Damaged(const std::string& why) {
    throw ETransferJournalError("damaged transfer journal: " + why);
}

TransferJob ReadJob(ByteReader& in, uint32_t version) {
    TransferJob job;
    const size_t at = in.position();
    const uint8_t state = in.readU8();
    const uint8_t flags = in.readU8();
    if (state != kStateWaiting && state != kStateFailed)
        Damaged("unknown job state " + std::to_string(state) + " at offset " + std::to_string(at));
    const uint8_t known = version == kFirstJournalVersion ? kFlagUpload | kFlagMakeRemoteFolder
                                                          : kFlagUpload | kFlagMakeRemoteFolder |
                                                                kFlagActive | kFlagDirectUpload;
    if (flags & ~known)
        Damaged("unknown job flags " + std::to_string(flags) + " at offset " +
                std::to_string(at + 1));
    job.State = state == kStateFailed ? TransferJobState::Failed : TransferJobState::Queued;
    job.Record.Upload = flags & kFlagUpload;
    job.MakeRemoteFolder = flags & kFlagMakeRemoteFolder;
    job.Record.Passive = !(flags & kFlagActive);
    job.Record.UploadViaTemporary = !(flags & kFlagDirectUpload);
    job.Record.LocalFile = in.readCountedString();
    job.Record.RemoteFile = in.readCountedString();
    job.Record.RemoteFolder = in.readCountedString();
    job.Record.ServerHost = in.readCountedString();
    job.Record.ServerUser = in.readCountedString();
    if (version > kFirstJournalVersion) {
        const size_t protocolAt = in.position();
        const auto protocol = FtpProtocolFromNumber(in.readU8());
        if (!protocol) Damaged("unknown protocol at offset " + std::to_string(protocolAt));
        job.Record.Protocol = *protocol;
        job.Record.TrustedFingerprint = in.readCountedString();
        job.Record.KeyFile = in.readCountedString();
    }
    job.SizeText = in.readCountedString();
    job.Reason = in.readCountedString();
    const uint64_t low = in.readU32();
    const uint64_t high = in.readU32();
    job.Record.FileDate = std::bit_cast<double>(high << 32 | low);
    if (job.State != TransferJobState::Failed && !job.Reason.empty())
        Damaged("a waiting job with a reason at offset " + std::to_string(at));
    return job;
}

// Puts a damaged journal aside under a name that no earlier damaged journal uses.
std::string PutAside(const std::string& path, std::string& error) {
    for (int n = 1; n <= 1000; ++n) {
        const std::string aside = path + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        struct stat info {};
        if (::lstat(aside.c_str(), &info) == 0) continue;
        if (::rename(path.c_str(), aside.c_str()) == 0) return aside;
        error = std::strerror(errno);
        return {};
    }
    error = "too many damaged journals beside it";
    return {};
}
} // namespace

std::string TransferJournalPath(const std::string& configFilePath) {
    const std::filesystem::path config(configFilePath);
    return (config.parent_path() / kTransferJournalFileName).string();
}

std::string EncodeTransferJournal(const std::vector<TransferJob>& jobs) {
    ByteWriter out;
    out.writeBytes(kMagic);
    out.writeU32(kTransferJournalVersion);
    const size_t countAt = out.position();
    out.writeU32(0);
    uint32_t count = 0;
    for (const TransferJob& job : jobs) {
        if (job.State == TransferJobState::Done) continue;
        const bool failed = job.State == TransferJobState::Failed;
        out.writeU8(failed ? kStateFailed : kStateWaiting);
        out.writeU8(static_cast<uint8_t>((job.Record.Upload ? kFlagUpload : 0) |
                                         (job.MakeRemoteFolder ? kFlagMakeRemoteFolder : 0) |
                                         (job.Record.Passive ? 0 : kFlagActive) |
                                         (job.Record.UploadViaTemporary ? 0 : kFlagDirectUpload)));
        out.writeCountedString(job.Record.LocalFile);
        out.writeCountedString(job.Record.RemoteFile);
        out.writeCountedString(job.Record.RemoteFolder);
        out.writeCountedString(job.Record.ServerHost);
        out.writeCountedString(job.Record.ServerUser);
        out.writeU8(static_cast<uint8_t>(job.Record.Protocol));
        out.writeCountedString(job.Record.TrustedFingerprint);
        out.writeCountedString(job.Record.KeyFile);
        out.writeCountedString(job.SizeText);
        out.writeCountedString(failed ? job.Reason : std::string());
        const uint64_t bits = std::bit_cast<uint64_t>(job.Record.FileDate);
        out.writeU32(static_cast<uint32_t>(bits));
        out.writeU32(static_cast<uint32_t>(bits >> 32));
        ++count;
    }
    out.patchU32(countAt, count);
    out.writeU32(Crc32(out.data()));
    return out.take();
}

std::vector<TransferJob> DecodeTransferJournal(std::string_view bytes) {
    if (bytes.empty()) Damaged("the file is empty");
    if (bytes.substr(0, kMagic.size()) != kMagic) {
        if (kMagic.starts_with(bytes)) Damaged("the file ends inside its first line");
        throw ETransferJournalError("not a transfer journal (it does not start with the line \"" +
                                    std::string(kMagic.substr(0, kMagic.size() - 1)) + "\")");
    }
    ByteReader in(bytes);
    std::vector<TransferJob> jobs;
    try {
        in.seek(kMagic.size());
        const uint32_t version = in.readU32();
        if (version < kFirstJournalVersion || version > kTransferJournalVersion)
            throw ETransferJournalError("transfer journal version " + std::to_string(version) +
                                        " is not supported (this program reads versions 1 to " +
                                        std::to_string(kTransferJournalVersion) + ")");
        const uint32_t count = in.readU32();
        in.requireItems(count, kMinJobSize, "jobs");
        jobs.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            jobs.push_back(ReadJob(in, version));
        const size_t end = in.position();
        const uint32_t stored = in.readU32();
        if (!in.atEnd())
            Damaged(std::to_string(in.remaining()) + " unexpected bytes after its end at offset " +
                    std::to_string(in.position()));
        if (stored != Crc32(bytes.substr(0, end))) Damaged("its checksum does not match");
    } catch (const EStreamError& e) {
        Damaged(e.what());
    }
    return jobs;
}

void FillJobPasswords(std::vector<TransferJob>& jobs, const TnkDBSource& configurations) {
    const int records = configurations.RecordCount();
    for (TransferJob& job : jobs) {
        for (int r = 0; r < records; ++r) {
            if (configurations.GetString(r, "Host") == job.Record.ServerHost &&
                configurations.GetString(r, "LoginName") == job.Record.ServerUser) {
                job.Record.ServerPassword =
                    ScramblePassword(configurations.GetString(r, "LoginPassword"));
                break;
            }
        }
    }
}

TransferJournal::TransferJournal(std::string path) : m_path(std::move(path)) {}

TransferJournalLoad TransferJournal::Load() const {
    TransferJournalLoad result;
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0 && errno == ENOENT) return result;
    std::string bytes;
    try {
        bytes = ReadWholeFile(m_path);
    } catch (const EFileError& e) {
        result.Error = "Cannot read the transfer journal " + m_path + ": " +
                       (e.detail().empty() ? std::string(e.what()) : e.detail());
        return result;
    }
    try {
        result.Jobs = DecodeTransferJournal(bytes);
    } catch (const ETransferJournalError& e) {
        std::string why;
        result.DamagedPath = PutAside(m_path, why);
        result.Error = "Cannot read the transfer journal " + m_path + ": " + e.what() + "; ";
        result.Error += result.DamagedPath.empty() ? "it could not be put aside (" + why + ")"
                                                   : "it was put aside as " + result.DamagedPath;
        result.Error += " and the queue starts empty";
    }
    return result;
}

void TransferJournal::Attach(TransferQueue& queue) {
    std::function<void()> previous = std::move(queue.OnChange);
    queue.OnChange = [this, &queue, previous = std::move(previous)] {
        Save(queue);
        if (previous) previous();
    };
}

void TransferJournal::Save(const TransferQueue& queue) {
    const uint64_t mine = ++m_requested;
    std::lock_guard lock(m_writeMutex);
    if (m_covered >= mine) return;
    // Every change requested so far happened before this picture of the queue is taken.
    const uint64_t covers = m_requested.load();
    std::string error;
    try {
        WriteFileAtomically(m_path, EncodeTransferJournal(queue.Jobs()), 0600);
        ++m_writes;
    } catch (const EFileError& e) {
        error = e.detail().empty() ? e.what() : std::string(e.what()) + " (" + e.detail() + ")";
    } catch (const std::exception& e) {
        error = "Cannot create file " + m_path + " (" + e.what() + ")";
    }
    m_covered = covers;
    m_lastError = error;
    if (!error.empty() && OnError) OnError(error);
}

std::string TransferJournal::LastError() const {
    std::lock_guard lock(m_writeMutex);
    return m_lastError;
}

} // namespace pw
