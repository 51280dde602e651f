int probePresenter()
{
    return 2;
}
