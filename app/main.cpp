// The program's entry: run the dictionary, or report why it stopped.
#include <cstdio>

#include "app/run.h"
#include "base/error.h"
#include "embedded/blobs.h"

int main() {
  const pnt::Result<void> result = pnt::run(pnt::embedded::blobs());
  if (!result) {
    // The terminal is back to normal (or was never touched) when the report is written.
    std::fputs(pnt::format_report(result.error()).c_str(), stderr);
    return 1;
  }
  return 0;
}
