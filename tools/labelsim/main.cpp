// labelsim: decodes and previews printer job streams, and plays a virtual
// printer on loopback addresses.

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli.hpp"

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");

extern "C" void on_signal(int) { g_stop.store(true); }

}  // namespace

int main(int argc, char** argv) {
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a blocked poll returns at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const std::vector<std::string> args(argv + 1, argv + argc);
    return labelsim::run_labelsim(args, std::cout, std::cerr, g_stop);
}
