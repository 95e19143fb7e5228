#include "graph/skal.h"
