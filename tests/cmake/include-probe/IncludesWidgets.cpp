// Built only by the test that expects this to fail.
#include <QtWidgets/QPushButton>

int probeButtonWidth()
{
    return QPushButton().width();
}
