#include "core/layout.h"
