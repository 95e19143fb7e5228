#include "u.h"
#include "engines/units/u.h"
#include <core/text.h>  // comment
