#include "fstmap/builder.h"
