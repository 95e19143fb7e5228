#include "finance/spar_rechner.h"
