// picovand-cli upload as a user runs it, on a gallery that picovand-cli
// built from the shared test photos.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "Servers.h"
#include "publish/Manifest.h"
#include "util/Text.h"

using namespace pv;
using namespace pvtest;

namespace {

struct CliRun {
  int status = -1;
  std::string output;
};

std::string shellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct CliUpload : ::testing::Test {
  FtpServer server;
  ScratchDir dir;
  std::string cli = executableFolder() + "picovand-cli";

  void SetUp() override {
    PV_REQUIRE_PHOTOS();
    if (!server.skipReason.empty()) GTEST_SKIP() << server.skipReason;
    if (!fileExists(cli)) GTEST_SKIP() << "picovand-cli is not built beside the tests";
    makeDirectories(dir.path() + "projects");
    makeDirectories(dir.path() + "photos");
  }
  CliRun cliRun(const std::vector<std::string>& args, const std::string& password) {
    // The password goes by the environment, as a user gives it, not on a
    // command line; home and data folders are the scratch folder's.
    setenv("PICOVAND_PASSWORD", password.c_str(), 1);
    std::string cmd = "HOME=" + shellQuoted(dir.path() + "home") + " XDG_DATA_HOME= " + shellQuoted(cli);
    for (const std::string& a : args) cmd += " " + shellQuoted(a);
    CliRun r;
    // The exit status rides on the last line of the output.
    r.output = run(cmd + " 2>&1 </dev/null; echo \"exit=$?\"");
    const size_t at = r.output.rfind("exit=");
    if (at != std::string::npos) {
      r.status = std::atoi(r.output.c_str() + at + 5);
      r.output.erase(at);
    }
    unsetenv("PICOVAND_PASSWORD");
    return r;
  }
  // FTP with TLS where only the login matters; plain FTP for the transfers,
  // as Debian's vsftpd now and then refuses a TLS data connection (426) and
  // the retries after it would only make the test slow.
  std::string address(const char* scheme = "ftp") const {
    return format("%s://%s@127.0.0.1:%d/galerie", scheme, kTestAccount, server.port);
  }
  std::string gallery() const { return dir.path() + "projects/Reise"; }
  CliRun build() {
    return cliRun({"build", "--preset", "1001", "--output", gallery(), "--overwrite", dir.path() + "photos/1.jpg",
                   dir.path() + "photos/2.jpg", dir.path() + "photos/3.jpg"},
                  "");
  }
  Manifest scan() { return scanGallery(gallery()).files; }
};

TEST_F(CliUpload, RebuildAfterOneChangedPhotoSendsOnlyItsImagesAndPages) {
  copyFileReplacing(photo("exif_nikon_d300_progressive.jpeg"), dir.path() + "photos/1.jpg");
  copyFileReplacing(photo("exif_nokia_n70_iptc_keywords.jpg"), dir.path() + "photos/2.jpg");
  copyFileReplacing(photo("iptc_caption_nikon_d1x_reagan.jpg"), dir.path() + "photos/3.jpg");
  ASSERT_EQ(build().status, 0);
  const std::vector<std::string> upload = {"upload", gallery(), "--to", address()};
  CliRun first = cliRun(upload, server.password);
  ASSERT_EQ(first.status, 0) << first.output;
  EXPECT_NE(first.output.find("holds the gallery"), std::string::npos) << first.output;
  EXPECT_EQ(first.output.find(server.password), std::string::npos);

  // Another picture under the second name (image number 1), then the same build again.
  const Manifest before = scan();
  copyFileReplacing(photo("exif_kodak_dc210_comment.jpg"), dir.path() + "photos/2.jpg");
  ASSERT_EQ(build().status, 0);
  const Manifest after = scan();
  std::set<std::string> changed;
  for (const auto& [path, e] : after)
    if (!before.count(path) || before.at(path).sha256 != e.sha256) changed.insert(path);
  ASSERT_FALSE(changed.empty());
  for (const std::string& path : changed)
    EXPECT_TRUE(endsWith(path, ".htm") || path.find("00001.") != std::string::npos) << path << " changed as well";

  std::vector<std::string> dry = upload;
  dry.push_back("--dry-run");
  CliRun plan = cliRun(dry, server.password);
  ASSERT_EQ(plan.status, 0) << plan.output;
  std::set<std::string> planned;
  for (size_t at = plan.output.find("send    "); at != std::string::npos; at = plan.output.find("send    ", at + 1)) {
    const std::string line = plan.output.substr(at + 8, plan.output.find('\n', at) - at - 8);
    planned.insert(line.substr(0, line.rfind(" (")));
  }
  EXPECT_EQ(planned, changed) << plan.output;

  // For a script: quiet, and the one JSON object as python3 reads it, with
  // the bytes of the changed files as the system counts them.
  std::vector<std::string> scripted = upload;
  scripted.insert(scripted.end(), {"-q", "--json"});
  CliRun second = cliRun(scripted, server.password);
  ASSERT_EQ(second.status, 0) << second.output;
  std::uint64_t bytes = 0;
  for (const std::string& path : changed) bytes += std::filesystem::file_size(gallery() + "/" + path);
  const std::string summary = dir.path() + "summary.json";
  writeWholeFile(summary, second.output);
  EXPECT_EQ(run("python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); "
                "print(d[\"command\"], d[\"result\"], d[\"sent\"], d[\"removed\"], d[\"bytes\"], d[\"notSent\"])' " +
                shellQuoted(summary) + " 2>&1"),
            format("upload success %zu 0 %llu []\n", changed.size(), static_cast<unsigned long long>(bytes)));
  const std::string remoteSum = run("cd '" + server.root + "galerie' && sha256sum " + changed.begin()->c_str());
  EXPECT_EQ(remoteSum.substr(0, 64), after.at(*changed.begin()).sha256);
}

// The files below folder, relative to it, but the records.
std::set<std::string> filesBelow(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (e.is_regular_file() && name != ".picovand-build.json" && name != ".picovand-upload.json")
      files.insert(std::filesystem::relative(e.path(), folder).string());
  }
  return files;
}

