int probe_plain()
{
    return 1;
}
