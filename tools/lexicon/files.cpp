#include "lexicon/files.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace pnt::lexicon {

Result<std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return fail("cannot read " + path);
  }
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Result<void> write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    return fail("cannot write " + path);
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    return fail("cannot write " + path);
  }
  return {};
}

}  // namespace pnt::lexicon
