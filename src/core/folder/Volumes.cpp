#include "core/folder/Volumes.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QString>
#include <algorithm>
#include <map>
#include <string_view>

#include "core/platform/LocalText.h"
#include "core/platform/Text.h"

namespace {

bool IsUnder(std::string_view path, std::string_view folder) {
  if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> list) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// True when the block device behind /dev/<name> is removable media, as the
// kernel reports it for the disk (a partition asks its disk).
bool IsRemovableDevice(const std::string& source) {
  constexpr std::string_view devPrefix = "/dev/";
  if (source.compare(0, devPrefix.size(), devPrefix) != 0) return false;
  const QString device = QString::fromLocal8Bit(source.substr(devPrefix.size()).c_str());
  QString sysPath = QFileInfo(QStringLiteral("/sys/class/block/") + device).canonicalFilePath();
  if (sysPath.isEmpty()) return false;
  if (QFile::exists(sysPath + QStringLiteral("/partition"))) sysPath = QFileInfo(sysPath).path();
  QFile flag(sysPath + QStringLiteral("/removable"));
  if (!flag.open(QIODevice::ReadOnly)) return false;
  return flag.readAll().trimmed() == "1";
}

}  // namespace

bool IsPseudoVolume(const RawVolume& volume) {
  if (IsOneOf(volume.FileSystemType,
              {"proc",      "sysfs",       "devtmpfs",       "devpts",     "cgroup",
               "cgroup2",   "securityfs",  "debugfs",        "tracefs",    "pstore",
               "bpf",       "mqueue",      "hugetlbfs",      "fusectl",    "configfs",
               "autofs",    "binfmt_misc", "nsfs",           "rpc_pipefs", "efivarfs",
               "selinuxfs", "rootfs",      "fuse.gvfsd-fuse"}))
    return true;
  const std::string& mount = volume.MountPoint;
  if (IsUnder(mount, "/proc") || IsUnder(mount, "/sys") || IsUnder(mount, "/dev")) return true;
  return IsUnder(mount, "/run") && !IsUnder(mount, "/run/media");
}

VolumeLine::VolumeKind KindOfVolume(const RawVolume& volume) {
  const std::string type = LowerAscii(volume.FileSystemType);
  if (IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph",
                     "glusterfs", "fuse.sshfs", "fuse.davfs", "davfs", "fuse.rclone",
                     "fuse.glusterfs", "fuse.cephfs"}))
    return VolumeLine::Network;
  if (IsOneOf(type, {"iso9660", "udf"})) return VolumeLine::Optical;
  if (IsOneOf(type, {"tmpfs", "ramfs"})) return VolumeLine::RamDisk;
  if (volume.Removable) return VolumeLine::Removable;
  return VolumeLine::Fixed;
}

std::vector<VolumeLine> VolumeLines(const std::vector<RawVolume>& volumes) {
  // By mount point, in byte order; a later mount of the same point replaces
  // the earlier one.
  std::map<std::string, const RawVolume*> byMountPoint;
  for (const auto& volume : volumes)
    if (!volume.MountPoint.empty() && !IsPseudoVolume(volume))
      byMountPoint[volume.MountPoint] = &volume;

  std::vector<VolumeLine> lines;
  lines.reserve(byMountPoint.size() + 1);
  if (!byMountPoint.count("/")) lines.push_back({"/", "/ []", VolumeLine::Fixed});
  for (const auto& [mountPoint, volume] : byMountPoint) {
    VolumeLine line{mountPoint, mountPoint, KindOfVolume(*volume)};
    const bool showSource = line.Kind == VolumeLine::Network && !volume->Source.empty();
    if (showSource) {
      line.Text += ' ';
      line.Text += LowerAscii(volume->Source);
    } else if (line.Kind != VolumeLine::Removable) {
      line.Text += " [";
      line.Text += LowerAscii(volume->Label);
      line.Text += ']';
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<RawVolume> MountedVolumes() {
  std::vector<RawVolume> volumes;
  for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
    RawVolume volume;
    volume.MountPoint = ToLocal(info.rootPath());
    volume.FileSystemType = ToLocal(QString::fromLatin1(info.fileSystemType()));
    volume.Source = ToLocal(QString::fromLocal8Bit(info.device()));
    volume.Label = ToLocal(info.name());
    volume.Removable = IsRemovableDevice(volume.Source);
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

std::vector<VolumeLine> ListVolumes() {
  return VolumeLines(MountedVolumes());
}

std::size_t VolumeIndexOf(const std::vector<VolumeLine>& lines, const std::string& path) {
  std::size_t best = 0, bestLength = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& mount = lines[i].MountPoint;
    if (IsUnder(path, mount) && mount.size() > bestLength) {
      best = i;
      bestLength = mount.size();
    }
  }
  return best;
}
