#include "qt/q.h"
