// Any bytes as a catalogue file.
#include "catalogue.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const naxo::Catalogue catalogue = naxo::Catalogue::fromBytes(bytes);
    naxo::TAktVersions entry;
    const qint64 fileSize = catalogue.readModelEntry(naxo::ModelNames()[1], entry);
    (void)fileSize;
    (void)catalogue.blocked();
    if (naxo::IsPlainFileName(entry.FileName)
        && (entry.FileName.contains(u'/') || entry.FileName.contains(u'\\') || entry.FileName == QLatin1String("..")))
        __builtin_trap();
    return 0;
}
