// Any text through the version helpers.
#include "versiontext.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double n = naxo::BuildInfoToNumber(text);
    if (std::isnan(n))
        __builtin_trap();
    (void)naxo::ToUrlPath(text);
    (void)naxo::TextToInt64(text);
    if (size >= 2)
        (void)naxo::CopyText(text, int(int8_t(data[0])), int(int8_t(data[1])));
    return 0;
}
