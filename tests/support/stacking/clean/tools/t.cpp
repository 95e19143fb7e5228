#include "calculator/x.h"
#include "gif/qt/y.h"
