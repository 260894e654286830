#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdint>

// What the picture store asks the operating system about memory. Tests put
// a fake in its place to play a small or a starving machine.
class IMemoryProbe {
public:
    virtual ~IMemoryProbe() = default;
    // Bytes this process may use at most: physical memory, lowered to the
    // control group's limit where one applies.
    virtual std::uint64_t TotalPhysical() = 0;
    // Bytes that can still be had without swapping, under the same limit.
    virtual std::uint64_t AvailablePhysical() = 0;
    // Blocks the calling thread to give the system time to free memory.
    virtual void Pause(int milliseconds) = 0;
};

// /proc/meminfo plus the memory limit of the process's control group
// (cgroup v2 "memory.max"/"memory.current", or v1 "memory.limit_in_bytes"/
// "memory.usage_in_bytes"; the tightest limit along the path to the
// hierarchy's root counts). The roots are parameters so that tests can lay
// out a fake tree. The available memory is read again at most every reuseMs
// milliseconds, and always after a Pause.
class TSystemMemoryProbe : public IMemoryProbe {
public:
    explicit TSystemMemoryProbe(QString procRoot = QStringLiteral("/proc"),
                                QString cgroupRoot = QStringLiteral("/sys/fs/cgroup"), int reuseMs = 50);

    std::uint64_t TotalPhysical() override;
    std::uint64_t AvailablePhysical() override;
    void Pause(int milliseconds) override;

    struct TCgroupMemory {
        bool Limited = false;
        std::uint64_t Limit = 0;     // the tightest limit
        std::uint64_t Headroom = 0;  // the least (limit - usage) along the path
    };
    TCgroupMemory CgroupMemory() const;

private:
    // A field of /proc/meminfo in bytes, or false when it is missing.
    bool MemInfoField(const char* name, std::uint64_t& bytes) const;

    std::uint64_t ReadAvailablePhysical() const;

    QString ProcRoot;
    QString CgroupRoot;
    int ReuseMs;
    std::uint64_t Available = 0;
    QElapsedTimer AvailableAge;
};
