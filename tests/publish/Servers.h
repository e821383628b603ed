#pragma once
// Real servers for the upload tests: vsftpd (FTP and FTP with TLS) and
// OpenSSH's sshd (SFTP), each on 127.0.0.1 on a free port, with keys and a
// certificate made for the run, and a throwaway system account whose
// password is new for every test and replaced by an unknown one afterwards.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "util/FileSystem.h"

namespace pvtest {

inline constexpr const char* kTestAccount = "pvupload-test";

inline int freePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t n = sizeof a;
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) == 0)
    port = ntohs(a.sin_port);
  close(s);
  return port;
}

inline bool acceptsConnections(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(uint16_t(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

inline std::string randomPassword() {
  std::random_device rd;
  static const char kChars[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789@#%";
  std::string p = "Pw:";
  for (int i = 0; i < 20; ++i) p += kChars[rd() % (sizeof kChars - 1)];
  return p;
}

inline bool setAccountPassword(const std::string& password) {
  return run("echo '" + std::string(kTestAccount) + ":" + password + "' | chpasswd -c SHA512 -s 1000 2>&1; echo $?") == "0\n";
}

// The throwaway account exists with a fresh password; empty when this
// process may not make it (not root).
inline std::string prepareAccount() {
  if (geteuid() != 0) return {};
  if (run(std::string("id -u ") + kTestAccount + " 2>/dev/null").empty())
    run(std::string("useradd --system --no-create-home --home-dir / --shell /usr/sbin/nologin ") +
        kTestAccount + " 2>&1");
  const std::string password = randomPassword();
  return setAccountPassword(password) ? password : std::string();
}

// A server process in its own process group, so that stopping it also ends
// the sessions it forked.
class ServerProcess {
  static std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc", ec)) {
      std::string stat;
      if (!pv::readWholeFile(e.path().string() + "/stat", stat)) continue;
      // "pid (name) state ppid ...": the name may hold blanks and parentheses.
      const size_t close = stat.rfind(')');
      if (close == std::string::npos) continue;
      if (std::atoi(stat.c_str() + close + 4) == parent) children.push_back(std::atoi(stat.c_str()));
    }
    return children;
  }

 public:
  ~ServerProcess() { stop(); }
  // Starts argv, waits until port accepts connections (at most 10 s).
  bool start(const std::vector<std::string>& argv, int port, const std::string& log) {
    stop();
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      FILE* out = std::fopen(log.c_str(), "a");
      if (out) {
        dup2(fileno(out), 1);
        dup2(fileno(out), 2);
      }
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    for (int i = 0; i < 200; ++i) {
      if (acceptsConnections(port)) return true;
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    return false;
  }
  // Ends the server and every session it forked (sessions may leave its
  // process group), as a crash or a reboot of the server would.
  void stop() {
    if (pid_ <= 0) return;
    std::vector<pid_t> all = {pid_};
    for (size_t i = 0; i < all.size(); ++i)
      for (pid_t child : childrenOf(all[i])) all.push_back(child);
    for (pid_t p : all) kill(p, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// vsftpd serving root (the account's login folder, where it is confined),
// FTP and explicit TLS alike.
struct FtpServer {
  ScratchDir dir;
  std::string root;
  std::string certificate;
  std::string password;
  int port = 0;
  ServerProcess process;
  std::string skipReason;

  FtpServer() {
    if (!pv::fileExists("/usr/sbin/vsftpd")) {
      skipReason = "vsftpd is not installed (scripts/setup installs it)";
      return;
    }
    password = prepareAccount();
    if (password.empty()) {
      skipReason = "the FTP tests need root to make their throwaway account";
      return;
    }
    chmod(dir.path().c_str(), 0755);
    root = dir.path() + "root/";
    pv::makeDirectories(root);
    pv::makeDirectories(dir.path() + "empty");
    run("chown " + std::string(kTestAccount) + " '" + root + "'");
    certificate = dir.path() + "server.pem";
    run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
        "-keyout '" + certificate + "' -out '" + certificate + "' 2>/dev/null");
    // Both certificate and key are in server.pem; the client needs the certificate only.
    run("openssl x509 -in '" + certificate + "' -out '" + dir.path() + "ca.pem'");
    port = freePort();
    const int passive = freePort();
    pv::writeWholeFile(dir.path() + "vsftpd.conf",
                       "listen=YES\nlisten_address=127.0.0.1\nlisten_port=" + std::to_string(port) +
                           "\nbackground=NO\nanonymous_enable=NO\nlocal_enable=YES\nwrite_enable=YES\n"
                           "local_umask=022\nlocal_root=" + root +
                           "\nchroot_local_user=YES\nallow_writeable_chroot=YES\ncheck_shell=NO\n"
                           "pam_service_name=picovand-upload-test\nuserlist_enable=NO\n"
                           "seccomp_sandbox=NO\nsecure_chroot_dir=" + dir.path() + "empty\n"
                           "pasv_enable=YES\npasv_address=127.0.0.1\npasv_min_port=" + std::to_string(passive) +
                           "\npasv_max_port=" + std::to_string(passive + 20) +
                           "\nxferlog_enable=NO\nssl_enable=YES\nrsa_cert_file=" + certificate +
                           "\nrsa_private_key_file=" + certificate +
                           "\nforce_local_logins_ssl=NO\nforce_local_data_ssl=NO\nssl_ciphers=HIGH\n"
                           "require_ssl_reuse=NO\nmax_per_ip=50\nmax_clients=50\n");
    if (!start()) skipReason = "vsftpd did not start; its log: " + log();
  }
  ~FtpServer() { setAccountPassword(randomPassword()); }

  bool start() { return process.start({"/usr/sbin/vsftpd", dir.path() + "vsftpd.conf"}, port, dir.path() + "vsftpd.log"); }
  void stop() { process.stop(); }
  std::string log() const {
    std::string text;
    pv::readWholeFile(dir.path() + "vsftpd.log", text);
    return text;
  }
  std::string caFile() const { return dir.path() + "ca.pem"; }
};

// sshd with its own host key and configuration; the account logs in with
// its key or its password and gets SFTP only, starting in home.
struct SftpServer {
  ScratchDir dir;
  std::string home;
  std::string userKey;
  std::string knownHosts;  // holds the host key
  std::string password;
  int port = 0;
  ServerProcess process;
  std::string skipReason;

  SftpServer() {
    if (!pv::fileExists("/usr/sbin/sshd") || !pv::fileExists("/usr/bin/ssh-keygen")) {
      skipReason = "OpenSSH's sshd is not installed (scripts/setup installs it)";
      return;
    }
    password = prepareAccount();
    if (password.empty()) {
      skipReason = "the SFTP tests need root to make their throwaway account and run sshd";
      return;
    }
    chmod(dir.path().c_str(), 0755);
    home = dir.path() + "home/";
    pv::makeDirectories(home);
    pv::makeDirectories("/run/sshd");  // sshd's privilege separation folder
    run("chown " + std::string(kTestAccount) + " '" + home + "'");
    run("ssh-keygen -q -t ed25519 -N '' -C test-host -f '" + dir.path() + "host_key'");
    run("ssh-keygen -q -t ed25519 -N '' -C test-user -f '" + dir.path() + "user_key'");
    userKey = dir.path() + "user_key";
    std::string pub;
    pv::readWholeFile(userKey + ".pub", pub);
    pv::writeWholeFile(dir.path() + "authorized_keys", pub);
    port = freePort();
    std::string hostPub;
    pv::readWholeFile(dir.path() + "host_key.pub", hostPub);
    knownHosts = dir.path() + "known_hosts";
    pv::writeWholeFile(knownHosts, "[127.0.0.1]:" + std::to_string(port) + " " + hostPub);
    pv::writeWholeFile(dir.path() + "sshd_config",
                       "Port " + std::to_string(port) + "\nListenAddress 127.0.0.1\nHostKey " + dir.path() +
                           "host_key\nPidFile none\nAuthorizedKeysFile " + dir.path() +
                           "authorized_keys\nStrictModes no\nUsePAM no\nPasswordAuthentication yes\n"
                           "KbdInteractiveAuthentication no\nPermitRootLogin no\nAllowUsers " + kTestAccount +
                           "\nSubsystem sftp internal-sftp\nForceCommand internal-sftp -d " + home +
                           "\nLogLevel ERROR\nMaxStartups 50\n");
    if (!process.start({"/usr/sbin/sshd", "-D", "-e", "-f", dir.path() + "sshd_config"}, port, dir.path() + "sshd.log"))
      skipReason = "sshd did not start; its log: " + log();
  }
  ~SftpServer() { setAccountPassword(randomPassword()); }

  std::string log() const {
    std::string text;
    pv::readWholeFile(dir.path() + "sshd.log", text);
    return text;
  }
  // The host key's fingerprint as ssh-keygen shows it.
  std::string fingerprint() const {
    const std::string line = run("ssh-keygen -lf '" + dir.path() + "host_key.pub'");
    const size_t start = line.find("SHA256:");
    return start == std::string::npos ? std::string() : line.substr(start, line.find(' ', start) - start);
  }
};

}  // namespace pvtest
