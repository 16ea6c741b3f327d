#include "core/config/Password.h"

#include "core/storage/TnkDBSource.h"

namespace pw {

std::string ScramblePassword(std::string_view password) {
    std::string out(password);
    for (char& c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ 0xFF);
    return out;
}

void ScrambleAllPasswords(TnkDBSource& configurations) {
    for (int r = 0; r < configurations.RecordCount(); ++r)
        configurations.SetText(r, "LoginPassword",
                               ScramblePassword(configurations.GetString(r, "LoginPassword")));
}

} // namespace pw
