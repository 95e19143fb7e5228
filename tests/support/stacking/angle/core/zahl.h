#pragma once
#include <platform/p.h>
