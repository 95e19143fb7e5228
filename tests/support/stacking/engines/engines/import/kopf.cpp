#include "engines/finance/f.h"