TEST_F(CliUpload, HighResolutionWebpPicturesReplaceTheJpegsOnTheServer) {
  copyFileReplacing(photo("exif_canon_g9_imagedescription.jpg"), dir.path() + "photos/1.jpg");
  copyFileReplacing(photo("portrait_nikon_d70s.jpg"), dir.path() + "photos/2.jpg");
  copyFileReplacing(photo("exif_nikon_d300_progressive.jpeg"), dir.path() + "photos/3.jpg");
  ASSERT_EQ(build().status, 0);
  const std::vector<std::string> upload = {"upload", gallery(), "--to", address()};
  ASSERT_EQ(cliRun(upload, server.password).status, 0);

  CliRun rebuilt = cliRun({"build", "--preset", "1001", "--force", "--hidpi", "--format", "webp", "--output",
                           gallery(), dir.path() + "photos/1.jpg", dir.path() + "photos/2.jpg",
                           dir.path() + "photos/3.jpg"},
                          "");
  ASSERT_EQ(rebuilt.status, 0) << rebuilt.output;
  std::set<std::string> pictures, twins;
  for (const std::string& path : filesBelow(gallery())) {
    if (endsWith(path, ".webp")) pictures.insert(path);
    if (endsWith(path, "-2x.webp")) twins.insert(path);
  }
  EXPECT_EQ(twins.size(), 4u);  // both sizes of the two large photos

  std::vector<std::string> dry = upload;
  dry.push_back("--dry-run");
  const CliRun plan = cliRun(dry, server.password);
  ASSERT_EQ(plan.status, 0) << plan.output;
  for (const std::string& path : pictures) EXPECT_NE(plan.output.find("send    " + path + " ("), std::string::npos) << path;
  EXPECT_NE(plan.output.find("remove  images/pcvb00002.jpg"), std::string::npos) << plan.output;

  const CliRun sent = cliRun(upload, server.password);
  ASSERT_EQ(sent.status, 0) << sent.output;
  EXPECT_EQ(filesBelow(server.root + "galerie"), filesBelow(gallery()));
  const std::string twin = *twins.begin();
  EXPECT_EQ(run("cmp '" + server.root + "galerie/" + twin + "' '" + gallery() + "/" + twin + "' && echo same"), "same\n");
}

