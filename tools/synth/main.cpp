// pnt-synth: writes a data set in the program's formats.
//   pnt-synth --fixture OUTDIR   the small lexicon of the tests
//   pnt-synth OUTDIR             a synthetic lexicon at the size of the real one, for benchmarks
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/error.h"
#include "tools/synth/fixture_table.h"
#include "tools/synth/lexicon_table.h"
#include "tools/synth/synthetic.h"

namespace {

int usage() {
  std::fputs("usage: pnt-synth [--fixture] OUTDIR\n", stderr);
  return 2;
}

pnt::Result<void> write_fixture(const std::filesystem::path& dir) {
  pnt::Result<pnt::synth::LexiconBlobs> blobs =
      pnt::synth::write_lexicon(pnt::synth::fixture_table(), 19);
  if (!blobs) {
    return pnt::fail(std::move(blobs.error()));
  }
  return pnt::synth::write_blob_files(*blobs, dir);
}

}  // namespace

int main(int argc, char** argv) {
  bool fixture = false;
  const char* dir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fixture") == 0) {
      fixture = true;
    } else if (dir == nullptr && argv[i][0] != '-') {
      dir = argv[i];
    } else {
      return usage();
    }
  }
  if (dir == nullptr) {
    return usage();
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "Error: cannot create %s: %s\n", dir, ec.message().c_str());
    return 1;
  }
  const pnt::Result<void> done = fixture ? write_fixture(dir) : pnt::synth::write_synthetic(dir);
  if (!done) {
    std::fputs(pnt::format_report(done.error()).c_str(), stderr);
    return 1;
  }
  return 0;
}
