#include "core/ftp/FtpErrors.h"

namespace pw {

std::string FormatMessage(const char* format, const std::string& a, const std::string& b) {
    std::string out;
    int used = 0;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += used == 0 ? a : b;
            ++used;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string ConnectErrorMessage(unsigned code, const std::string& host, const std::string& user) {
    switch (code) {
    case ERROR_INTERNET_TIMEOUT:
        return FormatMessage("Connection to %s timed out", host);
    case ERROR_INTERNET_INTERNAL_ERROR:
        return "Internal WININET error";
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return FormatMessage("Unable to resolve host name '%s'", host);
    case ERROR_INTERNET_INCORRECT_USER_NAME:
        return FormatMessage("Bad user name: '%s' connecting to %s", user, host);
    case ERROR_INTERNET_INCORRECT_PASSWORD:
        return FormatMessage("Bad password connecting to %s", host);
    case ERROR_INTERNET_LOGIN_FAILURE:
    case ERROR_INTERNET_CANNOT_CONNECT:
        return FormatMessage("Unable to connect to %s", host);
    default:
        return FormatMessage("General Connection Error to %s", host);
    }
}

} // namespace pw
