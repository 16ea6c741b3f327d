#pragma once
// The news section of a page: the comment markers that delimit it and its pieces, and the
// fields of a news item (one record of the news table; record 0 is the oldest item).
#include "core/storage/TnkDBFieldCollection.h"

#include <string>
#include <string_view>

namespace pw {

namespace news_marker {
inline constexpr std::string_view kNamedStartOpen = "<!-- NEWS:"; // + section name + kClose
inline constexpr std::string_view kNamedStartClose = " -->";
inline constexpr std::string_view kPlainStart = "<!-- DATA -->";
inline constexpr std::string_view kNamedEnd = "<!-- /NEWS -->";
inline constexpr std::string_view kPlainEnd = "<!-- /DATA -->";
inline constexpr std::string_view kDate = "<!-- DATE:";
inline constexpr std::string_view kText = "<!-- TEXT -->";
inline constexpr std::string_view kAnchorOpen = "<A NAME=\"";
inline constexpr std::string_view kAnchorClose = "\"></A>";
inline constexpr std::string_view kFooter = "<!-- SUBLINE -->";
inline constexpr std::string_view kBetweenOpen = "<!-- BETWEEN -->";
inline constexpr std::string_view kBetweenClose = "<!-- /BETWEEN -->";
// Both end markers have this length.
inline constexpr size_t kEndLength = 14;
// What a date line holds: the date, "(", the time and ") -->".
inline constexpr size_t kDateWidth = 10;
inline constexpr size_t kTimeWidth = 5;
} // namespace news_marker

namespace news_field {
inline constexpr const char* kDate = "Date";
inline constexpr const char* kTime = "Time";
inline constexpr const char* kName = "Name";
inline constexpr const char* kHeader = "Header";
inline constexpr const char* kText = "Text";
inline constexpr const char* kFooter = "Footer";
} // namespace news_field

// The news table's fields in their order, all text, none with a default.
TnkDBFieldCollection NewsFields();

// "<!-- NEWS:" + name + " -->".
std::string NamedStartMarker(std::string_view section);

} // namespace pw
