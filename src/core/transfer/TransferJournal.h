#pragma once
// The transfer journal: the waiting and failed jobs of a transfer queue, kept in a file beside
// the configuration file so that they survive the end of the program (also a crash). The
// file is replaced atomically on every change of the queue and is readable by its owner only.
// It never holds a password: the caller fills passwords in again when it restores the jobs
// (FillJobPasswords). A running job is kept as waiting, so that it runs again after a crash.
//
// The file: the line "Pagewright transfer journal", a 32-bit format version, the number of
// jobs, each job (state, flags, the texts counted, the protocol, the file date's 64 bits), and
// a CRC-32 of everything before it. Journals of version 1 (plain FTP only) are read as well.
// A damaged file is never read past its end and is put aside.
#include "core/transfer/TransferQueue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

class TnkDBSource;

inline constexpr const char* kTransferJournalFileName = "transfers.journal";
inline constexpr uint32_t kTransferJournalVersion = 2;

// The journal's place: the configuration file's folder, then kTransferJournalFileName.
std::string TransferJournalPath(const std::string& configFilePath);

// A journal that cannot be read: what() says why and where.
class ETransferJournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of a journal of `jobs`: waiting, running (kept as waiting) and failed jobs in
// their order; done jobs are left out, and so is every password.
std::string EncodeTransferJournal(const std::vector<TransferJob>& jobs);
// The jobs of a journal, waiting or failed with their reasons, without passwords and ids.
// Throws ETransferJournalError for anything that is not a whole journal of a known version.
std::vector<TransferJob> DecodeTransferJournal(std::string_view bytes);

// Fills the password of every job whose server and login are those of a configuration
// record ("Host" and "LoginName", the first such record), unscrambled; other jobs keep theirs.
void FillJobPasswords(std::vector<TransferJob>& jobs, const TnkDBSource& configurations);

struct TransferJournalLoad {
    std::vector<TransferJob> Jobs;
    std::string Error;       // empty when the journal was read or did not exist
    std::string DamagedPath; // where a damaged journal was put aside; empty otherwise
};

class TransferJournal {
public:
    explicit TransferJournal(std::string path);
    TransferJournal(const TransferJournal&) = delete;
    TransferJournal& operator=(const TransferJournal&) = delete;

    const std::string& Path() const { return m_path; }

    // Reads the journal. A missing file gives no jobs and no error. A damaged one gives no
    // jobs and an error, and is renamed to Path() + ".damaged" (or ".damaged-2", ...) so that
    // the next save does not overwrite it; one that cannot be read stays where it is.
    TransferJournalLoad Load() const;

    // Makes the queue keep this journal: its OnChange (which must be set before, if at all)
    // is called after every save. Call before other threads use the queue.
    void Attach(TransferQueue& queue);
    // Writes the queue's jobs as they are now. Safe from several threads at once: writes are
    // serialised and each takes its picture of the queue inside that order, so the last state
    // wins; a call whose change a write already covered writes nothing. A failed write is
    // reported through OnError and LastError and does not throw.
    void Save(const TransferQueue& queue);

    // Called on the saving thread when a write fails, with the error text; it must not save.
    // Set before use.
    std::function<void(const std::string& error)> OnError;
    std::string LastError() const; // empty when the last write succeeded
    uint64_t WriteCount() const { return m_writes.load(); }

private:
    std::string m_path;
    std::atomic<uint64_t> m_requested{0};
    std::atomic<uint64_t> m_writes{0};
    mutable std::mutex m_writeMutex; // serialises writes; guards the members below
    uint64_t m_covered = 0;          // requests that the last write has covered
    std::string m_lastError;
};

} // namespace pw
