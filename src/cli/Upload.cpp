#include "cli/Upload.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "state/AppState.h"
#include "cli/Console.h"
#include "cli/Progress.h"
#include "publish/Upload.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pvcli {

namespace {

std::atomic<bool> interrupted{false};
extern "C" void onUploadInterrupt(int) {
  interrupted = true;
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends the program at once
}

// Reads a line from the terminal without echo; nothing when there is no terminal.
bool promptPassword(const std::string& prompt, std::string& password) {
  FILE* tty = std::fopen("/dev/tty", "r+");
  if (!tty) return false;
  std::fprintf(tty, "%s", prompt.c_str());
  std::fflush(tty);
  termios old{};
  const bool echoOff = tcgetattr(fileno(tty), &old) == 0;
  if (echoOff) {
    termios quiet = old;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(fileno(tty), TCSAFLUSH, &quiet);
  }
  char line[1024];
  const bool read = std::fgets(line, sizeof line, tty) != nullptr;
  if (echoOff) tcsetattr(fileno(tty), TCSAFLUSH, &old);
  std::fprintf(tty, "\n");
  std::fclose(tty);
  if (!read) return false;
  password = line;
  while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
  return true;
}

// SFTP logs in with a key when it has one; FTP always needs the password.
bool needsPassword(const pv::UploadTarget& t) {
  if (t.protocol != pv::UploadProtocol::Sftp) return !t.user.empty();
  const char* home = std::getenv("HOME");
  return t.keyFile.empty() && !std::getenv("SSH_AUTH_SOCK") &&
         !(home && (pv::fileExists(std::string(home) + "/.ssh/id_rsa") ||
                    pv::fileExists(std::string(home) + "/.ssh/id_ed25519")));
}

void printPlan(const pv::UploadResult& r) {
  nlohmann::json& out = console().summary;
  for (const pv::ManifestEntry& e : r.plan.send) {
    out["toSend"].push_back({{"path", e.path}, {"size", e.size}});
    if (plainOutput()) std::printf("send    %s (%s)\n", e.path.c_str(), byteText(e.size).c_str());
  }
  for (const std::string& path : r.plan.remove) {
    out["toRemove"].push_back(path);
    if (plainOutput()) std::printf("remove  %s\n", path.c_str());
  }
  if (plainOutput())
    std::printf("%zu files to send (%s), %zu to remove\n", r.plan.send.size(), byteText(r.plan.bytesToSend).c_str(),
                r.plan.remove.size());
}

// The options of upload, for the nearest to a misspelt one.
std::vector<std::string> uploadOptionNames() {
  std::vector<std::string> names = {"--to",      "--dry-run", "--key",      "--known-hosts", "--trust-host-key",
                                    "--ca-file", "--timeout", "--overwrite"};
  names.insert(names.end(), std::begin(kOutputOptions), std::end(kOutputOptions));
  return names;
}

}  // namespace

std::string uploadHelpText() {
  return "  picovand-cli upload OUTPUT_DIR --to ADDRESS [--dry-run] [--key FILE] [--known-hosts FILE]\n"
         "                     [--trust-host-key SHA256:...] [--ca-file FILE] [--timeout SECONDS] [--overwrite]\n"
         "      sends the gallery in OUTPUT_DIR to your web server, only what changed since the last\n"
         "      upload; files on the server that an earlier upload from this computer put there and the\n"
         "      gallery no longer has are removed, nothing else there is touched. Symbolic links in the\n"
         "      gallery are neither followed nor sent; they are named as not sent\n"
         "      ADDRESS: ftp://[user@]host[:port]/folder, ftps://... (FTP with TLS) or\n"
         "      sftp://user@host[:port]/folder (an absolute folder; /~/folder is below the home folder)\n"
         "      The password comes from the environment variable PICOVAND_PASSWORD or is asked for on\n"
         "      the terminal; SFTP also logs in with the SSH agent or --key. The SFTP server's host key\n"
         "      must be in ~/.ssh/known_hosts (or --known-hosts); --trust-host-key adds the one with\n"
         "      that fingerprint. --dry-run lists what would be sent and removed. An index.html on the\n"
         "      server that no upload from PicoVand put there is never replaced: the upload stops before\n"
         "      it sends anything, unless --overwrite is given. Exit status 0 only\n"
         "      when the server holds the gallery; Ctrl+C stops after the current file (130).\n";
}

