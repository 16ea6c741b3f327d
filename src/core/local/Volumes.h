#pragma once
// The volume chooser's logic beyond what the platform lists: which mounted file systems are
// shown, the kind of each (for its picture), and which volume holds a path.
#include <string>
#include <string_view>
#include <vector>

namespace pw {

enum class VolumeKind { Removable, Fixed, CdRom, Network };

// The picture of a kind in the drive images: 0 removable, 1 fixed, 2 CD-ROM, 3 network.
int VolumeImageIndex(VolumeKind kind);

// Whether a mount is a real volume to offer: "/" always; not pseudo file systems (proc,
// sysfs, cgroup, devpts, tmpfs, ...), loop devices (disk images) nor mounts below /proc,
// /sys, /dev or /run (except /run/media, where removable media appear).
bool IsShownVolume(std::string_view fsType, std::string_view device, std::string_view root);

// The kind of a mount from its file-system type ("ext4", "nfs4", "iso9660", "fuse.sshfs"),
// its device ("/dev/sdb1", "host:/export", "//host/share") and whether its block device is
// removable: network file systems and remote devices are Network, optical ones (iso9660,
// udf, /dev/sr*) CdRom, removable devices Removable, the rest Fixed.
VolumeKind ClassifyVolume(std::string_view fsType, std::string_view device, bool removableDevice);

// Reads the removable flag of a block device ("/dev/sdb1": its disk sdb) from /sys; false
// when the device is no block device or the flag cannot be read.
bool IsRemovableBlockDevice(std::string_view device);

// The index of the volume in `roots` that holds `path`: the longest root that is `path` or a
// folder above it, compared by whole path components; -1 when none does (an empty path).
int VolumeIndexForPath(const std::vector<std::string>& roots, std::string_view path);

} // namespace pw
