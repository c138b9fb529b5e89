#include "core/morphology.h"
