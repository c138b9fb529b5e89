#include "format/multi.h"
