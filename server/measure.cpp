// The measurement loop.
#include "server/measure.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

double CpuSeconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

int MeasureVerification(const SandboxConfig& sandbox, const std::string& demoPath, int runs) {
    std::ifstream in(demoPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in || bytes.str().empty()) {
        std::fprintf(stderr, "lantern-blade-server: cannot read %s\n", demoPath.c_str());
        return 1;
    }
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
        const Verdict v = VerifyInSandbox(sandbox, bytes.str());
        if (v.kind != Verdict::Kind::Verified) {
            std::fprintf(stderr, "lantern-blade-server: the demo is not verified: %s\n", v.reason.c_str());
            return 1;
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    getrusage(RUSAGE_CHILDREN, &after);
    const double user = CpuSeconds(after.ru_utime) - CpuSeconds(before.ru_utime);
    const double system = CpuSeconds(after.ru_stime) - CpuSeconds(before.ru_stime);
    const double cpu = (user + system) / runs;
    std::printf("%d verifications in the sandbox: %.1f ms of processor time each (user %.1f, system %.1f), "
                "%.1f ms wall each; %.1f verifications a second per core\n",
                runs, cpu * 1000, user * 1000 / runs, system * 1000 / runs, wall * 1000 / runs, 1.0 / cpu);
    return 0;
}
