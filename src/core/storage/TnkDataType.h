#pragma once
#include <cstdint>

namespace pw {

// The kinds of value a record table holds, numbered as in the table stream.
enum TnkDataType : uint8_t {
    dtNone = 0,
    dtInteger = 1,
    dtString = 2,
    dtStrings = 3,
    dtStream = 4,
    dtTable = 5,
};

constexpr uint8_t kMaxDataType = dtTable;

// The ValueKind byte that goes with a type whenever the type is set.
constexpr uint8_t DefaultValueKind(TnkDataType type) {
    switch (type) {
    case dtNone:
        return 0;
    case dtInteger:
        return 5;
    case dtString:
        return 8;
    case dtStrings:
        return 9;
    case dtStream:
        return 10;
    case dtTable:
        return 11;
    }
    return 0;
}

} // namespace pw
