#include "core/config/ConfigSchema.h"

#include "core/storage/ByteStream.h"
#include "core/storage/TnkTable.h"

namespace pw {

namespace {

struct FieldRow {
    const char* name;
    TnkDataType type;
    const char* defaultText;
    bool dialog; // declared by the configuration dialog
    bool wizard; // declared by the new-server wizard
};

constexpr FieldRow kSettings[] = {
    {"SaveWindowPos", dtString, "TRUE", true, true},
    {"Left", dtInteger, "-1", true, true},
    {"Top", dtInteger, "-1", true, true},
    {"Width", dtInteger, "-1", true, true},
    {"Height", dtInteger, "-1", true, true},
    {"AutoSave", dtInteger, "0", true, true},
    {"NewsConfiguration", dtInteger, "0", true, true},
    {"LinksConfiguration", dtInteger, "0", true, true},
    {"FTPConfiguration", dtInteger, "0", true, true},
    {"Language", dtInteger, "0", true, true},
    {"PagesNews", dtString, "TRUE", true, true},
    {"PagesLinks", dtString, "TRUE", true, true},
    {"PagesFTP", dtString, "TRUE", true, true},
    {"PagesTransfers", dtString, "TRUE", true, true},
    {"VisibleSpeedbar", dtString, "TRUE", true, true},
    {"VisibleMinimizeToTray", dtString, "TRUE", true, true},
    {"VisibleMenuNews", dtNone, "TRUE", true, false},
    {"VisibleMenuLinks", dtNone, "TRUE", true, false},
    {"VisibleMenuFTP", dtNone, "TRUE", true, false},
    {"VisibleMenuTransfer", dtNone, "TRUE", true, false},
};

constexpr FieldRow kConfiguration[] = {
    {"Name", dtString, "none", true, true},
    {"Host", dtString, kDefaultHost, true, true},
    {"LoginName", dtString, "user", true, true},
    {"LoginPassword", dtString, "", true, true},
    {"FTPTimeout", dtInteger, "60", true, true},
    {"Poster", dtString, "", true, true},
    {"LocalFTPDirectory", dtString, "", true, true},
    {"TemporaryDirectory", dtString, "", true, true},
    {"TimeFormat", dtString, "hh:nn", true, true},
    {"DateFormat", dtString, "yyyy'/'MM'/'dd", true, true},
    {"SyntaxHighlight", dtString, "", true, true},
    {"NewsFile", dtString, "/index.html", true, true},
    {"NewsLocalFile", dtString, "", true, true},
    {"NewsSection", dtString, "", true, false},
    {"NewsHeaderDefaults", dtString, "%_date%<br>", true, true},
    {"NewsFooterDefaults", dtString, "- %_poster%<br>", true, true},
    {"NewsBeforeNews", dtString, "", false, true},
    {"NewsBetweenNews", dtString, "", true, true},
    {"NewsAfterNews", dtString, "", false, true},
    {"NewsNewsFileEnabled", dtString, "", true, true},
    {"NewsNewsFile", dtInteger, "0", true, true},
    {"NewsHeader", dtNone, "", true, false},
    {"NewsStayConnected", dtString, "", true, true},
    {"LinksFile", dtString, "/linkdata.html", true, true},
    {"LinksSaveLocal", dtString, "", true, true},
    {"LinksStayConnected", dtString, "", true, true},
    {"FTPDefaultFolder", dtNone, "/", true, false},
    {"FTPAutomaticLocalRefresh", dtNone, "TRUE", true, false},
    // The connection settings came later and stand last: a file without them connects with
    // plain FTP to the port in "Host" (else 21), passive first, and readers that do not know
    // them keep them as they are.
    {"Protocol", dtInteger, "0", true, true}, // an FtpProtocol: 0 FTP ... 3 SFTP
    {"Port", dtString, "", true, true},       // empty: the port in "Host", else the default
    {"PassiveMode", dtString, "TRUE", true, true},
    {"TrustedFingerprint", dtString, "", true, true}, // SHA-256 of a pinned certificate or key
    {"UploadViaTemporary", dtString, "TRUE", true, true},
    {"KeyFile", dtString, "", true, true}, // SFTP private key; empty: password login
};

constexpr FieldRow kTranslation[] = {
    {"Ascii", dtNone, "", true, true},
    {"Html", dtNone, "", true, true},
};

template <size_t N> TnkDBFieldCollection collect(const FieldRow (&rows)[N], ConfigRole role) {
    TnkDBFieldCollection fields;
    if (role == ConfigRole::MainWindow) return fields;
    // The wizard declares every field the dialog does as well, so that a file it writes first
    // shows every menu and gives its configuration the dialog's folder defaults.
    for (const auto& row : rows)
        if (role == ConfigRole::Dialog ? row.dialog : row.dialog || row.wizard)
            fields.Add(row.name, row.defaultText, row.type);
    return fields;
}

std::string buildDefaultTranslation() {
    static constexpr const char* kAscii[] = {"\xE4", "\xF6", "\xFC", "\xC4",
                                             "\xD6", "\xDC", "\xDF"};
    static constexpr const char* kHtml[] = {"&auml;", "&ouml;", "&uuml;", "&Auml;",
                                            "&Ouml;", "&Uuml;", "&szlig;"};
    ByteWriter stream;
    stream.writeU32(kTableSignature);
    stream.writeCountedString("");
    stream.writeU32(2);
    stream.writeCountedString("Ascii");
    stream.writeCountedString("Html");
    for (const auto* column : {kAscii, kHtml}) {
        stream.writeU32(7);
        for (int i = 0; i < 7; ++i) {
            stream.writeU8(dtString);
            stream.writeU8(DefaultValueKind(dtString));
            stream.writeCountedString(column[i]);
        }
    }
    ByteWriter bin;
    bin.writeU32(static_cast<uint32_t>(stream.data().size()));
    bin.writeBytes(stream.data());
    return bin.take();
}

} // namespace

TnkDBFieldCollection SettingsFields(ConfigRole role) {
    return collect(kSettings, role);
}
TnkDBFieldCollection ConfigurationFields(ConfigRole role) {
    return collect(kConfiguration, role);
}
TnkDBFieldCollection TranslationFields(ConfigRole role) {
    return collect(kTranslation, role);
}

std::string ConfigurationDefault(std::string_view field) {
    for (const auto& row : kConfiguration)
        if (field == row.name) return row.defaultText;
    return {};
}

const std::string& DefaultTranslationBinData() {
    static const std::string data = buildDefaultTranslation();
    return data;
}

} // namespace pw
