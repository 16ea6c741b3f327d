// Guards: hostile directory listings: parsers stay in bounds, names never leave the folder.
// Directory listings as hostile servers might send them: every parser must stay inside the
// input, never deliver a name that could address another folder, and never report a
// negative size.
#include "core/ftp/FtpListing.h"
#include "core/ftp/FtpPaths.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TListingDate today{2026, 2, 28};
    for (const auto format : {TListingFormat::Mlsd, TListingFormat::List}) {
        for (const TFtpFindData& entry : ParseListing(text, format, today)) {
            if (!IsPlainEntryName(entry.FileName) || entry.FileSize < kUnknownFileSize ||
                entry.LastWriteTime < 0)
                std::abort();
            (void)FormatDateTime(entry.LastWriteDateTime());
        }
    }
    (void)ParsePwdReply(text);
    (void)SplitHostPort(std::string(text), 21);
    return 0;
}
