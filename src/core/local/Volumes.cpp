#include "core/local/Volumes.h"

#include <array>
#include <fstream>

namespace pw {

namespace {
bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// `root` is `folder` or lies below it.
bool IsAtOrBelow(std::string_view root, std::string_view folder) {
    if (!StartsWith(root, folder)) return false;
    return root.size() == folder.size() || folder.back() == '/' || root[folder.size()] == '/';
}

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> list) {
    for (auto item : list)
        if (value == item) return true;
    return false;
}

bool ReadFlag(const std::string& path) {
    std::ifstream in(path);
    char c = 0;
    return in.get(c) && c == '1';
}
} // namespace

int VolumeImageIndex(VolumeKind kind) {
    switch (kind) {
    case VolumeKind::Removable:
        return 0;
    case VolumeKind::Fixed:
        return 1;
    case VolumeKind::CdRom:
        return 2;
    case VolumeKind::Network:
        return 3;
    }
    return 1;
}

bool IsShownVolume(std::string_view fsType, std::string_view device, std::string_view root) {
    if (root == "/") return true;
    // Loop devices carry disk images (packages, snapshots), not volumes of the user's.
    if (StartsWith(device, "/dev/loop")) return false;
    if (IsOneOf(fsType,
                {"proc",        "sysfs",    "devtmpfs",   "devpts",     "tmpfs",     "ramfs",
                 "cgroup",      "cgroup2",  "securityfs", "debugfs",    "tracefs",   "pstore",
                 "bpf",         "mqueue",   "hugetlbfs",  "configfs",   "fusectl",   "autofs",
                 "binfmt_misc", "efivarfs", "nsfs",       "rpc_pipefs", "selinuxfs", "overlay",
                 "squashfs",    "rootfs",   "none"}))
        return false;
    if (IsAtOrBelow(root, "/run/media")) return true;
    for (std::string_view system : {"/proc", "/sys", "/dev", "/run"})
        if (IsAtOrBelow(root, system)) return false;
    return !root.empty();
}

VolumeKind ClassifyVolume(std::string_view fsType, std::string_view device, bool removableDevice) {
    if (IsOneOf(fsType,
                {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
                 "davfs", "fuse.sshfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs"}))
        return VolumeKind::Network;
    // "host:/export" (NFS) and "//host/share" (SMB) name a remote device.
    if (StartsWith(device, "//") ||
        (!StartsWith(device, "/") && device.find(":/") != std::string_view::npos))
        return VolumeKind::Network;
    if (IsOneOf(fsType, {"iso9660", "udf"}) || StartsWith(device, "/dev/sr") ||
        StartsWith(device, "/dev/cdrom"))
        return VolumeKind::CdRom;
    return removableDevice ? VolumeKind::Removable : VolumeKind::Fixed;
}

bool IsRemovableBlockDevice(std::string_view device) {
    if (!StartsWith(device, "/dev/")) return false;
    const std::string name(device.substr(5));
    if (name.empty() || name.find('/') != std::string::npos || name.find("..") != std::string::npos)
        return false;
    // A partition has no flag of its own; /sys/class/block/<part>/../removable is its disk's.
    const std::string base = "/sys/class/block/" + name;
    return ReadFlag(base + "/removable") || ReadFlag(base + "/../removable");
}

int VolumeIndexForPath(const std::vector<std::string>& roots, std::string_view path) {
    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < roots.size(); ++i) {
        const std::string& root = roots[i];
        if (root.empty() || !IsAtOrBelow(path, root)) continue;
        if (best < 0 || root.size() > bestLength) {
            best = int(i);
            bestLength = root.size();
        }
    }
    return best;
}

} // namespace pw
