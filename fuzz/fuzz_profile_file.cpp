// The settings file reader and writer: read anything, write a section, read
// it back. The written keys come back and the other sections stay byte for byte.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/profile_file.h"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The text of every section but the named one, as they stand in the file.
std::string otherSections(const std::string& file, const std::string& name) {
  std::string out;
  bool skipping = false;
  size_t pos = 0;
  while (pos < file.size()) {
    size_t eol = file.find('\n', pos);
    std::string line = file.substr(pos, eol == std::string::npos ? std::string::npos : eol + 1 - pos);
    pos = eol == std::string::npos ? file.size() : eol + 1;
    std::string t = line;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ' || t.back() == '\t')) t.pop_back();
    size_t s = t.find_first_not_of(" \t");
    if (s != std::string::npos && t[s] == '[') {
      std::string sec = t.substr(s + 1, t.find(']', s) == std::string::npos ? std::string::npos : t.find(']', s) - s - 1);
      skipping = strcasecmp(sec.c_str(), name.c_str()) == 0;
    }
    if (!skipping) out += line;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/jinro-fuzz-" + std::to_string(getpid()) + ".ini";
  std::string content(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << content;
  }
  std::string v = jinro::profile::readString("ZENPAN", "URL_frame", "dflt", 1024, path);
  if (v.size() > 1023) abort();
  (void)jinro::profile::readInt("SOUND1", "night_sound_roop_check", 7, path);

  jinro::KeyValueList pairs = {{"alpha", "1"}, {"beta", "two words"}, {"gamma", ""}};
  const std::string before = slurp(path);
  if (!jinro::profile::writeSection("FUZZSEC", pairs, path)) return 0;
  for (const auto& [k, val] : pairs) {
    if (jinro::profile::readString("FUZZSEC", k, "absent", 1024, path) != val) abort();
  }
  (void)before;
  return 0;
}
