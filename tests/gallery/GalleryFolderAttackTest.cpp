// A gallery folder can come from someone else (a zip, a tar, a copy from
// another machine): its links and its build record are written as an
// attacker would write them, and a canary tree outside the folder must stay
// byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "gallery/BuildDriver.h"
#include "gallery/BuildManifest.h"
#include "project/ProjectFile.h"
#include "settings/Presets.h"
#include "util/Json.h"
#include "util/Text.h"

using namespace pv;
namespace fs = std::filesystem;

namespace {

// Every entry below root, links not followed: files by their hash, links
// by their target, folders as such.
std::map<std::string, std::string> treeHashes(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string path = fs::relative(e.path(), root).string();
    if (e.is_symlink())
      tree[path] = "link to " + fs::read_symlink(e.path()).string();
    else if (e.is_directory())
      tree[path] = "(folder)";
    else
      tree[path] = sha256OfFile(e.path().string());
  }
  return tree;
}

struct GalleryAttack : ::testing::Test {
  pvtest::ScratchDir dir;
  std::map<std::string, std::string> canary;

  void SetUp() override {
    PV_REQUIRE_PHOTOS();
    makeDirectories(dir.path() + "projects");
    // The canary: files somewhere else on the disk that a gallery's links may name.
    dir.write("outside/keep.txt", "my thesis");
    dir.write("outside/deep/notes.txt", "my notes");
    canary = treeHashes(dir.path() + "outside");
  }

  std::string gallery() const { return dir.path() + "projects/Galerie/"; }
  std::string keyFolder() const { return dir.path() + "home/.local/share/Corvane/Pico Vand/"; }

  BuildResult build(BuildMode mode = BuildMode::Reuse, int photos = 2) {
    AppState state(pvtest::scratchEnvironment(dir));
    ImagePageValues image;
    ProjectPageValues project;
    CreatePageValues create;
    loadPreset(state, 0, image, project);
    selectProjectType(state, 1001, image, project);
    const char* files[] = {"exif_canon_g9_imagedescription.jpg", "portrait_nikon_d70s.jpg", "exif_kodak_dc210_comment.jpg"};
    for (int i = 0; i < photos; ++i) {
      CollectionItem* item = state.items.addImage(pvtest::photo(files[i]), files[i], "/", {});
      if (item) item->caption = "Geheimer Ort " + std::to_string(i);
    }
    create.projectFolder = dir.path() + "projects/";
    typeProjectName(create, "Galerie");
    CreateCommand cmd = prepareBuild(state, image, project, create);
    EXPECT_EQ(cmd.status, CreateStatus::Ready);
    return buildProject(state, cmd.outputFolder, {}, mode);
  }

  // Links from the gallery to the canary: a folder and a picture of the record.
  void plantLinks() {
    fs::create_symlink(dir.path() + "outside", gallery() + "images/old");
    fs::create_symlink(dir.path() + "outside/keep.txt", gallery() + "images/pcva00009.jpg");
  }

  // Entries that name the canary through the links: with an empty hash, and
  // with the hashes the files really have.
  static void nameTheCanary(BuildManifest& record, const std::string& outside) {
    record.files["images/old/keep.txt"] = {{"images/old/keep.txt", 9, ""}};
    record.files["images/old/deep/notes.txt"] = {{"images/old/deep/notes.txt", 8, sha256OfFile(outside + "deep/notes.txt")}};
    record.files["images/pcva00009.jpg"] = {{"images/pcva00009.jpg", 9, sha256OfFile(outside + "keep.txt")}};
  }
};

}  // namespace

TEST_F(GalleryAttack, ARecordFromElsewhereGrantsNothing) {
  ASSERT_TRUE(build().ran);
  plantLinks();
  // The record as another machine wrote it: its own seal, or none.
  std::optional<BuildManifest> record = readManifest(gallery(), recordSecret(keyFolder(), false));
  ASSERT_TRUE(record.has_value());
  nameTheCanary(*record, dir.path() + "outside/");
  auto plantRecord = [&](BuildMode mode) {
    // Sealed with another user's secret, or not sealed at all.
    ASSERT_TRUE(writeManifest(gallery(), *record, std::string(64, 'f')));
    if (mode == BuildMode::Reuse) return;
    std::string text;
    ASSERT_TRUE(readWholeFile(gallery() + kManifestName, text));
    nlohmann::json unsealed = nlohmann::json::parse(text);
    unsealed.erase("seal");
    writeWholeFile(gallery() + kManifestName, unsealed.dump());
  };
  for (const BuildMode mode : {BuildMode::Reuse, BuildMode::Full}) {
    plantRecord(mode);
    EXPECT_TRUE(holdsOtherFiles(gallery(), keyFolder())) << "the window asks, picovand-cli wants --overwrite";
    const BuildResult r = build(mode, 1);
    EXPECT_EQ(r.imagesReused, 0) << "nothing of a foreign record is believed";
    EXPECT_EQ(treeHashes(dir.path() + "outside"), canary);
    EXPECT_TRUE(fs::is_symlink(gallery() + "images/old"));
    EXPECT_TRUE(fs::is_symlink(gallery() + "images/pcva00009.jpg"));
  }
  // Once this user's build has written the folder, it is theirs again.
  EXPECT_FALSE(holdsOtherFiles(gallery(), keyFolder()));
}

