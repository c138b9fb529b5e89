#include "tools/synth/synthetic.h"

namespace pnt::synth {

Result<void> write_synthetic(const std::filesystem::path& /*dir*/) {
  return fail("not implemented yet");
}

}  // namespace pnt::synth
