#include "util/FileSystem.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace pv {

bool readWholeFile(const std::string& path, std::string& content) {
  content.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  // Read in one piece of the size the file has; one that grows meanwhile is
  // still read to its end, one that shrinks ends where it ends.
  content.resize(S_ISREG(st.st_mode) ? size_t(st.st_size) : 0);
  size_t have = 0;
  char more[65536];
  bool ok = true;
  for (;;) {
    const bool inPlace = have < content.size();
    const ssize_t n = inPlace ? ::read(fd, content.data() + have, content.size() - have) : ::read(fd, more, sizeof more);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (inPlace)
      have += size_t(n);
    else
      content.append(more, size_t(n)), have = content.size();
  }
  ::close(fd);
  content.resize(ok ? have : 0);
  return ok;
}

bool writeWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(content.data(), std::streamsize(content.size()));
  out.close();
  return !out.fail();
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
    std::error_code ec;
    fs::remove(tmp, ec);
    return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    fs::remove(tmp, ec);
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
  return !ec;
}

std::uint64_t fileSizeOf(const std::string& path) {
  std::error_code ec;
  auto n = fs::file_size(path, ec);
  return ec ? 0 : std::uint64_t(n);
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

std::string finishHex(EVP_MD_CTX* d) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  if (EVP_DigestFinal_ex(d, out, &n) != 1) return {};
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned i = 0; i < n; ++i) {
    hex += digits[out[i] >> 4];
    hex += digits[out[i] & 15];
  }
  return hex;
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

}  // namespace pv
