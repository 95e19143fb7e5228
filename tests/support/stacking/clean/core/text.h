#pragma once
#include <string>
#include <quadmath.h>
