#pragma once
// Exceptions of the FTP components and the texts they carry.
#include <stdexcept>
#include <string>

namespace pw {

// A failed connection ("Unable to connect to %s", ...). Raised only when SilentExceptions is off.
class EWinInetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed FTP operation ("Error deleting %s", ...). Raised only when SilentExceptions is off.
class ESimpleFTPError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Connection error codes, as the messages of RaiseConnectError know them.
enum TWinInetErrorCode : unsigned {
    ERROR_INTERNET_TIMEOUT = 12002,
    ERROR_INTERNET_INTERNAL_ERROR = 12004,
    ERROR_INTERNET_NAME_NOT_RESOLVED = 12007,
    ERROR_INTERNET_INCORRECT_USER_NAME = 12013,
    ERROR_INTERNET_INCORRECT_PASSWORD = 12014,
    ERROR_INTERNET_LOGIN_FAILURE = 12015,
    ERROR_INTERNET_CANNOT_CONNECT = 12029,
    ERROR_INTERNET_OPERATION_CANCELLED = 12017,
};

// The message of a connection error code for a host and user.
std::string ConnectErrorMessage(unsigned code, const std::string& host, const std::string& user);

// printf-like filling of "%s" placeholders, in order; other text is kept as it is.
std::string FormatMessage(const char* format, const std::string& a, const std::string& b = {});

namespace FtpText {
inline constexpr const char* NotConnected = "Not connected!";
inline constexpr const char* NoErrorDescription = "No error description available";
inline constexpr const char* CouldntChangeDir = "Couldn't change to directory %s";
inline constexpr const char* ErrorDeleting = "Error deleting %s";
inline constexpr const char* ErrorCreatingDir = "Error creating directory %s";
inline constexpr const char* ErrorRemovingDir = "Error removing directory %s";
inline constexpr const char* ErrorRenaming = "Error renaming file from %s to %s";
inline constexpr const char* PutLocalNotFound = "Error putting %s to %s: local file not found";
inline constexpr const char* ErrorPutting = "Error putting %s to %s";
inline constexpr const char* GetRemoteNotFound = "Error getting %s to %s: remote file not found";
inline constexpr const char* ErrorGetting = "Error getting %s from %s";
inline constexpr const char* CannotChangeFsType = "Cannot change file system type when connected";
} // namespace FtpText

} // namespace pw
