#pragma once
// Putting a built gallery on the user's own web server over FTP, FTP with
// explicit TLS, or SFTP. Only what changed is sent; each file goes to a
// temporary name and is renamed, pictures before pages and the start page
// last, removals at the very end, so a visitor never sees a broken site.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "publish/Manifest.h"

namespace pv {

enum class UploadProtocol { Ftp, Ftps, Sftp };

struct UploadTarget {
  UploadProtocol protocol = UploadProtocol::Ftp;
  std::string host;
  int port = 0;  // 0: the protocol's own (21 or 22)
  // The remote gallery folder: absolute when it starts with "/", otherwise
  // below the folder the server puts the user in after login.
  std::string folder;
  std::string user;
  std::string password;  // held in memory only
  std::string keyFile;   // SFTP private key; empty: the SSH agent or ~/.ssh/id_*
  std::string knownHosts;  // SFTP; empty: ~/.ssh/known_hosts
  // SFTP: a host key not in knownHosts whose fingerprint equals this one is
  // trusted and added to knownHosts.
  std::string trustHostKey;
  std::string caFile;  // FTPS: certificate authorities; empty: the system's
  int connectTimeoutSeconds = 15;
  int stallTimeoutSeconds = 30;  // no progress for this long ends a transfer
  int retries = 5;               // after a dropped connection
  int retryDelayMs = 1000;       // doubled after every retry
};

int defaultPort(UploadProtocol protocol);
// Reads "ftp://", "ftps://" or "sftp://" + [user@]host[:port]/folder. The
// folder is percent-decoded; with FTP it is below the login folder unless it
// starts with "//", with SFTP it is absolute unless it starts with "/~/".
// Returns why the address was refused, or nothing.
std::string parseUploadAddress(const std::string& address, UploadTarget& target);
// The address again, without any password: for messages and the record.
std::string uploadAddress(const UploadTarget& target);

struct UploadProgress {
  int filesDone = 0;
  int filesTotal = 0;  // files to send plus files to remove
  std::uint64_t bytesDone = 0;
  std::uint64_t bytesTotal = 0;
  std::string file;  // being sent or removed
  bool retrying = false;  // waiting before a new connection
};

struct UploadOptions {
  bool dryRun = false;  // plan only: nothing is sent or removed
  const std::atomic<bool>* abort = nullptr;
  std::function<void(const UploadProgress&)> progress;  // on the uploading thread
  // Folder of the local upload records (the program's data folder); empty:
  // no record is read or written.
  std::string recordFolder;
  // An index.html on the server that no upload of ours put there is
  // replaced; otherwise the upload stops before it sends anything.
  bool replaceForeignIndex = false;
};

enum class UploadFailure {
  None,
  LocalFolder,     // the gallery cannot be read
  Connect,         // no connection: unreachable, refused, timed out
  Login,           // user or password (or key) refused
  HostKeyUnknown,  // SFTP: not in known_hosts; hostKeyFingerprint tells it
  HostKeyChanged,  // SFTP: known_hosts holds another key for this host
  Certificate,     // FTPS: the server's certificate or TLS was refused
  Transfer,        // sending, renaming or removing failed for good
  ForeignIndex,    // the server holds an index.html of somebody else's; nothing was sent
  Cancelled,
};

struct UploadResult {
  UploadFailure failure = UploadFailure::None;
  std::string message;  // what went wrong, in a sentence; empty when none
  std::string hostKeyFingerprint;  // "SHA256:..." of an unknown or changed key
  UploadPlan plan;
  bool remoteManifestMissing = false;  // compared by listing
  std::vector<SkippedFile> skipped;    // files of the gallery not sent
  // Records refused as damaged or hostile, each in a sentence; the upload
  // went on without them (comparing by listing, removing nothing).
  std::vector<std::string> warnings;
  int sent = 0;
  int removed = 0;
  std::uint64_t bytesSent = 0;
  bool ok() const { return failure == UploadFailure::None; }
};

// Compares the gallery in outputFolder with the server and sends the
// difference (or, with dryRun, only plans it).
UploadResult uploadGallery(const std::string& outputFolder, const UploadTarget& target, const UploadOptions& options);

// The last upload from this computer of one output folder.
struct UploadRecord {
  std::string address;  // without password
  std::string timeUtc;  // "2026-12-09T14:05:00Z"
  bool complete = false;
  int files = 0;
  std::uint64_t bytes = 0;
  std::string remoteSha;  // SHA-256 of the manifest last read from or written to the server
  Manifest manifest;      // what is on the server as far as known
};
// Nothing when there is none; also nothing, with the reason in why, when it
// cannot be used.
std::optional<UploadRecord> readUploadRecord(const std::string& recordFolder, const std::string& outputFolder,
                                             std::string* why = nullptr);

}  // namespace pv
