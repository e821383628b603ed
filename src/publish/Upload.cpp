#include "publish/Upload.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#include <openssl/evp.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "publish/CurlLibrary.h"
#include "util/FileSystem.h"
#include "util/Json.h"
#include "util/Text.h"

namespace pv {

namespace {

constexpr auto kCheckpointInterval = std::chrono::seconds(5);
// Connections that send at once: most of an upload of small files is waiting
// for the server's answers, which several connections overlap.
constexpr size_t kConnections = 3;

struct CurlDeleter {
  void operator()(CURL* c) const { curl().easy_cleanup(c); }
};
struct MultiDeleter {
  void operator()(CURLM* m) const { curl().multi_cleanup(m); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl().slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

Slist makeList(const std::vector<std::string>& lines) {
  curl_slist* l = nullptr;
  for (const std::string& s : lines) l = curl().slist_append(l, s.c_str());
  return Slist(l);
}

std::string percentDecode(const std::string& s, bool& ok) {
  std::string out;
  ok = true;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (i + 2 >= s.size() || !hex(s[i + 1]) || !hex(s[i + 2])) {
      ok = false;
      return {};
    }
    out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
    i += 2;
  }
  return out;
}

// Each part of a "/"-separated path percent-encoded for a URL.
std::string escapePath(const std::string& path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (start > 0) out += '/';
    if (end > start) {  // a length of 0 would make curl escape the whole rest
      char* e = curl().easy_escape(nullptr, path.data() + start, int(end - start));
      if (e) out += e;
      curl().free(e);
    }
    start = end + 1;
  }
  return out;
}

std::string joinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a.back() == '/' ? a + b : a + "/" + b;
}

std::string parentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A path argument of the SFTP commands, which take blanks only in quotes.
std::string sftpQuoted(const std::string& path) {
  std::string q = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

std::string base64(const unsigned char* data, size_t n) {
  std::string out(4 * ((n + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, int(n));
  out.resize(size_t(written));
  while (!out.empty() && out.back() == '=') out.pop_back();
  return out;
}

// The fingerprint as ssh-keygen -l shows it.
std::string fingerprintOf(const curl_khkey* key) {
  std::string blob;
  if (key->len > 0) {
    blob.assign(key->key, key->len);
  } else {
    const std::string text = key->key ? key->key : "";
    blob.resize(text.size());
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(blob.data()),
                                  reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    if (n < 0) return {};
    blob.resize(size_t(n) - std::count(text.begin(), text.end(), '='));
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_Digest(blob.data(), blob.size(), digest, &n, EVP_sha256(), nullptr);
  return "SHA256:" + base64(digest, n);
}

// A server that goes away mid-write must not end the program with SIGPIPE,
// whichever library writes to the socket: the signal is blocked on this
// thread while the upload runs, and one that came meanwhile is taken away
// before the old mask returns.
class BrokenPipeGuard {
 public:
  BrokenPipeGuard() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~BrokenPipeGuard() {
    const timespec none{0, 0};
    while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  BrokenPipeGuard(const BrokenPipeGuard&) = delete;
  BrokenPipeGuard& operator=(const BrokenPipeGuard&) = delete;

 private:
  sigset_t pipe_, old_;
};

bool isConnectionLoss(CURLcode c) {
  switch (c) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_UPLOAD_FAILED:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSH:
      return true;
    default:
      return false;
  }
}

// One connection to the server, kept open between requests.
class Session {
 public:
  Session(const UploadTarget& target, const UploadOptions& options) : t_(target), o_(options) {
    curl_.reset(curl().easy_init());
    const int port = t_.port ? t_.port : defaultPort(t_.protocol);
    const std::string host = t_.host.find(':') != std::string::npos ? "[" + t_.host + "]" : t_.host;
    root_ = (t_.protocol == UploadProtocol::Sftp ? "sftp://" : "ftp://") + host + ":" + std::to_string(port) + "/";
    knownHosts_ = t_.knownHosts;
    if (knownHosts_.empty()) {
      const char* home = std::getenv("HOME");
      knownHosts_ = std::string(home ? home : "") + "/.ssh/known_hosts";
    }
  }

  // A further connection to the same server: it knows where the login
  // folder is, and that the server answers.
  void followLead(const Session& lead) {
    entryPath_ = lead.entryPath_;
    everConnected_ = true;
  }

  bool sftp() const { return t_.protocol == UploadProtocol::Sftp; }
  const std::string& knownHostsFile() const { return knownHosts_; }
  const std::string& fingerprint() const { return fingerprint_; }
  bool hostKeyUnknown() const { return hostKey_ == HostKey::Unknown; }
  bool hostKeyChanged() const { return hostKey_ == HostKey::Changed; }
  bool everConnected() const { return everConnected_; }
  const char* lastError() const { return errors_[0] ? errors_ : nullptr; }

  // The remote gallery's file (or folder, with a final "/") as a URL.
  std::string url(const std::string& rel) const {
    std::string folder = t_.folder;
    if (sftp()) return root_ + (startsWith(folder, "/") ? escapePath(joinPath(folder.substr(1), rel)) : "~/" + escapePath(joinPath(folder, rel)));
    if (startsWith(folder, "/")) return root_ + "%2F" + escapePath(joinPath(folder.substr(1), rel));
    return root_ + escapePath(joinPath(folder, rel));
  }

  // The same as an absolute path on the server, for rename and delete.
  std::string absolute(const std::string& rel) const {
    const std::string base = startsWith(t_.folder, "/") ? t_.folder : joinPath(entryPath_.empty() ? "/" : entryPath_, t_.folder);
    return joinPath(base, rel);
  }

  CURLcode get(const std::string& rel, std::string& out) {
    out.clear();
    start(url(rel));
    curl().easy_setopt(curl_.get(), CURLOPT_WRITEFUNCTION, &Session::collect);
    curl().easy_setopt(curl_.get(), CURLOPT_WRITEDATA, &out);
    return run();
  }

  // A folder's listing; its URL needs the final slash.
  CURLcode list(const std::string& rel, std::string& out) {
    out.clear();
    std::string address = url(rel);
    if (!endsWith(address, "/")) address += '/';
    start(address);
    curl().easy_setopt(curl_.get(), CURLOPT_WRITEFUNCTION, &Session::collect);
    curl().easy_setopt(curl_.get(), CURLOPT_WRITEDATA, &out);
    return run();
  }

  // Sends size bytes from read() to rel, by way of a temporary name beside
  // it unless `direct`.
  CURLcode put(const std::string& rel, std::uint64_t size, curl_read_callback read, void* readData, bool direct,
               std::function<void(std::uint64_t)> sentBytes) {
    const std::string folder = parentOf(rel);
    const std::string temp = direct ? rel : joinPath(folder, "." + fileNameOf(rel) + ".part");
    std::vector<std::string> commands;
    if (!direct && sftp()) {
      // The server's rename does not replace a file; the old one goes first.
      commands = {"*rm " + sftpQuoted(absolute(rel)), "rename " + sftpQuoted(absolute(temp)) + " " + sftpQuoted(absolute(rel))};
    } else if (!direct) {
      commands = {"RNFR " + absolute(temp), "RNTO " + absolute(rel)};
    }
    Slist post = makeList(commands);
    start(url(temp));
    CURL* c = curl_.get();
    curl().easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl().easy_setopt(c, CURLOPT_READFUNCTION, read);
    curl().easy_setopt(c, CURLOPT_READDATA, readData);
    curl().easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
    curl().easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    curl().easy_setopt(c, CURLOPT_POSTQUOTE, post.get());
    sentBytes_ = std::move(sentBytes);
    const CURLcode r = run();
    sentBytes_ = nullptr;
    return r;
  }

  // Runs commands (absolute paths) without a transfer.
  CURLcode command(const std::vector<std::string>& commands) {
    Slist list = makeList(commands);
    start(root_);
    curl().easy_setopt(curl_.get(), CURLOPT_NOBODY, 1L);
    curl().easy_setopt(curl_.get(), CURLOPT_QUOTE, list.get());
    return run();
  }

  // Whether rel is there: OK when it is, REMOTE_FILE_NOT_FOUND when not.
  CURLcode probe(const std::string& rel) {
    start(url(rel));
    curl().easy_setopt(curl_.get(), CURLOPT_NOBODY, 1L);
    return run();
  }

 private:
  enum class HostKey { Unchecked, Known, Unknown, Changed };

  static size_t collect(char* data, size_t size, size_t n, void* out) {
    auto* s = static_cast<std::string*>(out);
    s->append(data, size * n);
    // Past the size of any record the transfer stops; the reader refuses the text.
    return s->size() > JsonLimits{}.maxBytes ? 0 : size * n;
  }

  static int onProgress(void* p, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
    auto* s = static_cast<Session*>(p);
    if (s->o_.abort && s->o_.abort->load() && !s->finishing) return 1;
    if (s->sentBytes_) s->sentBytes_(std::uint64_t(ulnow));
    return 0;
  }

  static int onHostKey(CURL*, const curl_khkey*, const curl_khkey* found, curl_khmatch match, void* p) {
    auto* s = static_cast<Session*>(p);
    s->fingerprint_ = fingerprintOf(found);
    if (match == CURLKHMATCH_OK) {
      s->hostKey_ = HostKey::Known;
      return CURLKHSTAT_FINE;
    }
    if (match == CURLKHMATCH_MISSING) {
      if (!s->t_.trustHostKey.empty() && s->t_.trustHostKey == s->fingerprint_) {
        s->hostKey_ = HostKey::Known;
        return CURLKHSTAT_FINE_ADD_TO_FILE;
      }
      s->hostKey_ = HostKey::Unknown;
      return CURLKHSTAT_REJECT;
    }
    s->hostKey_ = HostKey::Changed;
    return CURLKHSTAT_REJECT;
  }

  // Resets the handle (the connection stays open) and sets what every request shares.
  void start(const std::string& address) {
    CURL* c = curl_.get();
    curl().easy_reset(c);
    errors_[0] = '\0';
    curl().easy_setopt(c, CURLOPT_URL, address.c_str());
    curl().easy_setopt(c, CURLOPT_ERRORBUFFER, errors_);
    curl().easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl().easy_setopt(c, CURLOPT_USERNAME, t_.user.c_str());
    curl().easy_setopt(c, CURLOPT_PASSWORD, t_.password.c_str());
    curl().easy_setopt(c, CURLOPT_CONNECTTIMEOUT, long(t_.connectTimeoutSeconds));
    curl().easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl().easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long(t_.stallTimeoutSeconds));
    curl().easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(t_.stallTimeoutSeconds));
    curl().easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl().easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Session::onProgress);
    curl().easy_setopt(c, CURLOPT_XFERINFODATA, this);
    if (t_.protocol == UploadProtocol::Ftps) {
      curl().easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
      if (!t_.caFile.empty()) curl().easy_setopt(c, CURLOPT_CAINFO, t_.caFile.c_str());
    }
    if (sftp()) {
      curl().easy_setopt(c, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY | CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_AGENT |
                                                      CURLSSH_AUTH_KEYBOARD));
      curl().easy_setopt(c, CURLOPT_SSH_KNOWNHOSTS, knownHosts_.c_str());
      curl().easy_setopt(c, CURLOPT_SSH_KEYFUNCTION, &Session::onHostKey);
      curl().easy_setopt(c, CURLOPT_SSH_KEYDATA, this);
      if (!t_.keyFile.empty()) {
        curl().easy_setopt(c, CURLOPT_SSH_PRIVATE_KEYFILE, t_.keyFile.c_str());
        curl().easy_setopt(c, CURLOPT_KEYPASSWD, t_.password.c_str());
      }
    }
  }

  // curl_easy_perform waits up to a second for an FTP reply that has
  // already arrived; driving the transfer here wakes up every few
  // milliseconds instead, which halves the time of a gallery of small files.
  CURLcode perform() {
    CURLM* multi = multi_.get();
    curl().multi_add_handle(multi, curl_.get());
    int running = 1;
    while (running) {
      if (curl().multi_perform(multi, &running) != CURLM_OK) break;
      if (running) curl().multi_poll(multi, nullptr, 0, 10, nullptr);
    }
    CURLcode result = CURLE_FAILED_INIT;
    int queued = 0;
    while (CURLMsg* m = curl().multi_info_read(multi, &queued))
      if (m->msg == CURLMSG_DONE && m->easy_handle == curl_.get()) result = m->data.result;
    curl().multi_remove_handle(multi, curl_.get());
    return result;
  }

  CURLcode run() {
    const CURLcode r = perform();
    if (r == CURLE_OK || (!isConnectionLoss(r) && r != CURLE_COULDNT_RESOLVE_HOST && r != CURLE_LOGIN_DENIED &&
                          r != CURLE_PEER_FAILED_VERIFICATION && r != CURLE_ABORTED_BY_CALLBACK))
      everConnected_ = true;
    if (entryPath_.empty()) {
      char* entry = nullptr;
      if (curl().easy_getinfo(curl_.get(), CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry) entryPath_ = entry;
    }
    return r;
  }

  const UploadTarget& t_;
  const UploadOptions& o_;
  std::unique_ptr<CURLM, MultiDeleter> multi_{curl().multi_init()};  // holds the open connection
  std::unique_ptr<CURL, CurlDeleter> curl_;
  std::string root_;
  std::string knownHosts_;
  std::string entryPath_;
  std::string fingerprint_;
  HostKey hostKey_ = HostKey::Unchecked;
  bool everConnected_ = false;
  std::function<void(std::uint64_t)> sentBytes_;
  char errors_[CURL_ERROR_SIZE] = {};

 public:
  // Set while the last manifest is written after a cancel, so it still gets there.
  bool finishing = false;
};

struct Reader {
  const std::string* text = nullptr;
  FILE* file = nullptr;
  size_t offset = 0;
  static size_t read(char* buffer, size_t size, size_t n, void* p) {
    auto* r = static_cast<Reader*>(p);
    if (r->file) return std::fread(buffer, size, n, r->file);
    const size_t count = std::min(size * n, r->text->size() - r->offset);
    std::copy_n(r->text->data() + r->offset, count, buffer);
    r->offset += count;
    return count;
  }
};

// Lines of a directory listing as FTP's LIST and SFTP give them:
// "drwxr-xr-x 2 user group 4096 Dec  9 14:05 name with blanks".
struct ListedEntry {
  std::string name;
  bool isDirectory = false;
  std::uint64_t size = 0;
};
std::vector<ListedEntry> parseListing(const std::string& text) {
  std::vector<ListedEntry> entries;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || (line[0] != '-' && line[0] != 'd')) continue;
    size_t pos = 0;
    std::string fields[8];
    bool complete = true;
    for (std::string& f : fields) {
      pos = line.find_first_not_of(' ', pos);
      if (pos == std::string::npos) {
        complete = false;
        break;
      }
      const size_t next = line.find(' ', pos);
      f = line.substr(pos, next - pos);
      pos = next;
    }
    if (!complete || pos == std::string::npos || pos + 1 > line.size()) continue;
    ListedEntry e{line.substr(pos + 1), line[0] == 'd', std::strtoull(fields[4].c_str(), nullptr, 10)};
    if (e.name.empty() || e.name == "." || e.name == "..") continue;
    entries.push_back(std::move(e));
  }
  return entries;
}

