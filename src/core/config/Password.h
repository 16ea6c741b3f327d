#pragma once
// Stored passwords have every byte exclusive-or 255; the same operation turns them back.
#include <string>
#include <string_view>

namespace pw {

class TnkDBSource;

std::string ScramblePassword(std::string_view password);
// Applies the scrambling to "LoginPassword" of every record (both directions).
void ScrambleAllPasswords(TnkDBSource& configurations);

} // namespace pw
