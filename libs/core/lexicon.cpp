#include "core/lexicon.h"