// A file of the gallery for reading; a link put in its place since the
// scan is not followed.
FILE* openNoFollow(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, "rb");
  if (!f) ::close(fd);
  return f;
}

std::uint64_t bytesOf(const Manifest& m) {
  std::uint64_t sum = 0;
  for (const auto& [path, e] : m) sum += e.size;
  return sum;
}

// One record per output folder, however its path is written.
std::string recordPath(const std::string& recordFolder, const std::string& outputFolder) {
  std::string folder = outputFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::error_code ec;
  const std::string canonical = std::filesystem::weakly_canonical(folder, ec).string();
  return withSlash(recordFolder) + "uploads/" + sha256OfText(ec ? folder : canonical).substr(0, 24) + ".json";
}

std::string nowUtc() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

void writeUploadRecord(const std::string& recordFolder, const std::string& outputFolder, const UploadRecord& r) {
  const std::string path = recordPath(recordFolder, outputFolder);
  makeDirectories(parentOf(path));
  nlohmann::json j{{"address", r.address},     {"time", r.timeUtc}, {"complete", r.complete},
                   {"files", r.files},         {"bytes", r.bytes}, {"remoteSha", r.remoteSha},
                   {"manifest", manifestToJsonValue(r.manifest)}};
  writeFileAtomically(path, j.dump(1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// One upload from start to end.
class Upload {
 public:
  Upload(const std::string& folder, const UploadTarget& target, const UploadOptions& options)
      : folder_(folder), t_(target), o_(options), session_(target, options) {}

  UploadResult run();

 private:
  bool cancelled() const { return o_.abort && o_.abort->load(); }

  // Runs op again after a lost connection, waiting longer each time.
  CURLcode withRetries(const Session& session, const std::string& file, const std::function<CURLcode()>& op) {
    int delay = t_.retryDelayMs;
    for (int attempt = 0;; ++attempt) {
      const CURLcode r = op();
      if (r == CURLE_OK || !isConnectionLoss(r) || !session.everConnected() || attempt >= t_.retries) return r;
      report(file, true);
      for (auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay);
           std::chrono::steady_clock::now() < until;) {
        if (cancelled()) return CURLE_ABORTED_BY_CALLBACK;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      delay *= 2;
    }
  }

  void report(const std::string& file, bool retrying = false) {
    if (!o_.progress) return;
    std::lock_guard lock(mutex_);
    progress_.file = file;
    progress_.retrying = retrying;
    o_.progress(progress_);
  }

  UploadResult fail(UploadFailure why, const std::string& message) {
    result_.failure = why;
    result_.message = message;
    return result_;
  }

  // The failure a curl result stands for, with its message.
  UploadResult failWith(CURLcode r, const std::string& doing) { return failWith(session_, r, doing); }
  UploadResult failWith(const Session& session, CURLcode r, const std::string& doing) {
    const std::string where = t_.host + ":" + std::to_string(t_.port ? t_.port : defaultPort(t_.protocol));
    const std::string detail = session.lastError() ? session.lastError() : curl().easy_strerror(r);
    result_.hostKeyFingerprint = session.fingerprint();
    if (r == CURLE_ABORTED_BY_CALLBACK && cancelled()) return fail(UploadFailure::Cancelled, "the upload was cancelled");
    if (session.hostKeyUnknown())
      return fail(UploadFailure::HostKeyUnknown, "the host key of " + where + " is unknown (not in " +
                                                     session.knownHostsFile() + "); its fingerprint is " +
                                                     session.fingerprint());
    if (session.hostKeyChanged())
      return fail(UploadFailure::HostKeyChanged,
                  "the host key of " + where + " (" + session.fingerprint() + ") is not the one in " +
                      session.knownHostsFile() + ": someone may be listening in; nothing was sent");
    if (r == CURLE_LOGIN_DENIED)
      return fail(UploadFailure::Login, "the server " + where + " refused the login of user '" + t_.user +
                                            "' (wrong user name, password or key)");
    if (r == CURLE_PEER_FAILED_VERIFICATION || r == CURLE_USE_SSL_FAILED || r == CURLE_SSL_CACERT_BADFILE ||
        (r == CURLE_SSL_CONNECT_ERROR && !session.everConnected()))
      return fail(UploadFailure::Certificate, "no trusted TLS connection to " + where + ": " + detail);
    if (!session.everConnected() &&
        (isConnectionLoss(r) || r == CURLE_COULDNT_RESOLVE_HOST || r == CURLE_COULDNT_RESOLVE_PROXY))
      return fail(UploadFailure::Connect, "cannot connect to " + where + ": " + detail);
    return fail(UploadFailure::Transfer, doing + ": " + detail);
  }

  CURLcode putText(const std::string& rel, const std::string& text) {
    return withRetries(session_, rel, [&] {
      Reader reader{&text};
      return session_.put(rel, text.size(), &Reader::read, &reader, false, nullptr);
    });
  }

  // The remote manifest's text and the result of the first try to fetch it.
  CURLcode readRemote(RemoteState& remote, std::string text, CURLcode r);
  bool sendsOverForeignIndex(const RemoteState& remote);
  void listRemote(const std::string& dir, int depth, std::map<std::string, std::uint64_t>& files);
  CURLcode sendFile(Session& session, const ManifestEntry& e, std::uint64_t& inFlight);
  bool sendAll(const std::vector<ManifestEntry>& files);
  void sendFrom(Session& session, bool helper, const std::vector<ManifestEntry>& files, std::uint64_t& inFlight);
  CURLcode removeFile(const std::string& rel);
  bool isGone(const std::string& rel);
  void removeEmptyFolders(const std::vector<std::string>& removed, const Manifest& local);
  void saveProgress(bool complete);

  std::string folder_;
  const UploadTarget& t_;
  const UploadOptions& o_;
  Session session_;
  UploadResult result_;
  UploadProgress progress_;
  Manifest before_;  // on the server before the upload, as far as known
  std::map<std::string, std::uint64_t> listed_;  // found by listing, when there was no manifest
  std::vector<ManifestEntry> sent_;
  std::vector<std::string> removed_;
  std::optional<UploadRecord> previous_;
  std::string remoteSha_;  // of the manifest on the server, as far as known

  // Sending on several connections: sendFrom runs on each.
  std::mutex mutex_;  // guards result_, progress_, sent_, leftOver_, and the progress callback
  std::vector<std::unique_ptr<Session>> helpers_;
  std::atomic<size_t> next_{0};  // the next file to take
  std::atomic<bool> stop_{false};
  std::vector<ManifestEntry> leftOver_;
  std::vector<std::uint64_t> inFlight_;  // bytes of the file each connection is sending
  std::chrono::steady_clock::time_point checkpoint_;
};

// The plan sends an index.html where the server holds one that no upload
// of ours put there: our record and the server's list of uploaded files
// both lack it, and yet it is there.
bool Upload::sendsOverForeignIndex(const RemoteState& remote) {
  const std::vector<ManifestEntry>& send = result_.plan.send;
  if (std::none_of(send.begin(), send.end(), [](const ManifestEntry& e) { return e.path == kIndexPageName; }) ||
      remote.previous.count(kIndexPageName) || (remote.hasManifest && remote.manifest.count(kIndexPageName)))
    return false;
  if (!remote.hasManifest) return remote.listing.count(kIndexPageName) > 0;
  std::string text;
  if (session_.list("", text) != CURLE_OK) return false;  // no folder yet, so nothing in it
  const std::vector<ListedEntry> entries = parseListing(text);
  return std::any_of(entries.begin(), entries.end(), [](const ListedEntry& e) { return e.name == kIndexPageName; });
}

CURLcode Upload::readRemote(RemoteState& remote, std::string text, CURLcode r) {
  if (isConnectionLoss(r) && session_.everConnected())
    r = withRetries(session_, kUploadManifestName, [&] { return session_.get(kUploadManifestName, text); });
  // A text past the size of any record stopped the transfer; it is refused below.
  if (r == CURLE_WRITE_ERROR && text.size() > JsonLimits{}.maxBytes) r = CURLE_OK;
  if (previous_ && previous_->address == uploadAddress(t_)) remote.previous = previous_->manifest;
  if (r == CURLE_OK) {
    std::string why;
    if (auto m = manifestFromJson(text, why)) {
      remote.hasManifest = true;
      remote.manifest = std::move(*m);
      remoteSha_ = sha256OfText(text);
      // An upload from here broke off after this manifest was written: what
      // it sent since is in the local record.
      if (previous_ && !previous_->complete && previous_->address == uploadAddress(t_) &&
          previous_->remoteSha == remoteSha_)
        remote.manifest = previous_->manifest;
      return CURLE_OK;
    }
    result_.warnings.push_back(std::string("the list of uploaded files on the server (") + kUploadManifestName +
                               ") was not used: it " + why + "; compared by listing instead");
  } else if (r != CURLE_REMOTE_FILE_NOT_FOUND && r != CURLE_REMOTE_ACCESS_DENIED && r != CURLE_FTP_COULDNT_RETR_FILE) {
    return r;
  }
  // No usable manifest: what is there, by size.
  listRemote("", 0, remote.listing);
  return CURLE_OK;
}

void Upload::listRemote(const std::string& dir, int depth, std::map<std::string, std::uint64_t>& files) {
  std::string text;
  if (depth > 32 || session_.list(dir, text) != CURLE_OK) return;
  for (const ListedEntry& e : parseListing(text)) {
    const std::string rel = joinPath(dir, e.name);
    if (e.isDirectory)
      listRemote(rel, depth + 1, files);
    else if (rel != kUploadManifestName)
      files[rel] = e.size;
  }
}

CURLcode Upload::sendFile(Session& session, const ManifestEntry& e, std::uint64_t& inFlight) {
  // A picture that is not on the server yet is shown by no page before its
  // page arrives after it, so a half copy of it cannot be seen and it may go
  // straight to its name; everything else goes by way of a temporary name.
  const bool direct = uploadRank(e.path) == 0 && !before_.count(e.path) && !listed_.count(e.path);
  return withRetries(session, e.path, [&] {
    std::unique_ptr<FILE, int (*)(FILE*)> f(openNoFollow(withSlash(folder_) + e.path), std::fclose);
    if (!f) return CURLE_READ_ERROR;
    Reader reader{nullptr, f.get()};
    return session.put(e.path, e.size, &Reader::read, &reader, direct, [&](std::uint64_t now) {
      {
        std::lock_guard lock(mutex_);
        inFlight = now;
        progress_.bytesDone = result_.bytesSent;
        for (std::uint64_t n : inFlight_) progress_.bytesDone += n;
      }
      report(e.path);
    });
  });
}

// One connection's share of the files: it takes the next file not yet taken
// until none is left, the upload is cancelled, or a file fails for good.
void Upload::sendFrom(Session& session, bool helper, const std::vector<ManifestEntry>& files, std::uint64_t& inFlight) {
  bool sentAny = false;
  for (size_t i; !stop_ && !cancelled() && (i = next_++) < files.size();) {
    const ManifestEntry& e = files[i];
    report(e.path);
    const CURLcode r = sendFile(session, e, inFlight);
    {
      std::lock_guard lock(mutex_);
      inFlight = 0;
      if (r != CURLE_OK) {
        // A server that takes fewer connections leaves the files to the first one.
        if (helper && !sentAny && r != CURLE_ABORTED_BY_CALLBACK) {
          leftOver_.push_back(e);
          return;
        }
        if (!stop_) failWith(session, r, "sending " + e.path + " failed");
        stop_ = true;
        return;
      }
      sentAny = true;
      sent_.push_back(e);
      ++result_.sent;
      result_.bytesSent += e.size;
      ++progress_.filesDone;
      progress_.bytesDone = result_.bytesSent;
    }
    report(e.path);
    // A run that breaks off later need not send these again.
    if (!helper && std::chrono::steady_clock::now() > checkpoint_) {
      saveProgress(false);
      checkpoint_ = std::chrono::steady_clock::now() + kCheckpointInterval;
    }
  }
}

// Sends files on kConnections connections at once (a few on one); false when
// cancelled or when a file could not be sent.
bool Upload::sendAll(const std::vector<ManifestEntry>& files) {
  next_ = 0;
  stop_ = false;
  leftOver_.clear();
  const size_t helpers = files.size() >= 8 ? kConnections - 1 : 0;
  while (helpers_.size() < helpers) {
    helpers_.push_back(std::make_unique<Session>(t_, o_));
    helpers_.back()->followLead(session_);
  }
  inFlight_.assign(helpers + 1, 0);
  std::vector<std::thread> threads;
  for (size_t h = 0; h < helpers; ++h)
    threads.emplace_back([&, h] {
      BrokenPipeGuard guard;
      sendFrom(*helpers_[h], true, files, inFlight_[h + 1]);
    });
  sendFrom(session_, false, files, inFlight_[0]);
  for (std::thread& t : threads) t.join();
  if (!leftOver_.empty() && !stop_) {
    const std::vector<ManifestEntry> rest = std::move(leftOver_);
    next_ = 0;
    sendFrom(session_, false, rest, inFlight_[0]);
  }
  return !stop_ && !cancelled();
}

CURLcode Upload::removeFile(const std::string& rel) {
  const std::string path = session_.absolute(rel);
  CURLcode r = withRetries(session_, rel, [&] {
    return session_.command({session_.sftp() ? "rm " + sftpQuoted(path) : "DELE " + path});
  });
  // Already gone is as good as removed, and so is a file whose folder is gone.
  if (r == CURLE_QUOTE_ERROR && isGone(rel)) r = CURLE_OK;
  return r;
}

// A server refuses to change into a missing folder as into a forbidden one:
// a folder counts as missing when the listing of its parent lacks it.
bool Upload::isGone(const std::string& rel) {
  const CURLcode r = session_.probe(rel);
  if (r == CURLE_REMOTE_FILE_NOT_FOUND) return true;
  if (r != CURLE_REMOTE_ACCESS_DENIED) return false;
  for (std::string dir = parentOf(rel); !dir.empty(); dir = parentOf(dir)) {
    std::string text;
    if (session_.list(parentOf(dir), text) != CURLE_OK) continue;  // its parent is gone too
    const std::vector<ListedEntry> entries = parseListing(text);
    return std::none_of(entries.begin(), entries.end(),
                        [&](const ListedEntry& e) { return e.isDirectory && e.name == fileNameOf(dir); });
  }
  return false;
}

// Folders that held removed files and hold nothing of the gallery any more
// go too, when empty; the server refuses to remove a folder with files in it.
void Upload::removeEmptyFolders(const std::vector<std::string>& removed, const Manifest& local) {
  std::set<std::string> inUse, candidates;
  for (const auto& [path, e] : local)
    for (std::string d = parentOf(path); !d.empty(); d = parentOf(d)) inUse.insert(d);
  for (const std::string& path : removed)
    for (std::string d = parentOf(path); !d.empty() && !inUse.count(d); d = parentOf(d)) candidates.insert(d);
  std::vector<std::string> commands;
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it)  // deeper folders sort after their parents
    commands.push_back(session_.sftp() ? "*rmdir " + sftpQuoted(session_.absolute(*it)) : "*RMD " + session_.absolute(*it));
  if (!commands.empty()) session_.command(commands);
}

// Writes what is on the server now, to the server beside the gallery and to
// the local record.
void Upload::saveProgress(bool complete) {
  Manifest now;
  {
    std::lock_guard lock(mutex_);
    now = manifestAfter(before_, sent_, removed_);
  }
  if (o_.abort && o_.abort->load()) session_.finishing = true;
  const std::string text = manifestToJson(now);
  const bool written = putText(kUploadManifestName, text) == CURLE_OK;
  session_.finishing = false;
  if (written) remoteSha_ = sha256OfText(text);
  if (!o_.recordFolder.empty())
    writeUploadRecord(o_.recordFolder, folder_,
                      {uploadAddress(t_), nowUtc(), complete && written, int(now.size()), bytesOf(now), remoteSha_, now});
  if (complete && !written && result_.ok())
    fail(UploadFailure::Transfer, std::string("the list of uploaded files (") + kUploadManifestName +
                                      ") could not be written on the server");
}

UploadResult Upload::run() {
  if (!directoryExists(folder_)) return fail(UploadFailure::LocalFolder, "cannot read the gallery folder " + folder_);
  // The server takes longer to log us in than we take to read the gallery:
  // both at once. A retry after a lost connection comes later, on this thread.
  std::string remoteText;
  std::future<CURLcode> fetched = std::async(std::launch::async, [&] {
    BrokenPipeGuard guard;
    return session_.get(kUploadManifestName, remoteText);
  });
  if (!o_.recordFolder.empty()) {
    std::string why;
    previous_ = readUploadRecord(o_.recordFolder, folder_, &why);
    if (!why.empty())
      result_.warnings.push_back("the record of the last upload from here was not used: it " + why +
                                 "; no file is removed from the server");
  }
  GalleryScan scan = scanGallery(folder_, knownHashes(folder_, previous_ ? previous_->manifest : Manifest(),
                                                   recordSecret(o_.recordFolder, false)));
  const CURLcode fetchResult = fetched.get();
  if (!scan.error.empty()) return fail(UploadFailure::LocalFolder, scan.error);
  result_.skipped = std::move(scan.skipped);
  const Manifest& local = scan.files;
  RemoteState remote;
  if (const CURLcode r = readRemote(remote, std::move(remoteText), fetchResult); r != CURLE_OK)
    return failWith(r, "reading the remote folder failed");
  result_.remoteManifestMissing = !remote.hasManifest;
  listed_ = remote.listing;
  result_.plan = planUpload(local, remote);
  const UploadPlan& plan = result_.plan;
  if (sendsOverForeignIndex(remote)) {
    const std::string message = std::string("the server already holds an ") + kIndexPageName +
                                " that no upload from PicoVand put there";
    if (o_.dryRun)
      result_.warnings.push_back(message + ": the upload would stop before sending anything unless told to replace it");
    else if (!o_.replaceForeignIndex)
      return fail(UploadFailure::ForeignIndex, message + "; it was left as it is and nothing was sent");
  }
  if (o_.dryRun) return result_;

  // What the records say is there afterwards: the gallery's files as the
  // server holds them (unchanged by size counts as ours from now on), and
  // the files still to be removed. What else the server's list names is
  // none of ours and is dropped, so it can never become grounds to remove.
  if (remote.hasManifest) {
    for (const auto& [path, e] : remote.manifest)
      if (local.count(path)) before_[path] = e;
  } else {
    before_ = local;
    for (const ManifestEntry& e : plan.send) before_.erase(e.path);
  }
  for (const std::string& path : plan.remove) before_[path] = remote.previous.at(path);

  progress_.filesTotal = int(plan.send.size() + plan.remove.size());
  progress_.bytesTotal = plan.bytesToSend;
  checkpoint_ = std::chrono::steady_clock::now() + kCheckpointInterval;
  for (int rank = 0; rank <= 2; ++rank) {
    std::vector<ManifestEntry> group;
    for (const ManifestEntry& e : plan.send)
      if (uploadRank(e.path) == rank) group.push_back(e);
    if (!sendAll(group)) {
      saveProgress(false);
      if (result_.ok()) fail(UploadFailure::Cancelled, "the upload was cancelled");
      return result_;
    }
  }
  for (const std::string& path : plan.remove) {
    if (cancelled()) break;
    report(path);
    if (const CURLcode r = removeFile(path); r != CURLE_OK) {
      UploadResult failed = failWith(r, "removing " + path + " failed");
      saveProgress(false);
      result_ = failed;
      return result_;
    }
    removed_.push_back(path);
    ++result_.removed;
    ++progress_.filesDone;
    report(path);
  }
  if (cancelled()) {
    saveProgress(false);
    return fail(UploadFailure::Cancelled, "the upload was cancelled");
  }
  removeEmptyFolders(removed_, local);
  saveProgress(true);
  return result_;
}

}  // namespace

int defaultPort(UploadProtocol protocol) { return protocol == UploadProtocol::Sftp ? 22 : 21; }

std::string parseUploadAddress(const std::string& address, UploadTarget& target) {
  UploadTarget t = target;
  t.user.clear();
  std::string rest;
  if (startsWith(address, "ftp://")) {
    t.protocol = UploadProtocol::Ftp;
    rest = address.substr(6);
  } else if (startsWith(address, "ftps://")) {
    t.protocol = UploadProtocol::Ftps;
    rest = address.substr(7);
  } else if (startsWith(address, "sftp://")) {
    t.protocol = UploadProtocol::Sftp;
    rest = address.substr(7);
  } else {
    return "'" + address + "' is no upload address: it must begin with ftp://, ftps:// or sftp://";
  }
  const size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  const std::string path = slash == std::string::npos ? std::string() : rest.substr(slash);
  if (const size_t at = authority.rfind('@'); at != std::string::npos) {
    bool ok;
    const std::string userInfo = authority.substr(0, at);
    if (userInfo.find(':') != std::string::npos)
      return "the address holds a password; give it in PICOVAND_PASSWORD instead, so that it does not show in the "
             "process list";
    t.user = percentDecode(userInfo, ok);
    if (!ok) return "the user name in '" + address + "' has a broken %-escape";
    authority = authority.substr(at + 1);
  }
  std::string portText;
  if (startsWith(authority, "[")) {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return "the host in '" + address + "' lacks its closing ']'";
    t.host = authority.substr(1, close - 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return "unexpected text after the host in '" + address + "'";
      portText = authority.substr(close + 2);
    }
  } else {
    const size_t colon = authority.find(':');
    t.host = authority.substr(0, colon);
    if (colon != std::string::npos) portText = authority.substr(colon + 1);
  }
  if (t.host.empty()) return "the address '" + address + "' names no server";
  t.port = 0;
  if (!portText.empty()) {
    if (portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(portText) < 1 || std::stoi(portText) > 65535)
      return "the port '" + portText + "' is not a number from 1 to 65535";
    t.port = std::stoi(portText);
  }
  bool ok;
  std::string folder = percentDecode(path, ok);
  if (!ok) return "the folder in '" + address + "' has a broken %-escape (write %25 for a %)";
  if (t.protocol == UploadProtocol::Sftp)
    folder = startsWith(folder, "/~/") ? folder.substr(3) : folder == "/~" ? std::string() : folder;
  else if (!folder.empty())
    folder = folder.substr(1);  // "//abs" stays absolute
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder == "/" && t.protocol != UploadProtocol::Sftp) folder.clear();
  for (const std::string& part : {std::string("/../"), std::string("/./")})
    if (("/" + folder + "/").find(part) != std::string::npos) return "the folder may not contain '.' or '..' parts";
  // A line break would end a command to the server and start another.
  for (const std::string* text : {&t.user, &folder})
    if (std::any_of(text->begin(), text->end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7f; }))
      return "the user or folder in the address holds a control character";
  t.folder = folder;
  target = t;
  return {};
}

