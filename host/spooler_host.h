// The spooler as the test host plays it for the port monitor: monlt77 is
// loaded through its export with a MONITORINIT of the host's, the host's
// lower monitor goes underneath, each queue's port is opened at the queue's
// first job and kept open (so that its status thread runs) until the host
// stops, and the jobs spooled to the queue (by the rendering plug-in or as
// raw documents) are sent through the monitor in spooler-sized buffers.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace lt77::host {

struct SpoolerHostOptions {
    std::string monitorPath;          // monlt77.so
    std::vector<std::string> queues;  // each with its port in its queue file
    bool once = false;                // stop when no job is left to send
    unsigned writeBytes = 16384;      // the size of each WritePort buffer
    unsigned pollMs = 200;            // how often the queues are looked at
};

// Runs until `stop` is set (or, with `once`, until nothing is left to send).
// Writes one line per job to `out`. Returns a process exit code.
int RunSpoolerHost(const SpoolerHostOptions& options, const std::atomic<bool>& stop, std::ostream& out,
                   std::ostream& err);

// The host's table of port settings ("host/port-settings.ini"): network
// address and TCP port, the device double's status byte and device id.
void SetPortSetting(const std::string& port, const std::string& key, const std::string& value);

// Marks a spooled job as complete, so that the spooler host may send it.
void MarkJobSpooled(const std::string& queue, unsigned jobId);

// The port status the monitor gave the spooler for a port, as text
// ("7 severity 1"), and a line per job left in the queue.
std::string DescribePortStatus(const std::string& port);
std::vector<std::string> DescribeJobs(const std::string& queue);

}  // namespace lt77::host
