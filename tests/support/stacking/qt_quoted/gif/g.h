#pragma once
#  include "QByteArray"
