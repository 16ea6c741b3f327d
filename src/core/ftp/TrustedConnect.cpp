#include "core/ftp/TrustedConnect.h"

#include "core/ftp/TSimpleFTP.h"

namespace pw {

bool ConnectTrusting(TSimpleFTP& ftp, const TrustQuestion& ask, std::string* refusal) {
    const bool silent = ftp.SilentExceptions;
    // The refusal's details come with the exception, so the connect throws for the time of
    // this call; the caller's choice is restored on every way out.
    struct Restore {
        TSimpleFTP& ftp;
        bool silent;
        ~Restore() { ftp.SilentExceptions = silent; }
    } restore{ftp, silent};
    ftp.SilentExceptions = false;
    bool asked = false;
    for (;;) {
        try {
            return ftp.Connect();
        } catch (const ECertificateUntrusted& e) {
            if (!asked && !e.Changed() && ask && !e.Certificate().Fingerprint.empty()) {
                asked = true;
                if (ask(ftp.HostName.get(), e.Certificate()) != TrustAnswer::Refuse) {
                    ftp.SetTrustedFingerprint(e.Certificate().Fingerprint);
                    continue;
                }
            }
            if (refusal && !asked) *refusal = e.what();
            if (!silent) throw;
            return false;
        } catch (const std::exception&) {
            if (!silent) throw;
            return false;
        }
    }
}

} // namespace pw
