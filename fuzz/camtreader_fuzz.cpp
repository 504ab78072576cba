// The CAMT.053 reader: the whole input is a file read as CAMT.053.
// See statementcheck.h for what must hold.

#include <cstddef>
#include <cstdint>

#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    tallymere::import::ReadOptions options;
    options.format = tallymere::import::Format::Camt;
    tallymere::fuzz::checkReading(bytes, options);
    return 0;
}
