int probe_uikit()
{
    return 1;
}
