// A full disk and a read-only folder, made real with a small tmpfs: every
// failed write is reported with the system's reason, the previous gallery
// stays whole, and picovand-cli ends with a non-zero status.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "gallery/BuildDriver.h"
#include "settings/Presets.h"
#include "util/Text.h"

using namespace pv;
namespace fs = std::filesystem;

namespace {

// Every file below root with its bytes.
std::map<std::string, std::string> filesOf(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) readWholeFile(e.path().string(), files[fs::relative(e.path(), root).string()]);
  return files;
}

struct FullDisk : ::testing::Test {
  pvtest::ScratchDir dir;
  std::string disk;
  bool mounted = false;

  void SetUp() override {
    PV_REQUIRE_PHOTOS();
    disk = dir.path() + "disk/";
    makeDirectories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
      GTEST_SKIP() << "a tmpfs cannot be mounted here (" << std::strerror(errno) << "): skipped; CI runs it as root";
    mounted = true;
  }
  void TearDown() override {
    if (mounted) ::umount2(disk.c_str(), MNT_DETACH);
  }

  BuildResult build(int photos, int quality = 80, const std::string& name = "Galerie") {
    AppState state(pvtest::scratchEnvironment(dir));
    ImagePageValues image;
    ProjectPageValues project;
    CreatePageValues create;
    loadPreset(state, 0, image, project);
    selectProjectType(state, 1001, image, project);
    image.sizes[1].width = 320, image.sizes[1].height = 240;
    image.quality = quality;
    const char* files[] = {"exif_canon_g9_imagedescription.jpg", "portrait_nikon_d70s.jpg",
                           "exif_kodak_dc210_comment.jpg", "orientation6_canon_sx60.jpg"};
    for (int i = 0; i < photos; ++i) state.items.addImage(pvtest::photo(files[i]), files[i], "/", {});
    create.projectFolder = disk;
    typeProjectName(create, name);
    CreateCommand cmd = prepareBuild(state, image, project, create);
    EXPECT_EQ(cmd.status, CreateStatus::Ready);
    return buildProject(state, cmd.outputFolder);
  }

  // Fills the disk up to pages pages of 4 KB: room for the build's record,
  // not for its pictures.
  void fill(int pages) {
    std::string block(64 * 1024, 'x');
    for (int i = 0; writeWholeFile(disk + format("fill%03d", i), block); ++i) {
    }
    int small = 0;
    while (writeWholeFile(disk + format("small%03d", small), "x")) ++small;
    for (int i = 0; i < pages && i < small; ++i) fs::remove(disk + format("small%03d", i));
  }
  void unfill() {
    for (const DirEntry& e : listDirectory(disk))
      if (startsWith(e.name, "fill") || startsWith(e.name, "small")) fs::remove(disk + e.name);
  }

  static bool saysWhy(const BuildResult& r, const char* reason) {
    for (const std::string& failure : r.failedWrites)
      if (failure.find(reason) == std::string::npos) return false;
    return !r.failedWrites.empty();
  }
};

}  // namespace

TEST_F(FullDisk, ARebuildOnAFullDiskFailsAndLeavesThePreviousGalleryWhole) {
  const std::string gallery = disk + "Galerie/";
  BuildResult r = build(2);
  ASSERT_TRUE(r.failedWrites.empty()) << r.failedWrites.front();
  const auto before = filesOf(gallery);

  fill(3);
  r = build(4);
  EXPECT_TRUE(saysWhy(r, "No space left on device")) << ::testing::PrintToString(r.failedWrites);
  EXPECT_FALSE(r.pagesWritten);
  EXPECT_EQ(filesOf(gallery), before) << "no page, no picture of the previous gallery changed";
  EXPECT_EQ(pvtest::brokenLinks(gallery), std::vector<std::string>{});

  // A new gallery on a disk without room even for its record.
  fill(0);
  r = build(2, 80, "Neu");
  EXPECT_TRUE(saysWhy(r, "No space left on device")) << ::testing::PrintToString(r.failedWrites);
  EXPECT_EQ(r.imagesConverted, 0);

  // With room again the same build succeeds, and nothing is left over.
  unfill();
  r = build(4);
  EXPECT_TRUE(r.failedWrites.empty()) << ::testing::PrintToString(r.failedWrites);
  EXPECT_EQ(r.imagesConverted, 2);
  EXPECT_EQ(pvtest::brokenLinks(gallery), std::vector<std::string>{});
}

TEST_F(FullDisk, ARebuildOnAReadOnlyDiskFailsWithTheSystemsReason) {
  const std::string gallery = disk + "Galerie/";
  ASSERT_TRUE(build(2).failedWrites.empty());
  const auto before = filesOf(gallery);
  ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=1m"), 0) << std::strerror(errno);
  const BuildResult r = build(2, 60);
  EXPECT_TRUE(saysWhy(r, "Read-only file system")) << ::testing::PrintToString(r.failedWrites);
  EXPECT_EQ(r.imagesConverted, 0);
  EXPECT_EQ(filesOf(gallery), before);

  // picovand-cli says so and fails.
  const std::string cli = executableFolder() + "picovand-cli";
  if (!fileExists(cli)) return;
  const std::string out = pvtest::run("HOME='" + dir.path() + "home' XDG_DATA_HOME= XDG_DOCUMENTS_DIR= '" + cli +
                                      "' build --preset 1001 --output '" + gallery + "' --quality 50 '" +
                                      pvtest::photo("portrait_nikon_d70s.jpg") + "' 2>&1; echo status $?");
  EXPECT_NE(out.find("Read-only file system"), std::string::npos) << out;
  EXPECT_NE(out.find("status 1"), std::string::npos) << out;
}
