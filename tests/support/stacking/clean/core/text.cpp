#include "core/text.h"
#include "text.h"
#include "./text.h"
#include <core/text.h>
