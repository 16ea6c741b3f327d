#include "core/app/CommandStates.h"

#include <initializer_list>
#include <stdexcept>

namespace pw {

bool CommandStates::Enabled(std::string_view item) const {
    for (const auto& [name, enabled] : Items)
        if (name == item) return enabled;
    throw std::out_of_range("no command item " + std::string(item));
}

CommandStates ComputeCommandStates(const CommandInputs& in) {
    using S = ActivityState;
    const ActivityStates& st = in.States;
    const bool configs = in.ConfigCount > 0;
    const bool allIdle = st.AllIdle();
    const bool noneBusy = !st.AnyBusy();
    const bool newsIdle = st.News == S::Idle;
    const bool newsConnected = st.News == S::Connected;
    const bool ftpIdle = st.FTP == S::Idle;
    const bool ftpConnected = st.FTP == S::Connected;
    const bool remoteReady = ftpConnected && !in.RemoteRefreshing;
    const bool remoteAboveRoot = remoteReady && in.RemotePathLength > 1;
    const bool localAboveRoot = !in.LocalRefreshing && !in.LocalPathIsRoot;

    CommandStates out;
    const auto set = [&](std::initializer_list<const char*> items, bool enabled) {
        for (const char* item : items)
            out.Items.emplace_back(item, enabled);
    };

    set({"miNewsStart", "siNewsStart"}, newsIdle && configs);
    set({"miNewsStop", "siNewsStop"}, newsConnected);
    set({"miNewsPost", "siNewsPost"}, newsConnected);
    set({"miNewsEditHeader", "siNewsEditHeader"}, newsConnected);
    set({"miNewsEditFooter", "siNewsEditFooter"}, newsConnected);
    set({"miNewsNew", "siNewsNew"}, newsConnected);
    set({"miNewsDelete", "siNewsDelete"}, newsConnected && in.NewsRecordCount > 0);
    set({"miNewsFirst", "siNewsFirst", "miNewsPrev", "siNewsPrev"},
        newsConnected && in.NewsRecNo > 0);
    set({"miNewsNext", "siNewsNext", "miNewsLast", "siNewsLast"},
        newsConnected && in.NewsRecNo + 1 < in.NewsRecordCount);
    set({"miNewsPreview", "siNewsPreview"}, newsConnected && in.PreviewLoaded);
    set({"sbaNews.0"}, st.News == S::Busy);
    set({"cbNewsConfig"}, newsIdle);

    set({"miNewNewsfile"}, allIdle && configs);
    set({"miNewServer"}, allIdle);
    set({"miDropperWindow"}, configs);
    set({"miMinimizeToTray", "siMinimizeToTray", "wiMinimizeToTray"}, configs);
    set({"miExit", "siExit"}, noneBusy);
    set({"miConfiguration", "siConfiguration"}, allIdle);
    set({"miLinksStart", "siLinksStart"}, configs);

    set({"miFTPConnect", "siFTPConnect"}, configs && ftpIdle);
    set({"miFTPDisconnect", "siFTPDisconnect"}, ftpConnected);
    set({"miFTPQuickConnect", "siFTPQuickConnect"}, ftpIdle && configs);
    set({"miFTPRefreshFTP", "siFTPRefreshFTP", "milvRemoteRefresh"}, remoteReady);
    set({"miFTPRemoteDirRoot", "siFTPRemoteDirRoot", "milvRemoteRoot"}, remoteAboveRoot);
    set({"miFTPRemoteDirUp", "siFTPRemoteDirUp", "milvRemoteUp"}, remoteAboveRoot);
    set({"miFTPMakeDirectoryFTP", "siFTPMakeDirectoryFTP", "milvRemoteCreateFolder"}, remoteReady);
    set({"miFTPCopyFTPToLocal", "siFTPCopyFTPToLocal", "milvRemoteCopy"}, in.RemoteSelected);
    set({"miFTPDeleteOnFTP", "siFTPDeleteOnFTP", "milvRemoteDelete"}, in.RemoteSelected);
    set({"miFTPRenameRemoteFile", "siFTPRenameRemoteFile", "milvRemoteRename"}, in.RemoteSelected);

    set({"miFTPRefreshLocal", "siFTPRefreshLocal", "milvLocalRefresh"},
        configs && !in.LocalRefreshing);
    set({"miFTPLocalDirRoot", "siFTPLocalDirRoot", "milvLocalRoot"}, localAboveRoot);
    set({"miFTPLocalDirUp", "siFTPLocalDirUp", "milvLocalUp"}, localAboveRoot);
    set({"miFTPMakeDirectoryLocal", "siFTPMakeDirectoryLocal", "milvLocalCreateFolder"},
        !in.LocalRefreshing && configs);
    set({"miFTPCopyLocalToFTP", "siFTPCopyLocalToFTP", "milvLocalCopy"},
        in.LocalSelected && ftpConnected);
    set({"miFTPDeleteOnLocal", "siFTPDeleteOnLocal", "milvLocalDelete"},
        !in.LocalRefreshing && in.LocalSelected);
    set({"miFTPRenameLocalFile", "siFTPRenameLocalFile", "milvLocalRename"}, in.LocalSelected);
    set({"miFTPLocalSortUnsorted", "miFTPLocalSortName", "miFTPLocalSortExtension",
         "miFTPLocalSortTimeDate", "miFTPLocalSortSize"},
        configs);
    set({"cbLocalDrives"}, configs);
    set({"cbFTPConfig"}, ftpIdle);

    set({"miTransferPause"}, configs && !in.TransferPauseDown);
    set({"siTransferPause"}, configs);
    set({"miTransferRestart"}, configs && !in.TransferRestartDown);
    set({"siTransferRestart"}, configs);
    set({"miTransferDelete", "siTransferDelete"}, configs && in.TransferSelected);
    set({"miTransferRetry", "siTransferRetry"}, in.TransferFailed);

    out.AnimationActive = !allIdle;
    return out;
}

} // namespace pw
