#pragma once
#include <qstring.h>
