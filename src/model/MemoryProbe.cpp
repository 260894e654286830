#include "model/MemoryProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <limits>

namespace {

// cgroup v1 reports "no limit" as a huge page-aligned number near 2^63.
constexpr std::uint64_t kUnlimitedV1 = std::uint64_t(1) << 60;

QByteArray ReadSmallFile(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.read(64 * 1024);
}

bool ReadNumberFile(const QString& name, std::uint64_t& value)
{
    const QByteArray text = ReadSmallFile(name).trimmed();
    bool ok = false;
    value = text.toULongLong(&ok);
    return ok;
}

// The directories from the process's group up to the hierarchy's root, the
// group itself first. A path that would leave the root is not followed.
QStringList GroupDirs(const QString& root, const QString& groupPath)
{
    QStringList dirs;
    const QString cleanRoot = QDir::cleanPath(root);
    QString dir = QDir::cleanPath(cleanRoot + QLatin1Char('/') + groupPath);
    if (!QFileInfo(dir).isDir())
        dir = cleanRoot; // a namespaced view shows its own group as the root
    if (dir != cleanRoot && !dir.startsWith(cleanRoot + QLatin1Char('/')))
        dir = cleanRoot;
    for (;;) {
        dirs << dir;
        if (dir.size() <= cleanRoot.size())
            break;
        dir = QFileInfo(dir).path();
    }
    return dirs;
}

} // namespace

TSystemMemoryProbe::TSystemMemoryProbe(QString procRoot, QString cgroupRoot, int reuseMs)
    : ProcRoot(std::move(procRoot)), CgroupRoot(std::move(cgroupRoot)), ReuseMs(reuseMs)
{
}

bool TSystemMemoryProbe::MemInfoField(const char* name, std::uint64_t& bytes) const
{
    const QList<QByteArray> lines = ReadSmallFile(ProcRoot + QStringLiteral("/meminfo")).split('\n');
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QList<QByteArray> parts = line.mid(prefix.size()).simplified().split(' ');
        bool ok = false;
        const std::uint64_t v = parts.value(0).toULongLong(&ok);
        if (!ok)
            return false;
        const bool kib = parts.size() > 1 && parts.at(1).compare("kB", Qt::CaseInsensitive) == 0;
        bytes = kib ? v * 1024 : v;
        return true;
    }
    return false;
}

TSystemMemoryProbe::TCgroupMemory TSystemMemoryProbe::CgroupMemory() const
{
    TCgroupMemory result;
    auto apply = [&result](std::uint64_t limit, std::uint64_t usage) {
        const std::uint64_t headroom = usage < limit ? limit - usage : 0;
        if (!result.Limited) {
            result.Limited = true;
            result.Limit = limit;
            result.Headroom = headroom;
        } else {
            result.Limit = std::min(result.Limit, limit);
            result.Headroom = std::min(result.Headroom, headroom);
        }
    };

    const QList<QByteArray> lines = ReadSmallFile(ProcRoot + QStringLiteral("/self/cgroup")).split('\n');
    for (const QByteArray& line : lines) {
        const int first = line.indexOf(':');
        const int second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second < 0)
            continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QString path = QString::fromUtf8(line.mid(second + 1));

        if (controllers.isEmpty()) {
            // v2: only when the unified hierarchy is mounted at the root.
            if (!QFileInfo::exists(CgroupRoot + QStringLiteral("/cgroup.controllers")))
                continue;
            for (const QString& dir : GroupDirs(CgroupRoot, path)) {
                std::uint64_t limit = 0, usage = 0;
                if (!ReadNumberFile(dir + QStringLiteral("/memory.max"), limit))
                    continue; // "max" or no file: no limit here
                if (!ReadNumberFile(dir + QStringLiteral("/memory.current"), usage))
                    usage = 0;
                apply(limit, usage);
            }
        } else if (controllers.split(',').contains("memory")) {
            const QString base = CgroupRoot + QStringLiteral("/memory");
            for (const QString& dir : GroupDirs(base, path)) {
                std::uint64_t limit = 0, usage = 0;
                if (!ReadNumberFile(dir + QStringLiteral("/memory.limit_in_bytes"), limit)
                    || limit >= kUnlimitedV1)
                    continue;
                if (!ReadNumberFile(dir + QStringLiteral("/memory.usage_in_bytes"), usage))
                    usage = 0;
                apply(limit, usage);
            }
        }
    }
    return result;
}

std::uint64_t TSystemMemoryProbe::TotalPhysical()
{
    std::uint64_t total = 0;
    if (!MemInfoField("MemTotal", total))
        total = 0;
    const TCgroupMemory group = CgroupMemory();
    if (group.Limited && (total == 0 || group.Limit < total))
        total = group.Limit;
    return total;
}

std::uint64_t TSystemMemoryProbe::AvailablePhysical()
{
    // The store asks after every picture it hands out, many times per
    // repaint; reading the files costs far more than the answer changes.
    if (AvailableAge.isValid() && AvailableAge.elapsed() < ReuseMs)
        return Available;
    Available = ReadAvailablePhysical();
    AvailableAge.start();
    return Available;
}

std::uint64_t TSystemMemoryProbe::ReadAvailablePhysical() const
{
    std::uint64_t available = 0;
    if (!MemInfoField("MemAvailable", available)) {
        // Kernels before 3.14 have no estimate; free plus caches is close.
        // Nothing readable at all: unknown, which must not look like a
        // starving machine.
        std::uint64_t part = 0;
        bool any = false;
        available = 0;
        for (const char* name : {"MemFree", "Buffers", "Cached"})
            if (MemInfoField(name, part)) {
                available += part;
                any = true;
            }
        if (!any)
            available = std::numeric_limits<std::uint64_t>::max();
    }
    const TCgroupMemory group = CgroupMemory();
    if (group.Limited)
        available = std::min(available, group.Headroom);
    return available;
}

void TSystemMemoryProbe::Pause(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    // Whoever waits for memory to be freed wants to see the new state.
    AvailableAge.invalidate();
}
