#include "core/legal.h"
