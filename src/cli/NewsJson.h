#pragma once
// The news page as JSON for pagewright-cli: {"prefix", "suffix", "items": [{Date, Time, Name,
// Header, Text, Footer}, ...]} with the oldest item first and every text as UTF-8.
#include "core/news/NewsPageOptions.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <nlohmann/json.hpp>

#include <string>

// The news table as the main window holds it.
struct NewsTable {
    NewsTable();
    pw::TnkDBData data;
    pw::TnkDBSource source;
};

// One item in the fields' table order.
nlohmann::ordered_json NewsItemToJson(const pw::TnkDBSource& news, int record);
nlohmann::ordered_json NewsPageToJson(const pw::TnkDBSource& news,
                                      const pw::NewsPageContext& context);
// Reads the file into the (empty) table and the context. Throws CliError naming the file and
// the place for anything that is not such a page; the table may then hold part of the items.
void NewsPageFromJson(const std::string& path, pw::TnkDBSource& news, pw::NewsPageContext& context);
