#include "other/Other.h"

int probeOther()
{
    return 3;
}
