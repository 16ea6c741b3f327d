#pragma once
// Errors raised by the record tables and their files.
#include <stdexcept>
#include <string>

namespace pw {

// A record index below zero on a table that has records: a programming error.
class EListError : public std::out_of_range {
public:
    explicit EListError(long index);
    long index() const { return m_index; }

private:
    long m_index;
};

// Damaged or foreign table data: reading stops, the message says where and why.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened, created or replaced ("Cannot open file %s", ...).
// what() is the exact text; detail() the system's reason, when there is one.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& message, std::string detail = {})
        : std::runtime_error(message), m_detail(std::move(detail)) {}
    const std::string& detail() const { return m_detail; }

private:
    std::string m_detail;
};

} // namespace pw
