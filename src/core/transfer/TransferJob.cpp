#include "core/transfer/TransferJob.h"

#include "core/ftp/FtpFindData.h"

#include <cmath>

namespace pw {

std::string JobRemotePath(const TnkFTPRecord& record) {
    std::string path = record.RemoteFolder;
    if (path.empty() || path.back() != '/') path += '/';
    return path + record.RemoteFile;
}

double FileDateFromText(std::string_view text) {
    if (text.size() != 19) return 0;
    auto number = [&](size_t from, size_t count) {
        int value = 0;
        for (size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const int64_t time = FileTimeFromCalendar(number(0, 4), number(5, 2), number(8, 2),
                                              number(11, 2), number(14, 2), number(17, 2));
    return time == kUnknownFileTime ? 0 : FileTimeToDateTime(time);
}

int64_t FileDateToUnixSeconds(double fileDate) {
    return std::llround((fileDate - 25569.0) * 86400.0);
}

} // namespace pw
