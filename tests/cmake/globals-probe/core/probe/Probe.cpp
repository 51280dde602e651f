// Reaches the store through a process-wide accessor: the check must name this file.
void probe()
{
    Store::defaultStore()->mainContext();
}
