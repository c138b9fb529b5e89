// pnt-fst: builds, inspects and checks fst maps. Keys are written in the escaped text form
// (printable ASCII as itself, other bytes as \xHH) so that any byte string round-trips.
#include <stdio.h>  // getline

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "fstmap/builder.h"
#include "fstmap/escape.h"
#include "fstmap/map.h"

namespace pnt::fst {
namespace {

constexpr std::string_view USAGE =
    "usage: pnt-fst build OUT | dump IN | get IN KEY | prefix IN PREFIX | len IN | verify IN";

std::string one_line(const Error& error) {
  std::string line;
  for (const std::string& text : error.texts()) {
    if (!line.empty()) {
      line += ": ";
    }
    line += text;
  }
  return line;
}

// Standard output, written in large blocks since a dump can be millions of lines.
class Output {
 public:
  ~Output() { flush(); }
  std::string& text() { return text_; }
  void maybe_flush() {
    if (text_.size() >= (std::size_t{1} << 16)) {
      flush();
    }
  }
  void flush() {
    std::fwrite(text_.data(), 1, text_.size(), stdout);
    text_.clear();
  }

 private:
  std::string text_;
};

Result<std::vector<std::uint8_t>> read_file(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return fail(std::string("cannot open ") + path + ": " + std::strerror(errno));
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    return fail(std::string("cannot read ") + path);
  }
  return bytes;
}

Result<void> build(const char* out_path) {
  std::FILE* out = std::fopen(out_path, "wb");
  if (out == nullptr) {
    return fail(std::string("cannot create ") + out_path + ": " + std::strerror(errno));
  }
  FileSink sink(out);
  MapBuilder builder(sink);
  char* line = nullptr;
  std::size_t capacity = 0;
  ssize_t length = 0;
  std::uint64_t line_no = 0;
  std::vector<std::uint8_t> key;
  Result<void> result;
  while ((length = ::getline(&line, &capacity, stdin)) >= 0) {
    ++line_no;
    std::string_view text(line, static_cast<std::size_t>(length));
    if (!text.empty() && text.back() == '\n') {
      text.remove_suffix(1);
    }
    const std::size_t tab = text.find('\t');
    if (tab == std::string_view::npos) {
      result = fail("line " + std::to_string(line_no) + ": no TAB between key and value");
      break;
    }
    if (auto r = unescape_key(text.substr(0, tab), key); !r) {
      result = fail(std::move(r.error()).context("line " + std::to_string(line_no)));
      break;
    }
    const auto value = parse_value(text.substr(tab + 1));
    if (!value) {
      result = fail("line " + std::to_string(line_no) + ": bad value");
      break;
    }
    if (auto r = builder.insert(Bytes(key), *value); !r) {
      result = fail(std::move(r.error()).context("line " + std::to_string(line_no)));
      break;
    }
  }
  std::free(line);
  if (result) {
    result = builder.finish();
  }
  const bool closed = std::fclose(out) == 0;
  if (result && !closed) {
    result = fail(std::string("cannot write ") + out_path);
  }
  if (!result) {
    std::remove(out_path);
  }
  return result;
}

void print_stream(Stream stream) {
  Output out;
  while (stream.next()) {
    append_escaped(out.text(), stream.key());
    out.text() += '\t';
    out.text() += std::to_string(stream.value());
    out.text() += '\n';
    out.maybe_flush();
  }
}

Result<void> run(int argc, char** argv) {
  if (argc < 3) {
    return fail(std::string(USAGE));
  }
  const std::string_view command = argv[1];
  const char* path = argv[2];
  const int expected_args = (command == "get" || command == "prefix") ? 4 : 3;
  if (argc != expected_args) {
    return fail(std::string(USAGE));
  }
  if (command == "build") {
    return build(path);
  }
  if (command != "dump" && command != "get" && command != "prefix" && command != "len" &&
      command != "verify") {
    return fail("unknown command " + std::string(command) + "; " + std::string(USAGE));
  }
  auto bytes = read_file(path);
  if (!bytes) {
    return fail(std::move(bytes.error()));
  }
  auto map = Map::open(*bytes);
  if (!map) {
    return fail(std::move(map.error()).context(path));
  }
  if (command == "len") {
    std::printf("%llu\n", static_cast<unsigned long long>(map->len()));
    return {};
  }
  if (command == "verify") {
    if (auto r = map->verify(); !r) {
      return fail(std::move(r.error()).context(path));
    }
    std::puts("ok");
    return {};
  }
  if (command == "dump") {
    print_stream(map->stream());
    return {};
  }
  std::vector<std::uint8_t> key;
  if (auto r = unescape_key(argv[3], key); !r) {
    return fail(std::move(r.error()));
  }
  if (command == "prefix") {
    print_stream(map->prefix(Bytes(key)));
    return {};
  }
  const auto value = map->get(Bytes(key));
  if (!value) {
    return fail("key not found: " + escape_key(key));
  }
  std::printf("%llu\n", static_cast<unsigned long long>(*value));
  return {};
}

}  // namespace
}  // namespace pnt::fst

int main(int argc, char** argv) {
  auto result = pnt::fst::run(argc, argv);
  if (std::fflush(stdout) != 0 && result) {
    result = pnt::fail("cannot write standard output");
  }
  if (!result) {
    std::fprintf(stderr, "pnt-fst: %s\n", pnt::fst::one_line(result.error()).c_str());
    return 1;
  }
  return 0;
}
