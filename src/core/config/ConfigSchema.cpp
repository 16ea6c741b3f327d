#include "core/config/ConfigSchema.h"

#include "core/storage/ByteStream.h"
#include "core/storage/TnkTable.h"

namespace pw {

namespace {

struct FieldRow {
    const char* name;
    TnkDataType type;
    const char* defaultText;
    bool dialog; // declared by the configuration dialog; the new-server wizard declares all
};

constexpr FieldRow kSettings[] = {
    {"SaveWindowPos", dtString, "TRUE", true},
    {"Left", dtInteger, "-1", true},
    {"Top", dtInteger, "-1", true},
    {"Width", dtInteger, "-1", true},
    {"Height", dtInteger, "-1", true},
    {"AutoSave", dtInteger, "0", true},
    {"NewsConfiguration", dtInteger, "0", true},
    {"LinksConfiguration", dtInteger, "0", true},
    {"FTPConfiguration", dtInteger, "0", true},
    {"Language", dtInteger, "0", true},
    {"PagesNews", dtString, "TRUE", true},
    {"PagesLinks", dtString, "TRUE", true},
    {"PagesFTP", dtString, "TRUE", true},
    {"PagesTransfers", dtString, "TRUE", true},
    {"VisibleSpeedbar", dtString, "TRUE", true},
    {"VisibleMinimizeToTray", dtString, "TRUE", true},
    {"VisibleMenuNews", dtNone, "TRUE", true},
    {"VisibleMenuLinks", dtNone, "TRUE", true},
    {"VisibleMenuFTP", dtNone, "TRUE", true},
    {"VisibleMenuTransfer", dtNone, "TRUE", true},
};

constexpr FieldRow kConfiguration[] = {
    {"Name", dtString, "none", true},
    {"Host", dtString, kDefaultHost, true},
    {"LoginName", dtString, "user", true},
    {"LoginPassword", dtString, "", true},
    {"FTPTimeout", dtInteger, "60", true},
    {"Poster", dtString, "", true},
    {"LocalFTPDirectory", dtString, "", true},
    {"TemporaryDirectory", dtString, "", true},
    {"TimeFormat", dtString, "hh:nn", true},
    {"DateFormat", dtString, "yyyy'/'MM'/'dd", true},
    {"SyntaxHighlight", dtString, "", true},
    {"NewsFile", dtString, "/index.html", true},
    {"NewsLocalFile", dtString, "", true},
    {"NewsSection", dtString, "", true},
    {"NewsHeaderDefaults", dtString, "%_date%<br>", true},
    {"NewsFooterDefaults", dtString, "- %_poster%<br>", true},
    {"NewsBeforeNews", dtString, "", false},
    {"NewsBetweenNews", dtString, "", true},
    {"NewsAfterNews", dtString, "", false},
    {"NewsNewsFileEnabled", dtString, "", true},
    {"NewsNewsFile", dtInteger, "0", true},
    {"NewsHeader", dtNone, "", true},
    {"NewsStayConnected", dtString, "", true},
    {"LinksFile", dtString, "/linkdata.html", true},
    {"LinksSaveLocal", dtString, "", true},
    {"LinksStayConnected", dtString, "", true},
    {"FTPDefaultFolder", dtNone, "/", true},
    {"FTPAutomaticLocalRefresh", dtNone, "TRUE", true},
    // The connection settings came later and stand last: a file without them connects with
    // plain FTP to the port in "Host" (else 21), passive first, and readers that do not know
    // them keep them as they are.
    {"Protocol", dtInteger, "0", true}, // an FtpProtocol: 0 FTP ... 3 SFTP
    {"Port", dtString, "", true},       // empty: the port in "Host", else the default
    {"PassiveMode", dtString, "TRUE", true},
    {"TrustedFingerprint", dtString, "", true}, // SHA-256 of a pinned certificate or key
    {"UploadViaTemporary", dtString, "TRUE", true},
    {"KeyFile", dtString, "", true}, // SFTP private key; empty: password login
};

constexpr FieldRow kTranslation[] = {
    {"Ascii", dtNone, "", true},
    {"Html", dtNone, "", true},
};

template <size_t N> TnkDBFieldCollection collect(const FieldRow (&rows)[N], ConfigRole role) {
    TnkDBFieldCollection fields;
    if (role == ConfigRole::MainWindow) return fields;
    // The wizard declares the dialog's fields as well as its own, so that a file it writes first
    // shows every menu and gives its configuration the dialog's folder defaults.
    for (const auto& row : rows)
        if (role == ConfigRole::Wizard || row.dialog)
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
