// The program's data for the end-to-end tests: the fixture lexicon, written in memory at
// start-up, instead of the data set compiled into the real program.
#include "embedded/blobs.h"
#include "tests/support/fixture.h"

namespace pnt::embedded {

DataBlobs blobs() { return testing::data_blobs(testing::default_blobs()); }

}  // namespace pnt::embedded
