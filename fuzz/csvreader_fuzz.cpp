// The CSV reader, and the recognition of the formats: the whole input is a file read with
// no format given (so every format's detection runs), its choices guessed.
// See statementcheck.h for what must hold.

#include <cstddef>
#include <cstdint>

#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    tallymere::fuzz::checkReading(bytes, {});
    return 0;
}
