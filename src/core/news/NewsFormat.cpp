#include "core/news/NewsFormat.h"

namespace pw {

TnkDBFieldCollection NewsFields() {
    using namespace news_field;
    return {{kDate, "", dtString},   {kTime, "", dtString}, {kName, "", dtString},
            {kHeader, "", dtString}, {kText, "", dtString}, {kFooter, "", dtString}};
}

std::string NamedStartMarker(std::string_view section) {
    std::string marker(news_marker::kNamedStartOpen);
    marker += section;
    marker += news_marker::kNamedStartClose;
    return marker;
}

} // namespace pw
