int probe_high()
{
    return 1;
}
