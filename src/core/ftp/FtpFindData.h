#pragma once
// One entry of a remote directory listing, as the listing parsers deliver it.
#include <cstdint>
#include <string>

namespace pw {

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400; // a symbolic link

// A size or time the listing did not give, or gave as a value that cannot be (a size that
// is negative or does not fit 63 bits, a 30th of February): the entry is kept, the value is
// unknown and shows empty. An unknown size is no size to compare a download against.
constexpr int64_t kUnknownFileSize = -1;
constexpr int64_t kUnknownFileTime = 0;

struct TFtpFindData {
    std::string FileName;                     // bytes as the server sent them
    uint32_t Attributes = 0;                  // FILE_ATTRIBUTE_DIRECTORY marks a folder
    int64_t LastWriteTime = kUnknownFileTime; // 100-ns intervals since 1601-01-01, as listed
    int64_t FileSize = kUnknownFileSize;      // 64-bit

    bool IsDirectory() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool HasSize() const { return FileSize >= 0; }
    bool HasTime() const { return LastWriteTime > 0; }
    // Days since 30 December 1899 (fractional); meaningful only with HasTime().
    double LastWriteDateTime() const;
    // The size in decimal, or "" when unknown.
    std::string SizeText() const;
    // "yyyy/mm/dd hh:mm:ss", or "" when unknown.
    std::string TimeText() const;
};

// 100-ns intervals since 1601 for a calendar time; month 1..12. Returns kUnknownFileTime for
// a date or time that cannot be.
int64_t FileTimeFromCalendar(int year, int month, int day, int hour, int minute, int second);
// Days since 30 December 1899: file time / 864000000000 - 109205.
double FileTimeToDateTime(int64_t fileTime);
// "yyyy/mm/dd hh:mm:ss" of a date-time value.
std::string FormatDateTime(double dateTime);

} // namespace pw
