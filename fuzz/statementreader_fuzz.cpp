// The statement readers: the whole input is a file read as the format the target is built for
// (TALLYMERE_FUZZ_FORMAT names an import::Format: Ofx, SGML and XML alike, Qif or Camt), or,
// built without it, read with no format given, so every format's detection runs and the CSV
// reader's choices are guessed. See statementcheck.h for what must hold.

#include <cstddef>
#include <cstdint>

#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    tallymere::import::ReadOptions options;
#ifdef TALLYMERE_FUZZ_FORMAT
    options.format = tallymere::import::Format::TALLYMERE_FUZZ_FORMAT;
#endif
    tallymere::fuzz::checkReading(bytes, options);
    return 0;
}
