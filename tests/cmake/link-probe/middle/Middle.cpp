int probeMiddle()
{
    return 1;
}
