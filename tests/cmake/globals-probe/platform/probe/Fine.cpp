// Qt's own application object is not a service of ours: the check leaves this file alone.
void fine()
{
    QCoreApplication::instance()->quit();
}
