#include "format/gloss.h"
