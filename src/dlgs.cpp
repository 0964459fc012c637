// The auxiliary windows: ticker dialog, About box, help viewer.
#include "tavrin.h"

plat::Window hAbout = nullptr;
