// The lines of the drive box: one per mounted volume, the way a drive box
// lists drives on a system with drive letters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What the system tells about one mounted volume.
struct RawVolume {
  std::string MountPoint;      // "/", "/media/user/STICK", ...
  std::string FileSystemType;  // "ext4", "vfat", "nfs4", "iso9660", "tmpfs", ...
  std::string Source;          // the mounted device or network share
  std::string Label;           // the volume label, "" when none
  bool Removable = false;      // the device is removable media
};

struct VolumeLine {
  // The volume kinds the drive box has glyphs for.
  enum VolumeKind { Fixed, Removable, Network, Optical, RamDisk };

  std::string MountPoint;
  std::string Text;  // the line as shown
  VolumeKind Kind = Fixed;

  bool operator==(const VolumeLine&) const = default;
};

// True for the file systems that hold no user files (proc, sysfs, cgroups,
// ...) and for mount points below /proc, /sys, /dev and /run (except
// /run/media, where some systems mount removable media).
bool IsPseudoVolume(const RawVolume& volume);

// The kind of a volume: network file systems (nfs, cifs, sshfs, ...) are
// Network, iso9660 and udf Optical, tmpfs and ramfs RamDisk, removable media
// Removable, anything else Fixed.
VolumeLine::VolumeKind KindOfVolume(const RawVolume& volume);

// The drive box lines for the given volumes: pseudo volumes left out, one
// line per mount point (the last mount wins, as it hides the ones before
// it), the root "/" always present, ordered by mount point (bytes). Text:
// the mount point, then " [" + the lower-cased label + "]" for fixed,
// optical and RAM volumes, " " + the lower-cased source for network volumes
// (the bracketed label when the source is empty), nothing more for
// removable ones. Lower-casing touches ASCII letters only.
std::vector<VolumeLine> VolumeLines(const std::vector<RawVolume>& volumes);

// The mounted volumes as the system reports them (QStorageInfo, and the
// block device's "removable" flag in /sys).
std::vector<RawVolume> MountedVolumes();

// VolumeLines(MountedVolumes()).
std::vector<VolumeLine> ListVolumes();

// The index of the line whose mount point holds path (the longest mount
// point that is path or a parent of it); 0 (the root) when none does.
std::size_t VolumeIndexOf(const std::vector<VolumeLine>& lines, const std::string& path);
