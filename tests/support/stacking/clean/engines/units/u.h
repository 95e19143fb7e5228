#pragma once
#include "../../core/text.h"
