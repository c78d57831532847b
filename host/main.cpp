// lt77host: the test host's command line. It sets up queues and runs
// documents through the rendering plug-in as the driver core and the spooler
// would, leaving the spool stream, the journal and the trace on disk.
#include <iostream>
#include <string>
#include <vector>

#include "host/host_commands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return lt77::host::RunCommand(args, std::cout, std::cerr);
}
