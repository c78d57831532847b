// lt77soak: the two ends of the soak run (scripts/soak.sh).
//
//   lt77soak feed --seconds S --interval-ms M [--backlog B] [--seed N] QUEUE...
//     writes raw jobs to the queues in turn, as an application does
//     (StartDocPrinter, WritePrinter, EndDocPrinter on the host's store),
//     every M ms to each queue that holds fewer than B jobs (default 2), so
//     that no queue runs dry and none grows without end, until S seconds
//     have passed or it is stopped; one line per job on stdout:
//     "fed QUEUE ID BYTES".
//   lt77soak check --queue Q --printed DIR --fed FILE
//     compares what the queue's virtual printer received (DIR/job-*.prn) with
//     what was spooled (the queue's spool files), in the order the queue's
//     jobs left it (its done.log): a printed job arrived whole, a deleted job
//     arrived as a prefix or not at all, and nothing arrived twice or unasked.
//
// Each job's bytes begin "SOAK <queue> JOB <id> BYTES <n>" and carry
// numbered lines, so a byte lost, doubled or moved shows at its place.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/utf.h"
#include "platform/posix/queue_store.h"
#include "platform/print_documents.h"
#include "platform/spooler.h"

namespace {

namespace fs = std::filesystem;
using lt77::DWORD;
using Bytes = std::vector<uint8_t>;

constexpr DWORD kPrinterAccessUse = 0x8;
constexpr uint8_t kEnableStatus[] = {0x1D, 0x61, 0xFF, 0x00};

std::atomic<bool> g_stop{false};

std::map<std::string, std::string> Options(int argc, char** argv, std::vector<std::string>& rest)
{
    std::map<std::string, std::string> options;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) == 0 && i + 1 < argc)
            options[a] = argv[++i];
        else
            rest.push_back(a);
    }
    return options;
}

Bytes Payload(const std::string& queue, DWORD id, std::mt19937& random)
{
    // Mostly receipt-sized jobs, now and then one of several network chunks.
    const size_t lines = random() % 8 == 0 ? 200 + random() % 600 : 4 + random() % 60;
    std::string text;
    char line[96];
    for (size_t n = 1; n <= lines; ++n) {
        std::snprintf(line, sizeof(line), "%s J%06u L%04zu ITEM %08X %-24s\n", queue.c_str(),
                      static_cast<unsigned>(id), n, static_cast<unsigned>(random()), "........................");
        text += line;
    }
    std::snprintf(line, sizeof(line), "SOAK %s JOB %u BYTES ", queue.c_str(), static_cast<unsigned>(id));
    std::string head = line;
    // The size counts the head itself.
    size_t total = head.size() + text.size() + 2;
    for (int round = 0; round < 3; ++round) total = head.size() + std::to_string(total).size() + 1 + text.size();
    head += std::to_string(total) + "\n";
    text.insert(0, head);
    return Bytes(text.begin(), text.end());
}

// Jobs still in the queue: being written, or waiting for the spooler.
long Waiting(const std::string& queue)
{
    long jobs = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(lt77::posix::QueueFolder(queue) / "jobs", ec))
        jobs += entry.path().extension() == ".ini";
    return jobs;
}

int Feed(int argc, char** argv)
{
    std::vector<std::string> queues;
    auto options = Options(argc, argv, queues);
    const long seconds = std::stol(options.count("--seconds") ? options["--seconds"] : "60");
    const long intervalMs = std::stol(options.count("--interval-ms") ? options["--interval-ms"] : "1000");
    const long backlog = std::stol(options.count("--backlog") ? options["--backlog"] : "2");
    std::mt19937 random(static_cast<unsigned>(std::stoul(options.count("--seed") ? options["--seed"] : "77")));
    if (queues.empty()) {
        std::cerr << "lt77soak feed: name the queues\n";
        return 2;
    }
    std::signal(SIGTERM, [](int) { g_stop.store(true); });
    std::signal(SIGINT, [](int) { g_stop.store(true); });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    const auto pause = std::chrono::milliseconds(std::max<long>(1, intervalMs));
    unsigned long jobs = 0, bytes = 0, failures = 0;
    while (!g_stop.load() && std::chrono::steady_clock::now() < end) {
        for (const auto& queue : queues) {
            if (g_stop.load()) break;
            if (Waiting(queue) >= backlog) continue;
            DWORD error = 0;
            auto printer = lt77::SystemSpooler().OpenQueue(lt77::Utf8ToUtf16(queue), kPrinterAccessUse, error);
            auto& documents = lt77::SystemPrintDocuments();
            DWORD id = 0;
            if (!printer || documents.StartDoc(printer->Native(), {u"soak", u"", u"RAW"}, id) != 0) {
                std::cerr << "lt77soak feed: " << queue << ": no document (error " << error << ")\n";
                ++failures;
                continue;
            }
            const Bytes payload = Payload(queue, id, random);
            DWORD written = 0;
            const bool ok = documents.StartPage(printer->Native()) == 0 &&
                            documents.Write(printer->Native(), payload, written) == 0 && written == payload.size() &&
                            documents.EndPage(printer->Native()) == 0;
            if (documents.EndDoc(printer->Native()) != 0 || !ok) {
                std::cerr << "lt77soak feed: " << queue << " job " << id << ": not spooled whole\n";
                ++failures;
                continue;
            }
            std::cout << "fed " << queue << ' ' << id << ' ' << payload.size() << std::endl;
            ++jobs;
            bytes += payload.size();
        }
        std::this_thread::sleep_for(pause);
    }
    std::cerr << "lt77soak feed: " << jobs << " jobs, " << bytes << " bytes, " << failures << " failures\n";
    return failures == 0 ? 0 : 1;
}

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The printer keeps the status enable command in a job's file; the job's
// sender never wrote it there.
Bytes WithoutEnable(const Bytes& bytes)
{
    Bytes out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i + 4 <= bytes.size() && std::equal(kEnableStatus, kEnableStatus + 4, bytes.begin() + i)) {
            i += 3;
            continue;
        }
        out.push_back(bytes[i]);
    }
    return out;
}

