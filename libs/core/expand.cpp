#include "core/expand.h"