TEST_F(CliUpload, AGalleryBuiltFromAnAlbumWhoseNameIsNotUtf8IsSentOnce) {
  const std::string album = dir.path() + "photos/Gr\xE4\xDF" "e/";  // Windows-1252, from another system
  makeDirectories(album);
  copyFileReplacing(photo("exif_nikon_d300_progressive.jpeg"), album + "1.jpg");
  ASSERT_EQ(cliRun({"build", "--preset", "1001", "--output", gallery(), "--import", dir.path() + "photos",
                    "--recursive", "--albums"},
                   "")
                .status,
            0);
  bool inAlbum = false;
  for (const auto& [path, e] : scan()) inAlbum = inAlbum || path.find("Gr\xE4\xDF" "e/") != std::string::npos;
  ASSERT_TRUE(inAlbum) << "the album's folder keeps its bytes";
  const std::vector<std::string> upload = {"upload", gallery(), "--to", address()};
  CliRun first = cliRun(upload, server.password);
  ASSERT_EQ(first.status, 0) << first.output;
  CliRun second = cliRun(upload, server.password);
  ASSERT_EQ(second.status, 0) << second.output;
  EXPECT_NE(second.output.find("0 files sent"), std::string::npos) << second.output;
}

// A gallery built with its start page as index.html meets somebody's
// index.html on the server: refused with a message until --overwrite.
TEST_F(CliUpload, AForeignIndexHtmlOnTheServerIsReplacedOnlyWithOverwrite) {
  copyFileReplacing(photo("exif_nikon_d300_progressive.jpeg"), dir.path() + "photos/1.jpg");
  CliRun built = cliRun({"build", "--preset", "1001", "--output", gallery(), "--index-html", dir.path() + "photos/1.jpg"}, "");
  ASSERT_EQ(built.status, 0) << built.output;
  std::string start, index;
  ASSERT_TRUE(readWholeFile(gallery() + "/pcv00000.htm", start) && readWholeFile(gallery() + "/index.html", index));
  EXPECT_EQ(index, start);

  const std::string remote = server.root + "galerie/";
  makeDirectories(remote);
  writeWholeFile(remote + "index.html", "meine Homepage");
  run("chown -R " + std::string(kTestAccount) + " '" + remote + "'");
  const std::vector<std::string> upload = {"upload", gallery(), "--to", address()};
  CliRun refused = cliRun(upload, server.password);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("index.html"), std::string::npos) << refused.output;
  EXPECT_NE(refused.output.find("--overwrite"), std::string::npos) << refused.output;
  std::string there;
  EXPECT_TRUE(readWholeFile(remote + "index.html", there) && there == "meine Homepage");
  EXPECT_FALSE(fileExists(remote + "pcv00000.htm"));  // nothing was sent

  std::vector<std::string> overwrite = upload;
  overwrite.push_back("--overwrite");
  CliRun replaced = cliRun(overwrite, server.password);
  ASSERT_EQ(replaced.status, 0) << replaced.output;
  EXPECT_TRUE(readWholeFile(remote + "index.html", there) && there == start);
}

TEST_F(CliUpload, BadAddressOrPasswordEndsWithAMessageAndItsStatus) {
  makeDirectories(gallery());
  writeWholeFile(gallery() + "/seite00000.htm", "<html></html>");
  CliRun noScheme = cliRun({"upload", gallery(), "--to", "example.org/www"}, "");
  EXPECT_EQ(noScheme.status, 2);
  EXPECT_NE(noScheme.output.find("ftp://, ftps:// or sftp://"), std::string::npos) << noScheme.output;
  EXPECT_EQ(cliRun({"upload", gallery()}, "").status, 2);
  EXPECT_EQ(cliRun({"upload", dir.path() + "nothing", "--to", address()}, "").status, 2);

  CliRun wrong = cliRun({"upload", gallery(), "--to", address("ftps"), "--ca-file", server.caFile()}, "falsch");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.output.find("refused the login"), std::string::npos) << wrong.output;
}

}  // namespace
