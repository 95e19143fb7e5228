#include "../imagefile/bild.h"
#include "imagefile/bild.h"
