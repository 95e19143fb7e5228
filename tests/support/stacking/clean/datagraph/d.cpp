#include "../graph/s.h"
#include "datagraph/d.h"
