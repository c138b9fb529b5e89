#include "core/view.h"
