#pragma once
// Whole-file reads and writes for the tests that look at files byte for byte.
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace jinro::test_files {

inline std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void spit(const std::string& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace jinro::test_files
