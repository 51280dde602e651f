#include "lib/First.h"

int main()
{
    First first;
    return first.metaObject() ? 0 : 1;
}
