#include "core/folder/Volumes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<VolumeLine>;

RawVolume Volume(std::string mountPoint, std::string type, std::string source, std::string label,
                 bool removable = false) {
  return RawVolume{std::move(mountPoint), std::move(type), std::move(source), std::move(label),
                   removable};
}

struct KindCase {
  const char* Name;
  RawVolume Raw;
  VolumeLine Expected;
};

class VolumeListingTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(VolumeListingTest, LineForVolume) {
  const KindCase& c = GetParam();
  const Lines lines = VolumeLines({Volume("/", "ext4", "/dev/sda1", "System"), c.Raw});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, VolumeListingTest,
    ::testing::Values(
        KindCase{"Fixed",
                 Volume("/data", "ext4", "/dev/sdb1", "Data DISK"),
                 {"/data", "/data [data disk]", VolumeLine::Fixed}},
        KindCase{"FixedWithoutLabel",
                 Volume("/data", "xfs", "/dev/sdb1", ""),
                 {"/data", "/data []", VolumeLine::Fixed}},
        KindCase{"Removable",
                 Volume("/media/me/STICK", "vfat", "/dev/sdc1", "STICK", true),
                 {"/media/me/STICK", "/media/me/STICK", VolumeLine::Removable}},
        KindCase{"Optical",
                 Volume("/media/cdrom", "iso9660", "/dev/sr0", "HOLIDAY_2024", true),
                 {"/media/cdrom", "/media/cdrom [holiday_2024]", VolumeLine::Optical}},
        KindCase{"Udf",
                 Volume("/media/dvd", "udf", "/dev/sr0", "DVD"),
                 {"/media/dvd", "/media/dvd [dvd]", VolumeLine::Optical}},
        KindCase{"Nfs",
                 Volume("/mnt/photos", "nfs4", "NAS:/Export/Photos", ""),
                 {"/mnt/photos", "/mnt/photos nas:/export/photos", VolumeLine::Network}},
        KindCase{"Cifs",
                 Volume("/mnt/share", "cifs", "//Server/Share", "x"),
                 {"/mnt/share", "/mnt/share //server/share", VolumeLine::Network}},
        KindCase{"NetworkWithoutSource",
                 Volume("/mnt/n", "fuse.sshfs", "", "Remote"),
                 {"/mnt/n", "/mnt/n [remote]", VolumeLine::Network}},
        KindCase{"RamDisk",
                 Volume("/tmp", "tmpfs", "tmpfs", ""),
                 {"/tmp", "/tmp []", VolumeLine::RamDisk}},
        KindCase{"LabelLowerCasedAsciiOnly",
                 Volume("/d", "ext4", "/dev/x", "\xC3\x89T\xC3\x89"),
                 {"/d", "/d [\xC3\x89t\xC3\x89]", VolumeLine::Fixed}}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.Name); });

TEST(VolumeListing, PseudoVolumesLeftOutRootAlwaysInSortedByMountPoint) {
  const Lines lines = VolumeLines({
      Volume("/proc", "proc", "proc", ""),
      Volume("/sys/fs/cgroup", "cgroup2", "cgroup2", ""),
      Volume("/dev/shm", "tmpfs", "tmpfs", ""),
      Volume("/run/user/1000", "tmpfs", "tmpfs", ""),
      Volume("/run/media/me/CARD", "exfat", "/dev/mmcblk0p1", "CARD", true),
      Volume("/media/me/B", "vfat", "/dev/sdc1", "B", true),
      Volume("/home", "ext4", "/dev/sda2", "home"),
      Volume("/boot/efi", "vfat", "/dev/sda1", ""),
  });
  Lines expected = {
      {"/", "/ []", VolumeLine::Fixed},
      {"/boot/efi", "/boot/efi []", VolumeLine::Fixed},
      {"/home", "/home [home]", VolumeLine::Fixed},
      {"/media/me/B", "/media/me/B", VolumeLine::Removable},
      {"/run/media/me/CARD", "/run/media/me/CARD", VolumeLine::Removable},
  };
  EXPECT_EQ(lines, expected);
}

TEST(VolumeListing, LaterMountOfSamePointWins) {
  const Lines lines =
      VolumeLines({Volume("/", "rootfs", "rootfs", ""), Volume("/", "ext4", "/dev/sda1", "Old"),
                   Volume("/", "overlay", "overlay", "")});
  EXPECT_EQ(lines, (Lines{{"/", "/ []", VolumeLine::Fixed}}));
}

TEST(VolumeListing, NoVolumesGivesRoot) {
  EXPECT_EQ(VolumeLines({}), (Lines{{"/", "/ []", VolumeLine::Fixed}}));
}

TEST(VolumeListing, PseudoVolumeRules) {
  EXPECT_TRUE(IsPseudoVolume(Volume("/proc", "proc", "", "")));
  EXPECT_TRUE(IsPseudoVolume(Volume("/anything", "cgroup2", "", "")));
  EXPECT_TRUE(IsPseudoVolume(Volume("/run", "tmpfs", "", "")));
  EXPECT_TRUE(IsPseudoVolume(Volume("/dev", "devtmpfs", "", "")));
  EXPECT_FALSE(IsPseudoVolume(Volume("/runner", "ext4", "", "")));
  EXPECT_FALSE(IsPseudoVolume(Volume("/devel", "ext4", "", "")));
  EXPECT_FALSE(IsPseudoVolume(Volume("/run/media/me/X", "vfat", "", "")));
  EXPECT_FALSE(IsPseudoVolume(Volume("/", "overlay", "", "")));
}

TEST(VolumeListing, VolumeOfPath) {
  const Lines lines =
      VolumeLines({Volume("/", "ext4", "/dev/sda1", ""), Volume("/home", "ext4", "/dev/sda2", ""),
                   Volume("/home/me/nas", "nfs", "nas:/x", "")});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(VolumeIndexOf(lines, "/"), 0u);
  EXPECT_EQ(VolumeIndexOf(lines, "/usr/share"), 0u);
  EXPECT_EQ(VolumeIndexOf(lines, "/home"), 1u);
  EXPECT_EQ(VolumeIndexOf(lines, "/homestead"), 0u);
  EXPECT_EQ(VolumeIndexOf(lines, "/home/me/pics"), 1u);
  EXPECT_EQ(VolumeIndexOf(lines, "/home/me/nas/2024"), 2u);
}

TEST(VolumeListing, MountedVolumesOfThisSystem) {
  const Lines lines = ListVolumes();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().MountPoint, "/");
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
    return a.MountPoint < b.MountPoint;
  }));
  for (const auto& line : lines) {
    EXPECT_EQ(line.Text.compare(0, line.MountPoint.size(), line.MountPoint), 0) << line.Text;
    EXPECT_NE(line.MountPoint.rfind("/proc", 0), 0u) << line.MountPoint;
    EXPECT_NE(line.MountPoint.rfind("/sys", 0), 0u) << line.MountPoint;
  }
}

}  // namespace
