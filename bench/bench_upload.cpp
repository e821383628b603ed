// Uploading a 500-file gallery (with the build's record beside it, whose
// checksums the upload takes) to vsftpd on 127.0.0.1 against
// `lftp -e "mirror -R"` to the same server, then a re-upload after one
// changed picture with both. A re-upload cannot be faster than one login,
// which is the server's work; the server's own login time is measured too
// (connect and log in only). Needs root (the server's throwaway
// account), vsftpd and lftp.
//   bench_upload [rounds]     default 3; of the rounds each tool's fastest counts
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "Servers.h"
#include "gallery/BuildManifest.h"
#include "publish/Upload.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// 200 pictures, 200 thumbnails, 100 pages: the shape of a web album.
void writeGallery(const pvtest::ScratchDir& dir, const std::string& name, const std::string& keyFolder) {
  std::mt19937 random(7);
  auto bytes = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = char(random());
    return s;
  };
  for (int i = 0; i < 200; ++i) {
    dir.write(pv::format("%s/images/pcvb%05d.jpg", name.c_str(), i), bytes(150000 + size_t(i) * 300));
    dir.write(pv::format("%s/images/pcva%05d.jpg", name.c_str(), i), bytes(12000));
  }
  for (int i = 0; i < 100; ++i) dir.write(pv::format("%s/seite%05d.htm", name.c_str(), i), bytes(4000));
  // The record a build leaves beside its gallery, with every file's checksum.
  pv::BuildManifest record{"bench", {}};
  for (const pv::DirEntry& folder : {pv::DirEntry{"images/", true}, pv::DirEntry{"", true}})
    for (const pv::DirEntry& e : pv::listDirectory(dir.path() + name + "/" + folder.name))
      if (!e.isDirectory) record.files[folder.name + e.name] = {*pv::describeFile(dir.path() + name, folder.name + e.name)};
  pv::writeManifest(dir.path() + name, record, pv::recordSecret(keyFolder, true));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (!pv::fileExists("/usr/bin/lftp")) {
    std::fprintf(stderr, "lftp is not installed (scripts/setup --bench installs it)\n");
    return 1;
  }
  pvtest::FtpServer server;
  if (!server.skipReason.empty()) {
    std::fprintf(stderr, "%s\n", server.skipReason.c_str());
    return 1;
  }
  pvtest::ScratchDir local;
  pv::UploadOptions options;
  options.recordFolder = local.path() + "data/";  // as picovand-cli keeps it
  writeGallery(local, "galerie", options.recordFolder);
  const std::string gallery = local.path() + "galerie";

  pv::UploadTarget target;
  target.protocol = pv::UploadProtocol::Ftp;
  target.host = "127.0.0.1";
  target.port = server.port;
  target.user = pvtest::kTestAccount;
  target.password = server.password;

  // lftp reads the password from a pipe, not from its command line.
  const auto lftpMirror = [&] {
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen("lftp >/dev/null 2>&1", "w"), pclose);
    std::fprintf(pipe.get(),
                 "set ftp:ssl-allow no\nset net:max-retries 2\nopen -u %s,%s -p %d 127.0.0.1\n"
                 "mirror -R --no-perms -X .picovand-build.json '%s' lftp\nquit\n",
                 pvtest::kTestAccount, server.password.c_str(), server.port, gallery.c_str());
    pipe.reset();
    return secondsSince(start);
  };
  const auto login = [&] {
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<CURL, void (*)(CURL*)> c(curl_easy_init(), curl_easy_cleanup);
    curl_easy_setopt(c.get(), CURLOPT_URL, pv::format("ftp://127.0.0.1:%d/", server.port).c_str());
    curl_easy_setopt(c.get(), CURLOPT_USERNAME, pvtest::kTestAccount);
    curl_easy_setopt(c.get(), CURLOPT_PASSWORD, server.password.c_str());
    curl_easy_setopt(c.get(), CURLOPT_CONNECT_ONLY, 1L);
    if (curl_easy_perform(c.get()) != CURLE_OK) return 1e9;
    return secondsSince(start);
  };

  double ours = 1e9, lftp = 1e9, again = 1e9, lftpAgain = 1e9, loggedIn = 1e9;
  for (int round = 0; round < rounds; ++round) {
    // The upload records go, the key that seals the build record stays.
    pvtest::run("rm -rf '" + server.root + "ours' '" + server.root + "lftp'; find '" + options.recordFolder +
                "' -mindepth 1 ! -name build-record.key -delete");

    lftp = std::min(lftp, lftpMirror());
    if (pvtest::run("find '" + server.root + "lftp' -type f | wc -l") != "500\n") {
      std::fprintf(stderr, "lftp did not send the 500 files\n");
      return 1;
    }

    target.folder = "ours";
    auto start = std::chrono::steady_clock::now();
    pv::UploadResult full = pv::uploadGallery(gallery, target, options);
    ours = std::min(ours, secondsSince(start));
    if (!full.ok() || full.sent != 500) {
      std::fprintf(stderr, "the upload failed: %s\n", full.message.c_str());
      return 1;
    }

    local.write(pv::format("galerie/images/pcvb%05d.jpg", round), std::string(160000, char('a' + round)));
    lftpAgain = std::min(lftpAgain, lftpMirror());
    for (int i = 0; i < 3; ++i) loggedIn = std::min(loggedIn, login());
    start = std::chrono::steady_clock::now();
    pv::UploadResult one = pv::uploadGallery(gallery, target, options);
    again = std::min(again, secondsSince(start));
    if (!one.ok() || one.sent != 1) {
      std::fprintf(stderr, "the re-upload sent %d files: %s\n", one.sent, one.message.c_str());
      return 1;
    }
  }
  std::printf("bench_upload: 500 files (%s) to vsftpd on 127.0.0.1 over FTP, best of %d\n",
              pv::trimWhite(pvtest::run("du -sh '" + gallery + "' | cut -f1")).c_str(), rounds);
  std::printf("  uploadGallery, full:                 %6.2f s\n", ours);
  std::printf("  lftp mirror -R, full:                %6.2f s\n", lftp);
  std::printf("  uploadGallery, one picture changed:  %6.3f s\n", again);
  std::printf("  lftp mirror -R, one picture changed: %6.3f s\n", lftpAgain);
  std::printf("  the server's login alone (libcurl):  %6.3f s\n", loggedIn);
  std::printf("  time ratio uploadGallery / lftp: %.2f (goal: at most 1.0)\n", ours / lftp);
  std::printf("  re-upload / full upload: %.1f %% (goal: at most 5 %%); lftp: %.1f %%\n", 100 * again / ours,
              100 * lftpAgain / lftp);
  std::printf("  re-upload without the server's login / full upload: %.1f %%\n", 100 * (again - loggedIn) / ours);
  std::printf("  re-upload ratio uploadGallery / lftp: %.2f\n", again / lftpAgain);
  return 0;
}
