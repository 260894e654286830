#include "model/MemoryProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace {

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t MiB = 1024 * KiB;

const char* const kMemInfo = "MemTotal:        8000000 kB\n"
                             "MemFree:          100000 kB\n"
                             "MemAvailable:    6000000 kB\n"
                             "Buffers:           20000 kB\n"
                             "Cached:           300000 kB\n";

struct TProbeCase {
    const char* Name;
    // Files below the fake root: "proc/..." and "cgroup/...".
    std::map<QString, QByteArray> Files;
    std::uint64_t Total;
    std::uint64_t Available;
};

} // namespace

TEST(MemoryProbeTest, MemInfoAndControlGroupLimits)
{
    const TProbeCase cases[] = {
        {"meminfo only",
         {{"proc/meminfo", kMemInfo}, {"proc/self/cgroup", "0::/\n"}},
         8000000 * KiB,
         6000000 * KiB},
        {"old kernel without MemAvailable",
         {{"proc/meminfo", "MemTotal: 8000000 kB\nMemFree: 100000 kB\nBuffers: 20000 kB\nCached: 300000 kB\n"}},
         8000000 * KiB,
         420000 * KiB},
        {"v2 limit in the group, usage counts",
         {{"proc/meminfo", kMemInfo},
          {"proc/self/cgroup", "0::/user/app\n"},
          {"cgroup/cgroup.controllers", "memory\n"},
          {"cgroup/user/app/memory.max", "536870912\n"},
          {"cgroup/user/app/memory.current", "104857600\n"}},
         512 * MiB,
         412 * MiB},
        {"v2 tighter limit on a parent, none on the group",
         {{"proc/meminfo", kMemInfo},
          {"proc/self/cgroup", "0::/user/app\n"},
          {"cgroup/cgroup.controllers", "memory\n"},
          {"cgroup/user/app/memory.max", "max\n"},
          {"cgroup/user/memory.max", "268435456\n"},
          {"cgroup/user/memory.current", "0\n"}},
         256 * MiB,
         256 * MiB},
        {"v2 namespaced: the group's own files at the root",
         {{"proc/meminfo", kMemInfo},
          {"proc/self/cgroup", "0::/\n"},
          {"cgroup/cgroup.controllers", "memory\n"},
          {"cgroup/memory.max", "1073741824\n"},
          {"cgroup/memory.current", "1073741824\n"}},
         1024 * MiB,
         0},
        {"v1 limit, hybrid mount",
         {{"proc/meminfo", kMemInfo},
          {"proc/self/cgroup", "4:memory:/box/7\n1:cpu,cpuacct:/\n0::/\n"},
          {"cgroup/memory/box/7/memory.limit_in_bytes", "134217728\n"},
          {"cgroup/memory/box/7/memory.usage_in_bytes", "33554432\n"},
          {"cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n"}},
         128 * MiB,
         96 * MiB},
        {"v1 without a limit",
         {{"proc/meminfo", kMemInfo},
          {"proc/self/cgroup", "4:memory:/\n"},
          {"cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n"},
          {"cgroup/memory/memory.usage_in_bytes", "33554432\n"}},
         8000000 * KiB,
         6000000 * KiB},
        {"a group path that climbs out of the hierarchy",
         {{"proc/meminfo", kMemInfo},
          {"proc/self/cgroup", "4:memory:/../../elsewhere\n"},
          {"cgroup/memory/memory.limit_in_bytes", "134217728\n"},
          {"cgroup/memory/memory.usage_in_bytes", "0\n"}},
         128 * MiB,
         128 * MiB},
        // Unknown must not read as a starving machine, which would shrink
        // the decoded window at every check.
        {"nothing readable", {}, 0, std::numeric_limits<std::uint64_t>::max()},
    };
    for (const TProbeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir root;
        for (const auto& [name, content] : c.Files) {
            const QString path = root.filePath(name);
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        TSystemMemoryProbe probe(root.filePath(QStringLiteral("proc")), root.filePath(QStringLiteral("cgroup")));
        EXPECT_EQ(probe.TotalPhysical(), c.Total);
        EXPECT_EQ(probe.AvailablePhysical(), c.Available);
    }
}

TEST(MemoryProbeTest, AvailableMemoryIsReusedBrieflyAndReadAfreshAfterAPause)
{
    QTemporaryDir root;
    const QString meminfo = root.filePath(QStringLiteral("proc/meminfo"));
    QDir().mkpath(QFileInfo(meminfo).path());
    const auto write = [&](const char* text) {
        QFile f(meminfo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    write("MemTotal: 4000 kB\nMemAvailable: 3000 kB\n");
    TSystemMemoryProbe probe(root.filePath(QStringLiteral("proc")), root.filePath(QStringLiteral("cgroup")),
                             60 * 60 * 1000);
    EXPECT_EQ(probe.AvailablePhysical(), 3000u * 1024);
    write("MemTotal: 4000 kB\nMemAvailable: 100 kB\n");
    EXPECT_EQ(probe.AvailablePhysical(), 3000u * 1024);
    // The store pauses when memory runs short and must then see the change.
    probe.Pause(0);
    EXPECT_EQ(probe.AvailablePhysical(), 100u * 1024);

    TSystemMemoryProbe fresh(root.filePath(QStringLiteral("proc")), root.filePath(QStringLiteral("cgroup")), 0);
    EXPECT_EQ(fresh.AvailablePhysical(), 100u * 1024);
    write("MemTotal: 4000 kB\nMemAvailable: 2000 kB\n");
    EXPECT_EQ(fresh.AvailablePhysical(), 2000u * 1024);
}

TEST(MemoryProbeTest, ThisMachineReportsSomething)
{
    TSystemMemoryProbe probe;
    EXPECT_GT(probe.TotalPhysical(), 16 * MiB);
    EXPECT_GT(probe.AvailablePhysical(), 0u);
}
