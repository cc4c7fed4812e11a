// Micro-benchmarks of the rules that run most often.
#include "catalogue.h"
#include "devicetable.h"
#include "discovery.h"
#include "versiontext.h"

#include <benchmark/benchmark.h>

using namespace naxo;

namespace {

TNaxoInfo device(int k)
{
    TNaxoInfo i;
    const unsigned char mac[6] = {2, 0xAB, 0, 0, uchar(k >> 8), uchar(k)};
    i.MAC = FormatMac(mac);
    i.IpAddress = QStringLiteral("198.18.%1.%2").arg(k / 250).arg(k % 250);
    i.Name = QStringLiteral("AMP-%1").arg(k);
    i.BuildInfo = QStringLiteral("v1.2.3-40");
    i.BuildNumber = 10203.4;
    i.Length = 4;
    i.Position = 1;
    return i;
}

void BM_DiscoveryReplyKnownDevice(benchmark::State &state)
{
    TDeviceTable table;
    for (int k = 0; k < 250; ++k)
        table.merge(device(k), 10203.45);
    const unsigned char mac[6] = {2, 0xAB, 0, 0, 0, 125};
    const QByteArray datagram = BuildDiscoveryReply(mac, 0, 4, "AMP-125");
    const QString ip = device(125).IpAddress;
    for (auto _ : state) {
        const auto reply = ParseDiscoveryReply(datagram);
        benchmark::DoNotOptimize(table.discoveryCheck(reply->mac, ip, reply->length, reply->position));
    }
}
BENCHMARK(BM_DiscoveryReplyKnownDevice);

void BM_MergeKnownDevice(benchmark::State &state)
{
    TDeviceTable table;
    for (int k = 0; k < 250; ++k)
        table.merge(device(k), 10203.45);
    const TNaxoInfo info = device(125);
    for (auto _ : state)
        table.merge(info, 10203.45);
}
BENCHMARK(BM_MergeKnownDevice);

void BM_BuildInfoToNumber(benchmark::State &state)
{
    const QString text = QStringLiteral("v1.2.3-45");
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildInfoToNumber(text));
}
BENCHMARK(BM_BuildInfoToNumber);

void BM_CatalogueReading(benchmark::State &state)
{
    const QByteArray file = "Blocked=false\r\nNAXO S Build Info=v1.2.3\r\nNAXO S Build Minor=45\r\n"
                            "NAXO S FPGA-Version=F1\r\nNAXO S SV-Firmware=S\r\nNAXO S SW-Firmware=W\r\n"
                            "NAXO S Filterversion=F\r\nNAXO S FileName=fw.naxo\r\nNXAO S FileSize=123\r\n"
                            "NAXO S DateTime=24.12.2019 13:45\r\n";
    for (auto _ : state) {
        TAktVersions r;
        benchmark::DoNotOptimize(Catalogue::fromBytes(file).readModelEntry(QStringLiteral("NAXO S"), r));
    }
}
BENCHMARK(BM_CatalogueReading);

} // namespace

BENCHMARK_MAIN();
