#include "../calculator/k.h"