TEST_F(GalleryAttack, EvenARecordOfOursLeadsThroughNoLink) {
  ASSERT_TRUE(build().ran);
  plantLinks();
  // Sealed with this user's secret, as if an earlier build had named them.
  const std::string secret = recordSecret(keyFolder(), false);
  ASSERT_FALSE(secret.empty());
  std::optional<BuildManifest> record = readManifest(gallery(), secret);
  ASSERT_TRUE(record.has_value());
  nameTheCanary(*record, dir.path() + "outside/");
  ASSERT_TRUE(writeManifest(gallery(), *record, secret));
  const BuildResult r = build(BuildMode::Reuse, 1);
  EXPECT_TRUE(r.linkInTheWay.empty()) << r.linkInTheWay;
  EXPECT_EQ(r.imagesReused, 1);
  EXPECT_EQ(treeHashes(dir.path() + "outside"), canary);
  EXPECT_TRUE(fs::is_symlink(gallery() + "images/old"));
  // The second image's files, named by a record of ours and unchanged, are gone.
  EXPECT_FALSE(fileExists(gallery() + "images/pcva00001.jpg"));
}

TEST_F(GalleryAttack, ALinkWhereTheBuildWritesStopsItBeforeAnyWrite) {
  ASSERT_TRUE(build().ran);
  // The image folder itself a link to the canary.
  fs::rename(gallery() + "images", dir.path() + "images-aside");
  fs::create_symlink(dir.path() + "outside", gallery() + "images");
  for (const BuildMode mode : {BuildMode::Reuse, BuildMode::Full}) {
    const BuildResult r = build(mode, 3);
    EXPECT_EQ(r.linkInTheWay, "images");
    EXPECT_EQ(r.imagesConverted, 0);
    EXPECT_EQ(treeHashes(dir.path() + "outside"), canary);
  }
  // A picture's own file a link: the build does not write through it either.
  fs::remove(gallery() + "images");
  fs::rename(dir.path() + "images-aside", gallery() + "images");
  fs::remove(gallery() + "images/pcvb00000.jpg");
  fs::create_symlink(dir.path() + "outside/keep.txt", gallery() + "images/pcvb00000.jpg");
  EXPECT_EQ(build(BuildMode::Full).linkInTheWay, "images/pcvb00000.jpg");
  EXPECT_EQ(treeHashes(dir.path() + "outside"), canary);
}

TEST_F(GalleryAttack, ARecordNestedDeepOrHugeIsNoRecord) {
  ASSERT_TRUE(build().ran);
  // Nested 200 000 deep: once a stack overflow in every later build.
  writeWholeFile(gallery() + kManifestName, std::string(200000, '[') + std::string(200000, ']'));
  EXPECT_TRUE(holdsOtherFiles(gallery(), keyFolder()));
  for (const BuildMode mode : {BuildMode::Reuse, BuildMode::Full}) {
    const BuildResult r = build(mode);
    EXPECT_EQ(r.imagesConverted, 2);
    writeWholeFile(gallery() + kManifestName, "{\"files\": " + std::string(100000, '{') + "}");
  }

  // A project file the same: refused with a message, nothing crashes.
  AppState state(pvtest::scratchEnvironment(dir));
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;
  const std::string deep = dir.write("tief.pvproj", "{\"format\": 1, \"albums\": " + std::string(200000, '[') +
                                                       std::string(200000, ']') + "}");
  ProjectResult opened = openProject(deep, state, {image, project, create});
  EXPECT_FALSE(opened.ok);
  EXPECT_NE(opened.message.find("beschädigt"), std::string::npos) << opened.message;
  opened = openProject("/dev/zero", state, {image, project, create});
  EXPECT_FALSE(opened.ok);
  EXPECT_NE(opened.message.find("is not a regular file"), std::string::npos) << opened.message;
}

TEST_F(GalleryAttack, TheServedFolderNamesNothingOutsideIt) {
  ASSERT_TRUE(build().ran);
  std::string text;
  ASSERT_TRUE(readWholeFile(gallery() + kManifestName, text));
  for (const std::string& secret : {dir.path(), pvtest::photosFolder(), std::string("Geheimer Ort"),
                                    std::string("exif_canon_g9"), std::string("portrait_nikon")})
    EXPECT_EQ(text.find(secret), std::string::npos) << secret;
  // And still only what changed is made again.
  EXPECT_EQ(build().imagesReused, 2);
  EXPECT_EQ(build(BuildMode::Reuse, 3).imagesConverted, 1);
}
