#include "util/FileSystem.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/core_names.h>
#include <openssl/params.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "records/FileRecord.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace pv {

bool readWholeFile(const std::string& path, std::string& content, std::uint64_t maxBytes) {
  content.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_size) <= maxBytes;
  if (ok) {
    // One byte more than the file holds, so that reading to its end takes no
    // second allocation and copy of the whole content.
    content.resize(size_t(std::min<std::uint64_t>(maxBytes, std::uint64_t(st.st_size) + 1)));
    size_t got = 0;
    // The file may grow or shrink while it is read: take what is there, up to the cap.
    for (;;) {
      if (got == content.size()) {
        if (content.size() >= maxBytes) break;
        content.resize(std::min<std::uint64_t>(maxBytes, content.size() + 65536));
      }
      const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      got += size_t(n);
    }
    content.resize(got);
    if (!ok) content.clear();
  }
  ::close(fd);
  return ok;
}

bool readFilePart(const std::string& path, std::uint64_t offset, size_t length, std::string& content,
                  std::uint64_t& fileSize) {
  content.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    fileSize = std::uint64_t(st.st_size);
    content.resize(offset < fileSize ? size_t(std::min<std::uint64_t>(length, fileSize - offset)) : 0);
    size_t got = 0;
    while (got < content.size()) {
      const ssize_t n = ::pread(fd, content.data() + got, content.size() - got, off_t(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      got += size_t(n);
    }
    content.resize(ok ? got : 0);
  }
  ::close(fd);
  return ok;
}

std::string fileProblem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
  return S_ISREG(st.st_mode) ? std::string() : "is not a regular file";
}

bool writeWholeFile(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      errno = error;
      return false;
    }
    done += size_t(n);
  }
  // A full disk may only show when the file is closed (network and some
  // local file systems write late).
  return ::close(fd) == 0;
}

namespace {
bool syncToDisk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}
}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& content, bool durable) {
  static std::atomic<unsigned> counter{0};
  std::string tmp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  if (!writeWholeFile(tmp, content) || (durable && !syncToDisk(tmp))) {
    const int error = errno;
    ::unlink(tmp.c_str());
    errno = error;
    return false;
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(tmp.c_str());
    errno = error;
    return false;
  }
  if (durable) syncToDisk(fs::path(path).parent_path().empty() ? "." : fs::path(path).parent_path().string());
  return true;
}

bool writeFileIfDifferent(const std::string& path, const std::string& content) {
  std::string existing;
  if (fileSizeOf(path) == content.size() && readWholeFile(path, existing) && existing == content) return true;
  return writeFileAtomically(path, content);
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool directoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool makeDirectory(const std::string& path) {
  std::error_code ec;
  fs::create_directory(path, ec);
  return directoryExists(path);
}

bool makeDirectories(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return directoryExists(path);
}

bool copyFileReplacing(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) errno = ec.value();
  return !ec;
}

std::uint64_t fileSizeOf(const std::string& path) {
  std::error_code ec;
  auto n = fs::file_size(path, ec);
  return ec ? 0 : std::uint64_t(n);
}

FileStamp fileStampOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  auto ns = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
  return {std::uint64_t(st.st_ino), ns(st.st_mtim), ns(st.st_ctim)};
}

bool staysBelow(const std::string& folder, const std::string& relative) {
  if (!isSafeRelativePath(relative)) return false;
  std::string path = withSlash(folder);
  size_t start = 0;
  while (start < relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    path.append(relative, start, end - start);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (S_ISLNK(st.st_mode)) return false;
    if (end < relative.size() && !S_ISDIR(st.st_mode)) return false;
    path += '/';
    start = end + 1;
  }
  return true;
}

bool staysBelowFolder(const std::string& folder, const std::string& path) {
  const std::string base = withSlash(folder);
  return path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
         staysBelow(base, path.substr(base.size()));
}

std::vector<DirEntry> listDirectory(const std::string& folder) {
  std::vector<DirEntry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    entries.push_back({it->path().filename().string(), it->is_directory(ec2)});
  }
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

std::string fileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string executableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  std::string folder = exe.parent_path().string();
  return folder.empty() || folder.back() != '/' ? folder + "/" : folder;
}

namespace {

struct DigestDeleter {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using Digest = std::unique_ptr<EVP_MD_CTX, DigestDeleter>;

Digest newDigest() {
  Digest d(EVP_MD_CTX_new());
  if (d && EVP_DigestInit_ex(d.get(), EVP_sha256(), nullptr) != 1) d.reset();
  return d;
}

std::string hexOf(const unsigned char* bytes, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < n; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

std::string finishHex(EVP_MD_CTX* d) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  if (EVP_DigestFinal_ex(d, out, &n) != 1) return {};
  return hexOf(out, n);
}

}  // namespace

std::string sha256OfFile(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  Digest d = newDigest();
  if (!f || !d) return {};
  std::vector<char> buffer(1 << 16);
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), f.get())) > 0) EVP_DigestUpdate(d.get(), buffer.data(), n);
  if (std::ferror(f.get())) return {};
  return finishHex(d.get());
}

std::string sha256OfText(const std::string& text) {
  Digest d = newDigest();
  if (!d) return {};
  EVP_DigestUpdate(d.get(), text.data(), text.size());
  return finishHex(d.get());
}

std::string hmacSha256Hex(std::string_view key, std::string_view text) {
  // Looked up once: a build keys a digest for every output, and finding the
  // algorithm by name costs more than a short digest.
  static EVP_MAC* const hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  std::unique_ptr<EVP_MAC_CTX, void (*)(EVP_MAC_CTX*)> context(hmac ? EVP_MAC_CTX_new(hmac) : nullptr,
                                                                EVP_MAC_CTX_free);
  char sha256[] = "SHA256";
  const OSSL_PARAM parameters[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, sha256, 0),
                                   OSSL_PARAM_construct_end()};
  unsigned char out[EVP_MAX_MD_SIZE];
  size_t n = 0;
  if (!context ||
      !EVP_MAC_init(context.get(), reinterpret_cast<const unsigned char*>(key.data()), key.size(), parameters) ||
      !EVP_MAC_update(context.get(), reinterpret_cast<const unsigned char*>(text.data()), text.size()) ||
      !EVP_MAC_final(context.get(), out, &n, sizeof out))
    return {};
  return hexOf(out, n);
}

std::string userSecret(const std::string& path, bool create) {
  auto valid = [](const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
  };
  std::string secret;
  if (readWholeFile(path, secret, 64) && valid(secret)) return secret;
  if (!create) return {};
  unsigned char bytes[32];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return {};
  secret = hexOf(bytes, sizeof bytes);
  // The state folder is made when something is first written into it.
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  // Made once: a second process that raced us keeps the first one's secret.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return readWholeFile(path, secret, 64) && valid(secret) ? secret : std::string();
  const bool ok = ::write(fd, secret.data(), secret.size()) == ssize_t(secret.size()) && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok) ::unlink(path.c_str());
  return ok ? secret : std::string();
}

}  // namespace pv