std::string uploadAddress(const UploadTarget& t) {
  static const char* const schemes[] = {"ftp://", "ftps://", "sftp://"};
  std::string a = schemes[int(t.protocol)];
  if (!t.user.empty()) a += escapePath(t.user) + "@";
  a += t.host.find(':') != std::string::npos ? "[" + t.host + "]" : t.host;
  if (t.port) a += ":" + std::to_string(t.port);
  if (t.protocol == UploadProtocol::Sftp)
    a += startsWith(t.folder, "/") ? escapePath(t.folder) : "/~/" + escapePath(t.folder);
  else
    a += "/" + escapePath(t.folder);
  return a;
}

UploadResult uploadGallery(const std::string& outputFolder, const UploadTarget& target, const UploadOptions& options) {
  if (!curlLibrary()) {
    UploadResult missing;
    missing.failure = UploadFailure::Connect;
    missing.message = "libcurl.so.4, which the upload needs, cannot be loaded";
    return missing;
  }
  BrokenPipeGuard guard;
  return Upload(outputFolder, target, options).run();
}

std::optional<UploadRecord> readUploadRecord(const std::string& recordFolder, const std::string& outputFolder,
                                             std::string* why) {
  const std::string path = recordPath(recordFolder, outputFolder);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  const JsonRead read = readJsonFileCapped(path);
  std::string problem = read.error;
  std::optional<Manifest> manifest;
  const nlohmann::json& j = read.value;
  if (problem.empty() && (!j.is_object() || !j.contains("manifest")))
    problem = "is not an upload record";
  else if (problem.empty())
    manifest = manifestFromJsonValue(j["manifest"], problem);
  UploadRecord r;
  try {
    if (manifest) {
      r.address = j.value("address", "");
      r.timeUtc = j.value("time", "");
      r.complete = j.value("complete", false);
      r.files = j.value("files", 0);
      r.bytes = j.value("bytes", std::uint64_t(0));
      r.remoteSha = j.value("remoteSha", "");
      r.manifest = std::move(*manifest);
      return r;
    }
  } catch (const nlohmann::json::exception&) {
    problem = "has a field of the wrong type";
  }
  if (why) *why = "(" + path + ") " + problem;
  return std::nullopt;
}

}  // namespace pv