int uploadCommand(const std::vector<std::string>& args) {
  nlohmann::json& out = console().summary;
  for (const char* key : {"address", "dryRun"}) out[key] = nullptr;
  for (const char* key : {"sent", "removed", "bytes"}) out[key] = 0;
  for (const char* key : {"notSent", "warnings", "toSend", "toRemove"}) out[key] = nlohmann::json::array();
  std::string folder, address;
  pv::UploadTarget target;
  pv::UploadOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    std::string timeout;
    if (a == "--dry-run") {
      options.dryRun = true;
    } else if (a == "--overwrite") {
      options.replaceForeignIndex = true;
    } else if (a == "--to" || a == "--key" || a == "--known-hosts" || a == "--trust-host-key" || a == "--ca-file") {
      std::string& into = a == "--to" ? address : a == "--key" ? target.keyFile : a == "--known-hosts" ? target.knownHosts
                                              : a == "--trust-host-key" ? target.trustHostKey : target.caFile;
      if (!value(into)) return fail(a + " needs a value", kBadInput);
    } else if (a == "--timeout") {
      if (!value(timeout) || timeout.empty() || timeout.size() > 4 ||
          timeout.find_first_not_of("0123456789") != std::string::npos || std::stoi(timeout) < 1)
        return fail("--timeout needs a number of seconds from 1 to 9999", kBadInput);
      target.connectTimeoutSeconds = target.stallTimeoutSeconds = std::stoi(timeout);
    } else if (pv::startsWith(a, "-")) {
      return fail("unknown option '" + a + "' of upload" + didYouMean(a, uploadOptionNames()) +
                      " (picovand-cli --help shows them)",
                  kBadInput);
    } else if (folder.empty()) {
      folder = a;
    } else {
      return fail("upload takes one OUTPUT_DIR, not also '" + a + "'", kBadInput);
    }
  }
  if (folder.empty()) return fail("upload needs the OUTPUT_DIR of a built gallery", kBadInput);
  if (address.empty()) return fail("upload needs --to ADDRESS (ftp://, ftps:// or sftp://)", kBadInput);
  if (!pv::directoryExists(folder)) {
    const std::string problem = pv::fileProblem(folder);
    return fail("'" + folder + "' is not a folder" + (problem.empty() ? "" : " (" + problem + ")"), kBadInput);
  }
  if (std::string e = pv::parseUploadAddress(address, target); !e.empty()) return fail(e, kBadInput);
  if (target.protocol == pv::UploadProtocol::Sftp && target.user.empty())
    return fail("an sftp:// address needs the user: sftp://user@host/folder", kBadInput);
  for (const std::string* file : {&target.keyFile, &target.caFile})
    if (!file->empty())
      if (const std::string problem = pv::fileProblem(*file); !problem.empty())
        return fail("'" + *file + "': " + problem, kBadInput);
  out["address"] = pv::uploadAddress(target);
  out["dryRun"] = options.dryRun;

  if (const char* p = std::getenv("PICOVAND_PASSWORD")) {
    target.password = p;
  } else if (needsPassword(target)) {
    promptPassword("password of " + target.user + " on " + target.host + ": ", target.password);
  }

  pv::AppState state;
  options.recordFolder = state.settings.appDataFolder;
  options.abort = &interrupted;
  UploadProgressDisplay display(stderr);
  if (!options.dryRun) options.progress = [&](const pv::UploadProgress& p) { display(p); };
  std::signal(SIGINT, onUploadInterrupt);
  const pv::UploadResult r = pv::uploadGallery(folder, target, options);
  std::signal(SIGINT, SIG_DFL);
  display.finish();

  out["warnings"] = r.warnings;
  out["sent"] = r.sent;
  out["removed"] = r.removed;
  out["bytes"] = r.bytesSent;
  for (const std::string& warning : r.warnings) warn(warning);
  for (const pv::SkippedFile& skipped : r.skipped) {
    out["notSent"].push_back({{"path", skipped.path}, {"reason", skipped.reason}});
    note("picovand-cli: not sent: %s (%s)", skipped.path.c_str(), skipped.reason.c_str());
  }

  if (r.remoteManifestMissing && r.failure != pv::UploadFailure::Connect && r.failure != pv::UploadFailure::Login &&
      r.failure != pv::UploadFailure::HostKeyUnknown && r.failure != pv::UploadFailure::HostKeyChanged &&
      r.failure != pv::UploadFailure::Certificate)
    note("no list of uploaded files (%s) on the server: compared by listing, by size only; only files the last "
         "upload from here sent are removed",
         pv::kUploadManifestName);
  if (options.dryRun && r.ok()) {
    printPlan(r);
    return 0;
  }
  if (r.failure == pv::UploadFailure::Cancelled)
    return fail(pv::format("cancelled after %d files; run the upload again to continue", r.sent), kCancelled);
  if (r.failure == pv::UploadFailure::ForeignIndex)
    return fail(r.message + ": give --overwrite to replace it with the gallery's start page", kFailed);
  if (r.failure == pv::UploadFailure::HostKeyUnknown)
    return fail(r.message + "\ncompare it with the server's key (ssh-keygen -lf on the server) and give --trust-host-key " +
                    r.hostKeyFingerprint + " to trust it",
                kFailed);
  if (!r.ok()) {
    if (r.sent > 0) note("%d files were sent; run the upload again to continue", r.sent);
    return fail(r.message, kFailed);
  }
  result(pv::format("%d files sent (%s), %d removed: %s holds the gallery", r.sent, byteText(r.bytesSent).c_str(),
                    r.removed, pv::uploadAddress(target).c_str()));
  return 0;
}

}  // namespace pvcli
