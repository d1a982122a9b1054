// fake-jquants PORT: the tests' fake J-Quants as a program of its own, for checks by hand
// against an installed service (scripts/chroot-check). Port 0 picks a free one. Prints its base
// URL and key, then "requests: N" whenever the count of requests it received changes; it serves
// until it is killed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "service/fake_jquants.h"

int main(int argc, char** argv) {
    const int port = argc == 2 ? std::atoi(argv[1]) : -1;
    if (port < 0 || port > 65535) {
        std::fprintf(stderr, "usage: fake-jquants PORT (0: a free port)\n");
        return 2;
    }
    ardentix::testing::FakeJQuants fake({}, {}, port);
    if (fake.port() < 0) {
        std::fprintf(stderr, "fake-jquants: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("fake-jquants: %s key %s\n", qPrintable(fake.url()), fake.kKey);
    std::fflush(stdout);
    for (int seen = 0;; std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
        if (const int now = fake.requests(); now != seen) {
            std::printf("requests: %d\n", seen = now);
            std::fflush(stdout);
        }
    }
}
