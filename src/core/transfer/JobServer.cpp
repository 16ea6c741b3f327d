#include "core/transfer/JobServer.h"

#include "core/config/Password.h"
#include "core/ftp/EndpointSetup.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

void SetJobServer(TnkFTPRecord& record, const TSimpleFTP& ftp, bool uploadViaTemporary) {
    record.ServerHost = ftp.HostName.get();
    record.ServerUser = ftp.UserName.get();
    record.ServerPassword = ftp.Password.get();
    record.Protocol = ftp.Protocol();
    record.Passive = ftp.Passive();
    record.TrustedFingerprint = ftp.TrustedFingerprint();
    record.KeyFile = ftp.KeyFile();
    record.UploadViaTemporary = uploadViaTemporary;
}

void SetJobServerFromConfiguration(TnkFTPRecord& record, const TnkDBSource& config, int index) {
    const ServerEndpoint endpoint = ReadServerEndpoint(config, index);
    const std::string folder = config.GetString(index, "FTPDefaultFolder");
    record.RemoteFolder = folder.empty() ? "/" : folder;
    record.ServerHost = EndpointHostName(endpoint);
    record.ServerUser = config.GetString(index, "LoginName");
    record.ServerPassword = ScramblePassword(config.GetString(index, "LoginPassword"));
    record.Protocol = endpoint.protocol;
    record.Passive = endpoint.passive;
    record.TrustedFingerprint = endpoint.trustedFingerprint;
    record.KeyFile = endpoint.keyFile;
    record.UploadViaTemporary = endpoint.uploadViaTemporary;
}

void ApplyJobServer(TSimpleFTP& ftp, const TnkFTPRecord& record) {
    ftp.HostName = record.ServerHost;
    ftp.UserName = record.ServerUser;
    ftp.Password = record.ServerPassword;
    ftp.SetProtocol(record.Protocol);
    ftp.SetPassive(record.Passive);
    ftp.SetTrustedFingerprint(record.TrustedFingerprint);
    ftp.SetKeyFile(record.KeyFile);
}

bool ServesJob(const TSimpleFTP& ftp, const TnkFTPRecord& record) {
    TSimpleFTP wanted;
    ApplyJobServer(wanted, record);
    return ftp.HostName == wanted.HostName.get() && ftp.UserName == record.ServerUser &&
           ftp.Password == record.ServerPassword && ftp.Protocol() == record.Protocol &&
           ftp.Passive() == wanted.Passive() &&
           ftp.TrustedFingerprint() == wanted.TrustedFingerprint() &&
           ftp.KeyFile() == record.KeyFile;
}

} // namespace pw
