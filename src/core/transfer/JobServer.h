#pragma once
// The server part of a transfer record: where and how the queue's worker connects for a job
// (host, login, password, protocol, data connection mode, pinned fingerprint, key file), taken
// from a connected component or from a configuration, and put back onto the worker's one.
#include "core/transfer/TransferJob.h"

namespace pw {

class TSimpleFTP;
class TnkDBSource;

// The server and login `ftp` is set up for.
void SetJobServer(TnkFTPRecord& record, const TSimpleFTP& ftp, bool uploadViaTemporary);
// The server, login and default folder ("/" when empty) of configuration `index`, the
// password unscrambled. Throws EServerAddress for a "Port" or "Protocol" it cannot use.
void SetJobServerFromConfiguration(TnkFTPRecord& record, const TnkDBSource& config, int index);
// Sets `ftp` up to connect for `record`; takes effect at its next connect.
void ApplyJobServer(TSimpleFTP& ftp, const TnkFTPRecord& record);
// Whether a connection of `ftp` made for another job serves `record` as well: the same
// server reached the same way, with the same login.
bool ServesJob(const TSimpleFTP& ftp, const TnkFTPRecord& record);

} // namespace pw
