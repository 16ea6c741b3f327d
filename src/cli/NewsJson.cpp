#include "cli/NewsJson.h"

#include "cli/CliSupport.h"
#include "core/news/NewsFormat.h"
#include "core/storage/FileIO.h"

using namespace pw;

namespace {
constexpr const char* kFieldOrder[] = {news_field::kDate,   news_field::kTime, news_field::kName,
                                       news_field::kHeader, news_field::kText, news_field::kFooter};

std::string jsonText(const nlohmann::json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return {};
    if (!it->is_string()) throw CliError(where + ": \"" + key + "\" is not a text");
    try {
        return FromUtf8(it->get<std::string>());
    } catch (const CliError& e) {
        throw CliError(where + ": \"" + key + "\": " + e.what());
    }
}
} // namespace

NewsTable::NewsTable() : source(&data, NewsFields()) {
    source.Loaded();
}

nlohmann::ordered_json NewsItemToJson(const TnkDBSource& news, int record) {
    nlohmann::ordered_json item = nlohmann::ordered_json::object();
    for (const char* field : kFieldOrder)
        item[field] = ToUtf8(news.GetString(record, field));
    return item;
}

nlohmann::ordered_json NewsPageToJson(const TnkDBSource& news, const NewsPageContext& context) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (int r = 0; r < news.RecordCount(); ++r)
        items.push_back(NewsItemToJson(news, r));
    return {{"prefix", ToUtf8(context.PagePrefix)},
            {"suffix", ToUtf8(context.PageSuffix)},
            {"items", std::move(items)}};
}

void NewsPageFromJson(const std::string& path, TnkDBSource& news, NewsPageContext& context) {
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(ReadWholeFile(path));
    } catch (const nlohmann::json::exception& e) {
        throw CliError("The file " + path + " is not valid JSON: " + e.what());
    }
    if (!doc.is_object()) throw CliError("The file " + path + " does not hold a JSON object");
    context.PagePrefix = jsonText(doc, "prefix", path);
    context.PageSuffix = jsonText(doc, "suffix", path);
    const auto items = doc.find("items");
    if (items == doc.end() || items->is_null()) return;
    if (!items->is_array()) throw CliError(path + ": \"items\" is not a list");
    for (size_t i = 0; i < items->size(); ++i) {
        const auto& item = (*items)[i];
        const std::string where = path + ", item " + std::to_string(i);
        if (!item.is_object()) throw CliError(where + " is not an object");
        const int record = news.Append();
        for (const char* field : kFieldOrder)
            news.SetString(record, field, jsonText(item, field, where));
    }
}
