#pragma once
// A page as a list of lines: lines end at CR, LF or CR LF, and each is then followed by
// CR LF, the last one included. A final line without a line end is still a line; an empty
// file has no lines.
#include <string>
#include <string_view>

namespace pw {

std::string JoinPageLines(std::string_view bytes);

} // namespace pw
