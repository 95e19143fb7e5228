#pragma once
#include "platform/form.h"
