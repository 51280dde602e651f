int probe_window()
{
    return 1;
}
