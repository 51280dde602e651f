int probe_shell()
{
    return 1;
}
