#include "../bild.h"
#include "q.h"
#include <QString>
#include <QtCore/QString>
#include <qstring.h>
#include "platform/p.h"
