#include "app/save_failure_notice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/main_window.h"
#include "settings/profile_file.h"

namespace jinro {

bool noteSettingsSave(ClientController& c, bool saved) {
  if (saved) return true;
  std::fprintf(stderr, "jinro-client: the settings could not be saved to jinro.ini\n");
  if (c.settingsSaveFailureShown == 0 && c.ports.shell != nullptr) {
    c.settingsSaveFailureShown = 1;  // before the box: saves made while it is open count as told
    c.ports.shell->showMessageBox(kSaveFailureText, kSaveFailureCaption, MessageIcon::error);
  }
  return false;
}

bool settingsFileWritable(const std::string& path, std::string& why) {
  struct stat st {};
  off_t size = 0;
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      why = path + " is not a regular file";
      return false;
    }
    size = st.st_size;
  } else if (errno != ENOENT) {
    why = path + ": " + std::strerror(errno);
    return false;
  }
  // A nameless file in the folder where the filesystem has them, so that a
  // client killed meanwhile leaves nothing behind; a named one otherwise.
  std::vector<char> name;
  int fd = ::open(profile::directoryOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    const std::string probe = path + ".probe-XXXXXX";
    name.assign(probe.begin(), probe.end());
    name.push_back('\0');
    fd = ::mkstemp(name.data());
  }
  if (fd < 0) {
    why = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  // As much as a save writes, and some room for what it adds.
  const std::vector<char> block(4096, ' ');
  off_t left = size + static_cast<off_t>(block.size());
  bool ok = true;
  while (ok && left > 0) {
    const size_t n = static_cast<size_t>(std::min<off_t>(left, static_cast<off_t>(block.size())));
    const ssize_t w = ::write(fd, block.data(), n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false;
    else left -= w;
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (!ok) why = "cannot write beside " + path + ": " + std::strerror(errno);
  ::close(fd);
  if (!name.empty()) ::unlink(name.data());
  return ok;
}

bool checkSettingsWritable(ClientController& c, const std::string& path) {
  std::string why;
  if (settingsFileWritable(path, why)) return true;
  std::fprintf(stderr, "jinro-client: %s\n", why.c_str());
  return noteSettingsSave(c, false);
}

}  // namespace jinro
