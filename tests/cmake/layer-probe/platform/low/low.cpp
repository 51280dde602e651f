int probe_low()
{
    return 1;
}
