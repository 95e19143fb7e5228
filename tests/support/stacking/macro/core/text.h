#pragma once
#define KOPF <string>
#include KOPF
