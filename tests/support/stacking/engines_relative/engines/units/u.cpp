#include "../finance/f.h"
