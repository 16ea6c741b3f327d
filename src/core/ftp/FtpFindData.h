#pragma once
// One entry of a remote directory listing, as the listing parsers deliver it.
#include <cstdint>
#include <string>

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400; // a symbolic link

struct TFtpFindData {
    std::string FileName;      // bytes as the server sent them
    uint32_t Attributes = 0;   // FILE_ATTRIBUTE_DIRECTORY marks a folder
    int64_t LastWriteTime = 0; // 100-ns intervals since 1601-01-01, as listed (no zone change)
    int64_t FileSize = 0;      // 64-bit

    bool IsDirectory() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // Days since 30 December 1899 (fractional).
    double LastWriteDateTime() const;
};

// 100-ns intervals since 1601 for a calendar time; month 1..12. Returns 0 for an invalid date.
int64_t FileTimeFromCalendar(int year, int month, int day, int hour, int minute, int second);
// Days since 30 December 1899: file time / 864000000000 - 109205.
double FileTimeToDateTime(int64_t fileTime);
// "yyyy/mm/dd hh:mm:ss" of a date-time value.
std::string FormatDateTime(double dateTime);