bool IsPrefix(const Bytes& part, const Bytes& whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

int Check(int argc, char** argv)
{
    std::vector<std::string> rest;
    auto options = Options(argc, argv, rest);
    const std::string queue = options["--queue"];
    const fs::path printed = options["--printed"];
    if (queue.empty() || printed.empty() || !options.count("--fed")) {
        std::cerr << "lt77soak check: --queue Q --printed DIR --fed FILE\n";
        return 2;
    }
    std::set<DWORD> fed;
    {
        std::ifstream in(options["--fed"]);
        std::string word, q;
        DWORD id = 0;
        size_t size = 0;
        while (in >> word >> q >> id >> size)
            if (word == "fed" && q == queue) fed.insert(id);
    }
    std::vector<std::pair<DWORD, std::string>> done;
    {
        std::ifstream in(lt77::posix::QueueFolder(queue) / "done.log");
        DWORD id = 0;
        std::string verb;
        while (in >> id >> verb) done.emplace_back(id, verb);
    }
    std::vector<fs::path> jobFiles;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(printed, ec))
        if (entry.path().extension() == ".prn") jobFiles.push_back(entry.path());
    std::sort(jobFiles.begin(), jobFiles.end());

    std::vector<std::string> problems;
    const auto problem = [&](const std::string& text) {
        if (problems.size() < 20) problems.push_back(text);
    };
    unsigned long printedJobs = 0, cutShort = 0, refused = 0, others = 0, spooledBytes = 0, receivedBytes = 0;
    std::set<DWORD> seen;
    size_t next = 0;
    for (const auto& [id, verb] : done) {
        if (!seen.insert(id).second) problem("job " + std::to_string(id) + " left the queue twice");
        if (fed.count(id) == 0) ++others;
        const Bytes expected = WithoutEnable(ReadAll(lt77::posix::SpoolFile(queue, id)));
        spooledBytes += expected.size();
        const Bytes got = next < jobFiles.size() ? WithoutEnable(ReadAll(jobFiles[next])) : Bytes{};
        if (verb == "printed") {
            if (expected.empty()) continue;
            if (next >= jobFiles.size() || got != expected) {
                problem("job " + std::to_string(id) + " printed, but the printer's " +
                        (next < jobFiles.size() ? jobFiles[next].filename().string() + " differs (" +
                                                      std::to_string(got.size()) + " of " +
                                                      std::to_string(expected.size()) + " bytes)"
                                                : std::string("jobs ran out")));
            } else {
                receivedBytes += got.size();
                ++printedJobs;
                ++next;
            }
        } else if (verb == "deleted") {
            // A job deleted on its way arrived as the start of its bytes; one
            // refused at its start never reached the printer.
            if (next < jobFiles.size() && !got.empty() && IsPrefix(got, expected)) {
                receivedBytes += got.size();
                ++cutShort;
                ++next;
            } else {
                ++refused;
            }
        } else {
            problem("done.log: unknown line for job " + std::to_string(id) + ": " + verb);
        }
    }
    for (; next < jobFiles.size(); ++next)
        problem("the printer's " + jobFiles[next].filename().string() + " matches no job that left the queue");
    for (const DWORD id : fed)
        if (seen.count(id) == 0) problem("job " + std::to_string(id) + " was fed but never left the queue");
    for (const auto& entry : fs::directory_iterator(lt77::posix::QueueFolder(queue) / "jobs", ec))
        if (entry.path().extension() == ".ini") problem("job record left in the queue: " + entry.path().filename().string());

    std::cout << queue << ": fed " << fed.size() << ", printed " << printedJobs << ", cut short " << cutShort
              << ", refused " << refused << ", other documents " << others << "; bytes spooled " << spooledBytes
              << ", received " << receivedBytes << ", printer jobs " << jobFiles.size() << '\n';
    for (const auto& text : problems) std::cout << "  FAIL " << queue << ": " << text << '\n';
    return problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "feed") return Feed(argc, argv);
    if (command == "check") return Check(argc, argv);
    std::cerr << "usage: lt77soak feed --seconds S --interval-ms M [--backlog B] [--seed N] QUEUE...\n"
                 "       lt77soak check --queue Q --printed DIR --fed FILE\n";
    return 2;
}
