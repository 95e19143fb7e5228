#pragma once
#include <QWidget>
#include <qcustomplot.h>
#include "engines/units/u.h"
