#include "fstmap/map.h"
