// Added to the presenter only by the probe of an include across unlinked libraries.
#include "other/Other.h"

int probeUsesOther()
{
    return probeOther();
}
