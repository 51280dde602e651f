#include "lib/First.h"
